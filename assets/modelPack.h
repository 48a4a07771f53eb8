#pragma once
// The hall's meshes as loaded (positions, normals, texture coordinates, tangents,
// bitangents, triangle indices, the file's own materials with their embedded images,
// under their model keys) in one compact little-endian
// binary file: the browser build reads it where the desktop imports the model files.
#include "assets/modelData.h"

#include <map>
#include <string>

// Writes every model of `from` (null entries are skipped); false when the file cannot be
// written.
bool writeModelPack(const std::string& path, const std::map<short, ModelData*>& from);

// Reads the pack into `into` (arrays and counts; no GL buffers). A missing or damaged
// file is named on standard error and false returned; the models read before the damage
// are kept. Never reads past the file's end, and drops triangles that name a vertex the
// model lacks.
bool readModelPack(const std::string& path, std::map<short, ModelData>& into);
