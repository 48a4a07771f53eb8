#pragma once
// Where the hall's files are: the folder holding `res/models`, `res/textures` and
// `shaders`. Looked for in the working folder first, then beside the executable (and the
// folder above it, where a build folder sits in the source tree), then where
// `cmake --install` puts the data, and last, for a program still in its build folder,
// the source tree the build was made from (a build folder outside it).
#include <string>
#include <vector>

// The folders looked in, in order, for an executable at `executable`.
std::vector<std::string> dataFolderCandidates(const std::string& executable);

// Whether `folder` holds all three data folders.
bool holdsHallData(const std::string& folder);

// Points the model, texture and shader folders at the first candidate that holds the
// data (the working folder keeps its "./res/..." and "shaders" paths). False after one
// line on standard error naming where it looked, when none does.
bool findDataFolders(const char* program);
