// The second example exhibition, unlike the built-in hall: a smaller brick court with
// three lights, a mirror, a glass exhibit and a group of three shapes written as glTF
// (one model of several meshes, placed by its nodes), with captions and no tour, so the
// viewer makes one up. Its pictures are the viewer's own (pinakora:textures/...).
#include "models.h"

#include "base/outputFile.h"

#include <cmath>
#include <filesystem>

namespace {

// The group: a block, a ball resting on it and a ring standing beside them. Each mesh
// sits at its own origin; only the nodes put them together.
std::vector<GltfPart> groupParts()
{
    const float turn = 0.5f * 40.0f * pi / 180.0f;
    std::vector<GltfPart> parts;
    parts.push_back({"block", box({-60, 0, -60}, {60, 120, 60}, 60.0f), {-80, 0, 0}});
    parts.push_back({"ball", makeSphere(), {-80, 180, 0}, {0, 0, 0, 1}, 0.5f});
    // The torus stands in its xy plane, 92 across its outer edge at this scale: lifted by
    // that and turned 40 degrees about the vertical.
    parts.push_back({"ring", makeTorus(), {120, 90, 0}, {0, std::sin(turn), 0, std::cos(turn)}, 8.0f});
    return parts;
}

const char* courtJson = R"({
  "format": "pinakora-exhibition/1",
  "title": "Brick court",
  "room": { "size": [2400, 1100, 2000],
            "walls": { "texture": "pinakora:textures/brick01.jpg", "normalMap": "pinakora:textures/brick01n.jpg",
                       "specularMap": "pinakora:textures/brick01s.jpg" },
            "floor": { "texture": "pinakora:textures/paving02.jpg", "normalMap": "pinakora:textures/paving02n.jpg",
                       "specularMap": "pinakora:textures/paving02s.jpg" } },
  "lights": [ { "position": [0, 950, 200], "color": [1, 0.95, 0.85] },
              { "position": [700, 650, 500], "color": [0.6, 0.7, 1], "orbit": { "radius": 250, "seconds": 30 } },
              { "position": [-800, 550, -400], "color": [1, 0.65, 0.45] } ],
  "exhibits": [
    { "model": "models/group.gltf", "position": [-550, 0, -350], "height": 260, "rotation": [0, 20, 0],
      "pedestal": { "size": [320, 200, 220], "texture": "pinakora:textures/marble.jpg" },
      "material": { "texture": "pinakora:textures/metal06.jpg", "normalMap": "pinakora:textures/metal06n.jpg",
                    "specularMap": "pinakora:textures/metal06s.jpg", "color": [1, 0.8, 0.55], "shininess": 40 },
      "caption": { "title": "Block, ball and ring", "maker": "Pinakora", "date": "2026",
                   "text": "Three shapes of one glTF file, each placed by its own node.",
                   "alt": "A bronze block with a ball on it and an upright ring beside them" } },
    { "model": "pinakora:models/teapot.obj", "position": [0, 0, -200], "height": 170, "spin": 12,
      "pedestal": { "size": [240, 380, 240], "texture": "pinakora:textures/marble.jpg" },
      "material": { "kind": "mirror" },
      "caption": { "title": "Mirror teapot", "maker": "Pinakora", "date": "2026",
                   "alt": "A polished teapot that mirrors the court" } },
    { "model": "pinakora:models/Sphere.dae", "position": [500, 0, -300], "height": 200,
      "pedestal": { "size": [220, 320, 220], "texture": "pinakora:textures/marble.jpg" },
      "material": { "kind": "glass" },
      "caption": { "title": "Glass ball", "maker": "Pinakora", "date": "2026",
                   "alt": "A clear ball that bends the court seen through it" } },
    { "model": "pinakora:models/figure.obj", "position": [350, 0, 400], "height": 420, "rotation": [0, -30, 0],
      "pedestal": { "size": [200, 120, 200], "texture": "pinakora:textures/rock.jpg" },
      "material": { "texture": "pinakora:textures/marble.jpg", "shininess": 24 },
      "caption": { "title": "Standing figure", "maker": "Pinakora", "date": "2026",
                   "alt": "A pale stone figure standing with its arms lowered" } }
  ]
}
)";

}  // namespace

bool writeCourt(const std::string& dir)
{
    std::error_code error;
    std::filesystem::create_directories(dir + "/models", error);
    return writeWholeFile(dir + "/exhibition.json", courtJson) && writeGltf(groupParts(), dir + "/models/", "group");
}
