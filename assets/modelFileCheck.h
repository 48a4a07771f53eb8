#pragma once
// What can be told of a model file before any importer opens it, and what an importer's
// failure means for a file of a format the viewer knows. A file whose format declares its
// length (a GLB's header and chunks, the buffers a glTF names) and that ends before it is
// damaged, and says where it ends; every file is read inside a root folder only. No GL.
#include <string>

// "damaged: ends at byte 1200 of 5400", "damaged: scene.bin ends at byte 10 of 840", or
// empty when nothing is known to be wrong (the importer then judges the file).
std::string modelFileDamage(const std::string& path, const std::string& root);

// The importer's words about a file it could not read, said for the file's format where
// its extension names one the viewer knows ("damaged or not a valid OBJ file: ..."): such
// a file is never reported as of an unknown format.
std::string importFailure(const std::string& path, const std::string& importerWords);
