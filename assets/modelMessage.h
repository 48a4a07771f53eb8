#pragma once
// The message a model travels in from the importing child to its parent, and its checked
// reading: counts bounded, every index inside the vertex arrays; anything else is Failed
// with `model` left empty. `problem` travels with every outcome: why an import failed, or
// what a loaded model's importer was refused.
#include "assets/modelData.h"
#include "assets/modelImport.h"

#include <cstddef>
#include <string>

// Longest message a model may take: its arrays at their largest, and the importer's words.
constexpr size_t maxModelMessageBytes = 16 + size_t(maxModelVertices) * 60 + size_t(maxModelIndices) * 4 + 1024;

std::string packModel(ModelImport result, const ModelData& model, const std::string& problem);
ModelImport unpackModel(const std::string& message, ModelData& model, std::string& problem);
