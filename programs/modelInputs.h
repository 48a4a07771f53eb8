#pragma once
// A model uploaded for a built program: the program is asked by name which vertex inputs
// it has, and the model's buffers are wired to those (assets/modelUpload.h).
#include "assets/modelUpload.h"

class ShaderProgram;

VertexInputs vertexInputsOf(const ShaderProgram& program);
bool uploadModel(ModelData& model, const ShaderProgram& program);
