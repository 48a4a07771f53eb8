#pragma once
// A mesh's arrays into GL: one buffer per attribute and an index buffer, wired in a vertex
// array to the inputs a program has, and the bounding sphere the passes cull with. Also
// the way back: the buffers and the vertex array deleted again. Which inputs a program
// has is the program's business (programs/modelInputs.h asks a built program).
#include "assets/modelData.h"

// Where a program takes each per-vertex input; -1 where it has none.
struct VertexInputs {
    GLint position = -1;
    GLint normal = -1;
    GLint texCoord = -1;
    GLint tangent = -1;
    GLint bitangent = -1;
};

// Tangents and bitangents get buffers only where the program takes them. False when GL
// ran out of memory for a buffer: the model's buffers are deleted again and its arrays
// emptied (an exhibit then stands in as a box); the caller names it.
bool uploadModel(ModelData& model, const VertexInputs& inputs);

// Deletes the model's buffers and vertex array and sets their names to 0; a model never
// uploaded makes no GL call. Needs the context they were made in.
void releaseModelBuffers(ModelData& model);
