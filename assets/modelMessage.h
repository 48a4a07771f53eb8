#pragma once
// The message a model travels in from the importing child to its parent, and its checked
// reading: counts bounded, every index inside the vertex arrays, the materials' ranges
// inside the indices and their names and images bounded; anything else is Failed
// with `model` left empty. `problem` travels with every outcome: why an import failed, or
// what a loaded model's importer was refused.
#include "assets/modelData.h"
#include "assets/modelImport.h"

#include <cstddef>
#include <string>

// Longest message a model may take: its arrays at their largest, and the importer's words.
constexpr size_t maxModelMessageBytes = 16 + size_t(maxModelVertices) * 60 + size_t(maxModelIndices) * 4 + 1024 +
                                       size_t(maxModelMaterials) * (48 + 3 * maxModelTextureName) +
                                       size_t(maxModelRanges) * 12 + size_t(maxModelImages) * 4 + maxModelImageBytes;

std::string packModel(ModelImport result, const ModelData& model, const std::string& problem);
ModelImport unpackModel(const std::string& message, ModelData& model, std::string& problem);

// The materials section alone, as the message and the mesh pack both carry it: the counts,
// each material's colours, exponent and picture names, the ranges, the embedded images.
// Reading checks every count against its bound, that the ranges follow each other over
// all `indexCount` indices and name materials there are, that the numbers are finite
// and in range; false (the model's materials part-filled) for anything else.
void appendModelMaterials(std::string& out, const ModelData& model);
bool takeModelMaterials(const std::string& in, size_t& at, ModelData& model, size_t indexCount);
