#pragma once
// The hall's models, in model units with y up. Sizes are chosen so the scene's fixed
// scales and offsets put every exhibit on or just above its pedestal.
#include "mesh.h"

#include <string>
#include <vector>

Mesh makeRoom();
Mesh makeFloor();
Mesh makeFineRoom();
Mesh makeFineFloor();
Mesh makePedestal();
Mesh makePedestalTopFirst();
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

// One mesh of a glTF scene and the node that places it: rotation a unit quaternion
// (x, y, z, w), then uniform scale and translation as glTF applies them.
struct GltfPart {
    const char* name;
    Mesh mesh;
    glm::vec3 translation{0.0f};
    glm::vec4 rotation{0.0f, 0.0f, 0.0f, 1.0f};
    float scale = 1.0f;
};
// glTF 2.0: dir/name.gltf with one root node whose children place the parts, and their
// indexed (shared-vertex) arrays in dir/name.bin.
bool writeGltf(const std::vector<GltfPart>& parts, const std::string& dir, const std::string& name);

// The example exhibition examples/court: its glTF group and its exhibition.json.
bool writeCourt(const std::string& dir);
// Generated exhibitions for measuring the frame's growth (13, 50 and 200 exhibits; a ball
// of 100k, 1M and 4M triangles), each in a folder of its own under dir.
bool writeScaling(const std::string& dir);
