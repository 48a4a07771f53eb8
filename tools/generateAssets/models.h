#pragma once
// The hall's models, in model units with y up. Sizes are chosen so the scene's fixed
// scales and offsets put every exhibit on or just above its pedestal.
#include "mesh.h"

#include <string>

Mesh makeRoom();
Mesh makeFloor();
Mesh makeFineRoom();
Mesh makeFineFloor();
Mesh makePedestal();
Mesh makeMultiCube();
Mesh makeSphere();
Mesh makeTorus();
Mesh makeLens();
Mesh makeSword();
Mesh makeKnot();
Mesh makeTeapot();
Mesh makeFigure();

// Wavefront OBJ: one object, `vt` on every face, `vn` only when withNormals is set.
bool writeObj(const Mesh& mesh, const std::string& path, bool withNormals);
// COLLADA 1.4 with one geometry instanced once by the visual scene.
bool writeCollada(const Mesh& mesh, const std::string& path);
