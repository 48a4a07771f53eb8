// Exhibitions for measuring how the frame grows with an exhibition: the same rows of
// pedestals with 13, 50 and 200 exhibits, and the 13 with one exhibit replaced by a ball of
// 100k, 1M or 4M triangles (glTF, shared vertices). Like the built-in hall they have two
// lights, a mirror and a glass exhibit; no tour, so the viewer's made-up one runs.
#include "models.h"

#include "base/outputFile.h"

#include <cmath>
#include <filesystem>
#include <sstream>

namespace {

// A ball of radius 100 as a rows x 2 rows lattice: about 4 rows^2 triangles, 2 rows^2 vertices.
Mesh denseBall(int rows)
{
    const int cols = 2 * rows;
    auto direction = [rows, cols](int r, int c) {
        const float lat = pi * static_cast<float>(r) / rows - 0.5f * pi;
        const float lon = 2.0f * pi * static_cast<float>(c) / cols;
        return glm::vec3(std::cos(lat) * std::cos(lon), std::sin(lat), -std::cos(lat) * std::sin(lon));
    };
    Mesh mesh = gridPatch(
        rows, cols, [&](int r, int c) { return 100.0f * direction(r, c); },
        [rows, cols](int r, int c) { return glm::vec2(4.0f * c / cols, 2.0f * r / rows); });
    for (Vertex& v : mesh.vertices)
        v.normal = glm::normalize(v.position);
    return mesh;
}

const char* const modelCycle[] = {"pinakora:models/torus.obj", "pinakora:models/figure.obj",
                                  "pinakora:models/multicube.obj", "pinakora:models/weapon.obj"};
const char* const textureCycle[] = {"metal06", "rock", "metal09", "paving05"};

// Exhibits in rows 320 apart, the mirror first and the glass second; `dense` (when not
// empty) takes the third place.
std::string exhibitionJson(int exhibits, const std::string& dense)
{
    const int perRow = static_cast<int>(std::ceil(std::sqrt(2.0 * exhibits)));
    const int rows = (exhibits + perRow - 1) / perRow;
    const float width = perRow * 320.0f + 400.0f, depth = rows * 320.0f + 800.0f;
    std::ostringstream json;
    json << "{\n  \"format\": \"pinakora-exhibition/1\",\n  \"title\": \"" << exhibits << " exhibits\",\n"
         << "  \"room\": { \"size\": [" << width << ", 900, " << depth << "],\n"
         << "            \"walls\": { \"texture\": \"pinakora:textures/room.jpg\" },\n"
         << "            \"floor\": { \"texture\": \"pinakora:textures/paving02.jpg\", "
            "\"normalMap\": \"pinakora:textures/paving02n.jpg\", \"specularMap\": \"pinakora:textures/paving02s.jpg\" } },\n"
         << "  \"lights\": [ { \"position\": [" << -width / 4 << ", 700, 0] },\n"
         << "              { \"position\": [" << width / 4 << ", 700, 0], \"color\": [0.8, 0.85, 1] } ],\n"
         << "  \"exhibits\": [";
    for (int i = 0; i < exhibits; ++i) {
        const float x = (i % perRow - 0.5f * (perRow - 1)) * 320.0f;
        const float z = (i / perRow - 0.5f * (rows - 1)) * 320.0f - 200.0f;
        json << (i ? ",\n" : "\n") << "    { \"position\": [" << x << ", 0, " << z << "], \"height\": 150, ";
        if (i == 0)
            json << "\"model\": \"pinakora:models/teapot.obj\", \"material\": { \"kind\": \"mirror\" }, ";
        else if (i == 1)
            json << "\"model\": \"pinakora:models/Sphere.dae\", \"material\": { \"kind\": \"glass\" }, ";
        else if (i == 2 && !dense.empty())
            json << "\"model\": \"models/" << dense << ".gltf\", \"material\": { \"texture\": \"pinakora:textures/marble.jpg\" }, ";
        else
            json << "\"model\": \"" << modelCycle[i % 4] << "\", \"material\": { \"texture\": \"pinakora:textures/"
                 << textureCycle[i % 4] << ".jpg\", \"normalMap\": \"pinakora:textures/" << textureCycle[i % 4]
                 << "n.jpg\", \"specularMap\": \"pinakora:textures/" << textureCycle[i % 4] << "s.jpg\" }, ";
        json << "\"pedestal\": { \"size\": [140, 160, 140], \"texture\": \"pinakora:textures/marble.jpg\" } }";
    }
    json << "\n  ]\n}\n";
    return json.str();
}

bool writeExhibition(const std::string& dir, int exhibits, const std::string& dense, int denseRows)
{
    std::error_code error;
    std::filesystem::create_directories(dir + "/models", error);
    if (!writeWholeFile(dir + "/exhibition.json", exhibitionJson(exhibits, dense)))
        return false;
    return dense.empty() || writeGltf({{"ball", denseBall(denseRows)}}, dir + "/models/", dense);
}

}  // namespace

bool writeScaling(const std::string& dir)
{
    bool ok = true;
    for (int exhibits : {13, 50, 200})
        ok = writeExhibition(dir + "/exhibits-" + std::to_string(exhibits), exhibits, "", 0) && ok;
    // 4 rows^2 triangles: 158 rows make 100k, 500 make 1M, 1000 make 4M.
    const struct {
        const char* name;
        int rows;
    } balls[] = {{"triangles-100k", 158}, {"triangles-1M", 500}, {"triangles-4M", 1000}};
    for (const auto& ball : balls)
        ok = writeExhibition(dir + "/" + ball.name, 13, "ball", ball.rows) && ok;
    return ok;
}
