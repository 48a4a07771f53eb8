// The committed model and image files: that they are exactly what the generator
// makes, and that every model reads the way the loader and the scene need it.
#include "assets/assetFiles.h"
#include "assets/modelImport.h"
#include "assets/modelPack.h"
#include "assets/models.h"
#include "programs/programs.h"
#include "programs/shaderSource.h"
#include "scene/hall.h"
#include "tests/unit/defaultNames.h"

#include <FreeImage.h>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <glm/glm.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <unistd.h>

// The browser build decodes the JPEGs with stb_image; the desktop with FreeImage.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#include <stb/stb_image.h>

namespace fs = std::filesystem;

namespace {

std::string readBytes(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::set<std::string> fileNames(const fs::path& dir)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}

const fs::path resDir = fs::path(PINAKORA_SOURCE_DIR) / "res";

TEST(AssetFiles, RegeneratingGivesTheCommittedBytes)
{
    const std::string generator = PINAKORA_GENERATOR;
    if (generator.empty())
        GTEST_SKIP() << "the generator is not built";
    const fs::path out = fs::temp_directory_path() / ("pinakoraAssets" + std::to_string(::getpid()));
    fs::remove_all(out);
    ASSERT_EQ(std::system(("\"" + generator + "\" \"" + out.string() + "\"").c_str()), 0);

    for (const char* sub : {"models", "textures"}) {
        const auto committed = fileNames(resDir / sub);
        EXPECT_EQ(fileNames(out / sub), committed) << sub;
        for (const std::string& name : committed)
            EXPECT_TRUE(readBytes(resDir / sub / name) == readBytes(out / sub / name))
                << "res/" << sub << "/" << name << " differs from the generator's output";
    }
    fs::remove_all(out);
}

// The browser build's meshes: the pack holds exactly what the desktop loads, and a cut-off
// or damaged pack keeps the models before the damage without reading past the end.
// The browser's decoder and the desktop's must show the same pictures: every texel of
// every texture within the rounding in which two JPEG decoders may differ (their inverse
// transforms and chroma upsampling are not the same).
TEST(AssetFiles, BrowserAndDesktopDecodersGiveTheSameTexels)
{
    FreeImage_Initialise(FALSE);
    for (const auto& entry : fs::directory_iterator(resDir / "textures")) {
        const std::string path = entry.path().string();
        SCOPED_TRACE(path);
        FIBITMAP* loaded = FreeImage_Load(FIF_JPEG, path.c_str(), 0);
        ASSERT_NE(loaded, nullptr);
        FIBITMAP* desktop = FreeImage_ConvertTo24Bits(loaded);
        FreeImage_Unload(loaded);
        stbi_set_flip_vertically_on_load(1);  // bottom row first, as FreeImage keeps it
        int width = 0, height = 0, channels = 0;
        stbi_uc* browser = stbi_load(path.c_str(), &width, &height, &channels, 3);
        ASSERT_NE(browser, nullptr) << stbi_failure_reason();
        ASSERT_EQ(static_cast<unsigned>(width), FreeImage_GetWidth(desktop));
        ASSERT_EQ(static_cast<unsigned>(height), FreeImage_GetHeight(desktop));
        double sum = 0.0;
        int worst = 0;
        for (int y = 0; y < height; ++y) {
            const BYTE* row = FreeImage_GetScanLine(desktop, y);
            for (int x = 0; x < width; ++x) {
                const stbi_uc* p = browser + (static_cast<size_t>(y) * width + x) * 3;
                const int d[3] = {std::abs(p[0] - row[x * 3 + FI_RGBA_RED]), std::abs(p[1] - row[x * 3 + FI_RGBA_GREEN]),
                                  std::abs(p[2] - row[x * 3 + FI_RGBA_BLUE])};
                for (int c : d) {
                    sum += c;
                    worst = std::max(worst, c);
                }
            }
        }
        stbi_image_free(browser);
        FreeImage_Unload(desktop);
        const double mean = sum / (3.0 * width * height);
        EXPECT_LT(mean, 2.0) << "mean difference per channel (measured up to 1.33)";
        EXPECT_LE(worst, 16) << "largest difference of one channel (measured up to 13)";
        RecordProperty(entry.path().filename().string(), std::to_string(mean) + " mean, " + std::to_string(worst) + " max");
    }
}

TEST(AssetFiles, MeshPackHoldsWhatTheLoaderReads)
{
    modelDirectory = (fs::path(PINAKORA_SOURCE_DIR) / "res" / "models").string() + "/";
    loadModels();
    const fs::path pack = fs::temp_directory_path() / ("pinakora-pack-" + std::to_string(::getpid()));
    ASSERT_TRUE(writeModelPack(pack.string(), models));
    std::map<short, ModelData> read;
    ASSERT_TRUE(readModelPack(pack.string(), read));
    ASSERT_EQ(read.size(), 14u);  // the eleven and the three capture twins
    for (const auto& [key, model] : models) {
        const ModelData& back = read.at(key);
        EXPECT_EQ(back.vertexCount, model->vertexCount) << key;
        EXPECT_EQ(back.indices, model->indices) << key;
        EXPECT_TRUE(back.positions == model->positions && back.normals == model->normals &&
                    back.texCoords == model->texCoords && back.tangents == model->tangents &&
                    back.bitangents == model->bitangents)
            << key;
    }

    const std::string bytes = readBytes(pack);
    struct Damage {
        const char* what;
        std::string bytes;
        size_t modelsKept;
    };
    std::string hugeCount = bytes;
    hugeCount[8 + 4 + 4] = '\xff';  // first model's vertex count
    hugeCount[8 + 4 + 4 + 3] = '\x7f';
    const Damage damages[] = {
        {"empty", "", 0},
        {"not a pack", "hello, this is no mesh pack", 0},
        {"cut in the header", bytes.substr(0, 10), 0},
        {"cut in the first model", bytes.substr(0, 200), 0},
        {"cut in the last model", bytes.substr(0, bytes.size() - 5), 13},
        {"huge vertex count", hugeCount, 0},
    };
    for (const Damage& damage : damages) {
        std::ofstream(pack, std::ios::binary | std::ios::trunc) << damage.bytes;
        std::map<short, ModelData> kept;
        EXPECT_FALSE(readModelPack(pack.string(), kept)) << damage.what;
        EXPECT_EQ(kept.size(), damage.modelsKept) << damage.what;
    }
    fs::remove(pack);
    std::map<short, ModelData> none;
    EXPECT_FALSE(readModelPack(pack.string(), none));
}

TEST(AssetFiles, ResStaysSmall)
{
    std::uintmax_t bytes = 0;
    for (const auto& entry : fs::recursive_directory_iterator(resDir))
        if (entry.is_regular_file())
            bytes += entry.file_size();
    EXPECT_LT(bytes, 25u * 1024 * 1024);
    EXPECT_EQ(fileNames(resDir / "models").size(), hallModelFiles().size());
    EXPECT_EQ(fileNames(resDir / "textures").size(), hallTextureFiles().size());
}

// The importer's confinement: what a model file may name, seen from its folder. Links and
// `..` count where they lead; a sibling folder whose name merely starts the same is outside.
TEST(AssetFiles, ImporterReadsOnlyInsideTheModelsFolder)
{
    const fs::path base = fs::temp_directory_path() / ("pinakora-confine-" + std::to_string(::getpid()));
    fs::remove_all(base);
    fs::create_directories(base / "models" / "sub");
    fs::create_directories(base / "modelsX");
    std::ofstream(base / "models" / "a.obj") << "v 0 0 0\n";
    std::ofstream(base / "modelsX" / "b.mtl") << "newmtl b\n";
    fs::create_symlink("/etc/passwd", base / "models" / "out.mtl");
    fs::create_symlink("a.obj", base / "models" / "in.mtl");
    fs::create_directory_symlink("..", base / "models" / "up");
    const std::string root = (base / "models").string() + "/";
    const struct {
        std::string path;
        bool inside;
    } cases[] = {
        {root + "a.obj", true},
        {root + "in.mtl", true},
        {root + "missing.mtl", true},
        {root + "sub/../a.obj", true},
        {root + "/etc/passwd", true},  // an absolute name joined onto the folder
        {"/etc/passwd", false},
        {root + "out.mtl", false},
        {root + "../modelsX/b.mtl", false},
        {root + "up/modelsX/b.mtl", false},
        {root + "sub/../../../../../../../../../etc/passwd", false},
        {root + "missing/../../modelsX/b.mtl", false},
    };
    fs::create_directory_symlink(base / "modelsX", base / "models" / "across");
    fs::create_hard_link(base / "models" / "a.obj", base / "models" / "hard.obj");
    const std::string resolvedRoot = resolvedPath(root);
    // Opened, a file is judged by where its descriptor leads: the same answer.
    for (const auto& c : cases) {
        std::string resolved, problem;
        EXPECT_EQ(insideFolder(root, c.path, resolved), c.inside) << c.path << " resolved as " << resolved;
        EXPECT_EQ(openInsideFolder(resolvedRoot, c.path, problem).outside, !c.inside) << c.path << ": " << problem;
    }
    std::string resolved, problem, bytes;
    insideFolder(root, root + "out.mtl", resolved);
    EXPECT_EQ(resolved, "/etc/passwd") << "the console line names where a link leads";
    EXPECT_EQ(openInsideFolder(resolvedRoot, root + "out.mtl", problem).realPath, "/etc/passwd");
    // A link in a middle component leads out as surely as one at the end.
    EXPECT_FALSE(readInsideFolder(resolvedRoot, root + "across/b.mtl", 1 << 20, bytes, problem));
    EXPECT_EQ(problem, "it leads out of the folder");

    // Checked inside, then swapped for a link leading out before it is read: nothing of
    // the outside file is read.
    const fs::path paint = base / "models" / "paint.png";
    std::ofstream(paint) << "inside";
    ASSERT_TRUE(insideFolder(root, paint.string(), resolved));
    fs::remove(paint);
    fs::create_symlink(base / "modelsX" / "b.mtl", paint);
    EXPECT_FALSE(readInsideFolder(resolvedRoot, paint.string(), 1 << 20, bytes, problem));
    EXPECT_EQ(problem, "it leads out of the folder");
    EXPECT_TRUE(bytes.empty());

    // One file under many names: one identity, the hard link's and the link's too.
    FileIdentity first, other;
    ASSERT_TRUE(readInsideFolder(resolvedRoot, root + "a.obj", 1 << 20, bytes, problem, &first)) << problem;
    for (const char* name : {"a.obj", "./a.obj", ".//sub/../a.obj", "in.mtl", "hard.obj"}) {
        ASSERT_TRUE(readInsideFolder(resolvedRoot, root + "/" + name, 1 << 20, bytes, problem, &other)) << name;
        EXPECT_TRUE(other == first) << name;
        EXPECT_EQ(bytes, "v 0 0 0\n") << name;
    }
    ASSERT_TRUE(readInsideFolder(resolvedRoot, root + "sub/../../modelsX/../models/a.obj", 1 << 20, bytes, problem, &other));
    EXPECT_TRUE(other == first);
    fs::remove_all(base);
}

// What the hall needs of each model: the first mesh's bounding box in model units
// (before the scene's scale) and whether it is one closed solid.
struct ModelCase {
    const char* file;
    bool smooth;
    glm::vec3 low, high;
    float tolerance;  // fraction of the largest extent
    enum Shape { Closed, InwardShell, UpwardSheet } shape;
};

const ModelCase modelCases[] = {
    {"Sphere.dae", true, {-120, -120, -120}, {120, 120, 120}, 0.01f, ModelCase::Closed},
    {"roomt.obj", false, {-1720, 0, -1400}, {1720, 2400, 1400}, 0.001f, ModelCase::InwardShell},
    {"podest2.obj", false, {-110, 0, -110}, {110, 520, 110}, 0.001f, ModelCase::Closed},
    {"multicube.obj", false, {-100, 0, -100}, {100, 200, 100}, 0.03f, ModelCase::Closed},
    {"teapot.obj", true, {-12.5f, 0, -8}, {12.5f, 16, 8}, 0.04f, ModelCase::Closed},
    {"torus.obj", true, {-11.2f, -11.2f, -1.2f}, {11.2f, 11.2f, 1.2f}, 0.01f, ModelCase::Closed},
    {"lens.obj", true, {-8, -8, -1.5f}, {8, 8, 1.5f}, 0.01f, ModelCase::Closed},
    {"weapon.obj", false, {-55, -225, -12}, {55, 225, 12}, 0.03f, ModelCase::Closed},
    {"plane.obj", false, {-253, 0, -280}, {253, 0, 280}, 0.001f, ModelCase::UpwardSheet},
    // The captures' twins must cover exactly what the frame's room, floor and pedestal cover.
    {"roomtFine.obj", false, {-1720, 0, -1400}, {1720, 2400, 1400}, 0.001f, ModelCase::InwardShell},
    {"planeFine.obj", false, {-253, 0, -280}, {253, 0, 280}, 0.001f, ModelCase::UpwardSheet},
    {"podest2TopFirst.obj", false, {-110, 0, -110}, {110, 520, 110}, 0.001f, ModelCase::Closed},
    // A three-lobed knot cannot be symmetric across both axes of its plane.
    {"biztorus.obj", true, {-300, -300, -110}, {300, 300, 110}, 0.1f, ModelCase::Closed},
    {"figure.obj", true, {-70, -24, -70}, {70, 400, 70}, 0.04f, ModelCase::Closed},
};

void PrintTo(const ModelCase& c, std::ostream* os) { *os << c.file; }

class ModelFileTest : public ::testing::TestWithParam<ModelCase> {
protected:
    void SetUp() override
    {
        const ModelCase& c = GetParam();
        const unsigned int flags = aiProcess_CalcTangentSpace | aiProcess_JoinIdenticalVertices | aiProcess_Triangulate
                                   | (c.smooth ? aiProcess_GenSmoothNormals : aiProcess_GenNormals);
        ASSERT_EQ(flags, c.smooth ? 0x4Bu : 0x2Bu);
        scene = importer.ReadFile((resDir / "models" / c.file).string(), flags);
        ASSERT_NE(scene, nullptr) << importer.GetErrorString();
        ASSERT_GE(scene->mNumMeshes, 1u);
        mesh = scene->mMeshes[0];
    }

    glm::vec3 position(unsigned int i) const
    {
        return {mesh->mVertices[i].x, mesh->mVertices[i].y, mesh->mVertices[i].z};
    }
    glm::vec3 faceNormal(const aiFace& f) const
    {
        const glm::vec3 a = position(f.mIndices[0]), b = position(f.mIndices[1]), c = position(f.mIndices[2]);
        return glm::cross(b - a, c - a);
    }

    Assimp::Importer importer;
    const aiScene* scene = nullptr;
    const aiMesh* mesh = nullptr;
};

TEST_P(ModelFileTest, FirstMeshIsTexturedTrianglesWithTangents)
{
    EXPECT_EQ(mesh->mPrimitiveTypes, static_cast<unsigned int>(aiPrimitiveType_TRIANGLE));
    ASSERT_TRUE(mesh->HasTextureCoords(0));
    ASSERT_TRUE(mesh->HasNormals());
    ASSERT_TRUE(mesh->HasTangentsAndBitangents());
    unsigned int degenerateTangents = 0;
    for (unsigned int i = 0; i < mesh->mNumVertices; ++i) {
        const aiVector3D t = mesh->mTangents[i], n = mesh->mNormals[i];
        ASSERT_TRUE(std::isfinite(t.x) && std::isfinite(t.y) && std::isfinite(t.z)) << "vertex " << i;
        ASSERT_TRUE(std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z)) << "vertex " << i;
        if (t.Length() < 0.5f)
            ++degenerateTangents;
    }
    // Poles may give a few vertices no usable texture direction, nothing more.
    EXPECT_LE(degenerateTangents, mesh->mNumVertices / 50);
}

TEST_P(ModelFileTest, BoundingBoxMatchesTheHall)
{
    const ModelCase& c = GetParam();
    glm::vec3 low(1e30f), high(-1e30f);
    for (unsigned int i = 0; i < mesh->mNumVertices; ++i) {
        low = glm::min(low, position(i));
        high = glm::max(high, position(i));
    }
    const glm::vec3 extent = c.high - c.low;
    const float slack = c.tolerance * std::max(extent.x, std::max(extent.y, extent.z));
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_NEAR(low[axis], c.low[axis], slack) << "axis " << axis;
        EXPECT_NEAR(high[axis], c.high[axis], slack) << "axis " << axis;
    }
}

// Shading normals must agree with the winding, or lighting comes out inverted.
TEST_P(ModelFileTest, NormalsAgreeWithWinding)
{
    unsigned int against = 0;
    for (unsigned int f = 0; f < mesh->mNumFaces; ++f) {
        const aiFace& face = mesh->mFaces[f];
        const glm::vec3 n = faceNormal(face);
        glm::vec3 shading(0.0f);
        for (unsigned int k = 0; k < 3; ++k)
            shading += glm::vec3(mesh->mNormals[face.mIndices[k]].x, mesh->mNormals[face.mIndices[k]].y,
                                 mesh->mNormals[face.mIndices[k]].z);
        if (glm::dot(n, shading) <= 0.0f)
            ++against;
    }
    EXPECT_EQ(against, 0u);
}

// Back faces are culled in the main pass and front faces in the shadow pass, so every
// solid must be closed and wound counter-clockwise seen from outside.
TEST_P(ModelFileTest, SurfaceIsClosedAndFacesTheViewer)
{
    const ModelCase& c = GetParam();
    // Vertices split at texture seams share positions: compare edges by position.
    using Key = std::tuple<long, long, long>;
    auto key = [this](unsigned int i) {
        const glm::vec3 p = position(i);
        return Key{std::lround(p.x * 100.0f), std::lround(p.y * 100.0f), std::lround(p.z * 100.0f)};
    };
    std::map<std::pair<Key, Key>, int> edges;
    double volume = 0.0;
    unsigned int facingWrong = 0;
    const glm::vec3 roomCentre(0, 1200, 0);
    for (unsigned int f = 0; f < mesh->mNumFaces; ++f) {
        const aiFace& face = mesh->mFaces[f];
        for (unsigned int k = 0; k < 3; ++k)
            ++edges[{key(face.mIndices[k]), key(face.mIndices[(k + 1) % 3])}];
        const glm::vec3 a = position(face.mIndices[0]), b = position(face.mIndices[1]), d = position(face.mIndices[2]);
        volume += glm::dot(a, glm::cross(b, d)) / 6.0;
        const glm::vec3 n = faceNormal(face);
        if (c.shape == ModelCase::InwardShell && glm::dot(n, roomCentre - (a + b + d) / 3.0f) <= 0.0f)
            ++facingWrong;
        if (c.shape == ModelCase::UpwardSheet && n.y <= 0.0f)
            ++facingWrong;
    }
    EXPECT_EQ(facingWrong, 0u);

    unsigned int unmatched = 0, unmatchedAboveFloor = 0;
    for (const auto& [edge, count] : edges) {
        auto reverse = edges.find({edge.second, edge.first});
        const int back = reverse == edges.end() ? 0 : reverse->second;
        if (back != count) {
            ++unmatched;
            if (std::get<1>(edge.first) != 0 || std::get<1>(edge.second) != 0)
                ++unmatchedAboveFloor;
        }
    }
    if (c.shape == ModelCase::Closed) {
        EXPECT_EQ(unmatched, 0u) << "open or inconsistently wound edges";
        EXPECT_GT(volume, 0.0) << "wound clockwise seen from outside";
    }
    if (c.shape == ModelCase::InwardShell) {
        EXPECT_EQ(unmatchedAboveFloor, 0u) << "the shell may be open only at the floor";
    }
}

INSTANTIATE_TEST_SUITE_P(Models, ModelFileTest, ::testing::ValuesIn(modelCases),
                         [](const ::testing::TestParamInfo<ModelCase>& info) {
                             std::string name = info.param.file;
                             return name.substr(0, name.find('.'));
                         });

// The scene stretches the room by (1.1, 1, 1.3) and the floor by (7.5, 1, 6.5).
// After that stretch one texture repeat must span the same distance across and up,
// or bricks come out squashed.
struct StretchCase {
    const char* file;
    glm::vec3 stretch;
};

void PrintTo(const StretchCase& c, std::ostream* os) { *os << c.file; }

class TextureStretchTest : public ::testing::TestWithParam<StretchCase> {};

TEST_P(TextureStretchTest, TexelsStaySquareAfterTheSceneStretch)
{
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile((resDir / "models" / GetParam().file).string(),
                                             aiProcess_CalcTangentSpace | aiProcess_JoinIdenticalVertices
                                                 | aiProcess_Triangulate | aiProcess_GenNormals);
    ASSERT_TRUE(scene && scene->mNumMeshes > 0);
    const aiMesh* mesh = scene->mMeshes[0];
    for (unsigned int f = 0; f < mesh->mNumFaces; ++f) {
        const aiFace& face = mesh->mFaces[f];
        glm::vec3 p[3];
        glm::vec2 t[3];
        for (int k = 0; k < 3; ++k) {
            const unsigned int i = face.mIndices[k];
            p[k] = GetParam().stretch * glm::vec3(mesh->mVertices[i].x, mesh->mVertices[i].y, mesh->mVertices[i].z);
            t[k] = {mesh->mTextureCoords[0][i].x, mesh->mTextureCoords[0][i].y};
        }
        // World-space derivatives of position with respect to u and v.
        const glm::vec3 e1 = p[1] - p[0], e2 = p[2] - p[0];
        const glm::vec2 d1 = t[1] - t[0], d2 = t[2] - t[0];
        const float det = d1.x * d2.y - d2.x * d1.y;
        ASSERT_GT(std::fabs(det), 1e-9f) << "face " << f << " has no texture area";
        const glm::vec3 dpdu = (e1 * d2.y - e2 * d1.y) / det, dpdv = (e2 * d1.x - e1 * d2.x) / det;
        ASSERT_NEAR(glm::length(dpdu) / glm::length(dpdv), 1.0f, 0.01f) << "face " << f;
        ASSERT_NEAR(glm::dot(glm::normalize(dpdu), glm::normalize(dpdv)), 0.0f, 0.01f) << "face " << f;
        // One repeat spans a few hundred world units: bricks of a believable size.
        ASSERT_GT(glm::length(dpdu), 150.0f);
        ASSERT_LT(glm::length(dpdu), 500.0f);
    }
}

INSTANTIATE_TEST_SUITE_P(Architecture, TextureStretchTest,
                         ::testing::Values(StretchCase{"roomt.obj", {1.1f, 1.0f, 1.3f}},
                                           StretchCase{"plane.obj", {7.5f, 1.0f, 6.5f}},
                                           StretchCase{"roomtFine.obj", {1.1f, 1.0f, 1.3f}},
                                           StretchCase{"planeFine.obj", {7.5f, 1.0f, 6.5f}}),
                         [](const ::testing::TestParamInfo<StretchCase>& info) {
                             const std::string file = info.param.file;
                             return file.substr(0, file.find('.'));
                         });

}  // namespace

// The GLSL sources as the shader build hands them to the driver: every program's stages,
// spliced with the build's prelude, pass the reference compiler and link; and what the
// programs share lives in one file, not in copies that drift apart.
namespace {

const char* const programNames[] = {"genericTextureShader", "reflectingTextureShader", "normalMapTextureShader",
                                    "shadowTextureShader",  "framebufferShader",       "bloomShader",
                                    "dofShader"};
// The first ones of those, lit by the hall's lights: built for each count of lights.
constexpr size_t litProgramCount = 3;

const fs::path shaderDir = fs::path(PINAKORA_SOURCE_DIR) / "shaders";

} // namespace

// Desktop GLSL 3.30 and the browser build's GLSL ES 3.00 alike; the lit programs for 1 to 4
// lights, as ES takes only constant indices into their array of shadow maps.
TEST(ShaderSources, EveryProgramAsBuiltPassesTheReferenceCompiler)
{
    if (std::system("command -v glslangValidator >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "glslangValidator (glslang-tools) is not installed";
    const fs::path out = fs::temp_directory_path() / ("pinakora-glsl-" + std::to_string(::getpid()));
    fs::create_directories(out);
    const ShaderDialect desktop;
    for (const ShaderDialect& dialect : {desktop, esShaderDialect()}) {
        for (size_t program = 0; program < std::size(programNames); ++program) {
            const char* name = programNames[program];
            const bool lit = program < litProgramCount;
            const int mostLights = lit ? maxLights : 2;  // the others see no lights
            for (int lights = lit ? 1 : 2; lights <= mostLights; ++lights) {
                for (const std::string defines : {"", "#define ENVIRONMENT_CAPTURE\n", "#define BLOOM_HALO\n", "#define DOF_BLUR\n"}) {
                    std::string command = "glslangValidator -l";
                    for (const char* stage : {".vert", ".geom", ".frag"}) {
                        const fs::path file = shaderDir / (std::string(name) + stage);
                        if (!fs::exists(file))
                            continue;
                        const ShaderSource source =
                            spliceShaderSource(file.string(), readBytes(file), shaderPrelude(lights) + defines,
                                               readShaderFile, dialect);
                        EXPECT_TRUE(source.unread.empty()) << file;
                        const fs::path spliced = out / (std::string(name) + stage);
                        std::ofstream(spliced) << source.text;
                        command += " " + spliced.string();
                    }
                    command += " > " + (out / "log.txt").string() + " 2>&1";
                    EXPECT_EQ(std::system(command.c_str()), 0)
                        << name << " (" << (dialect.versionLine.empty() ? "desktop" : dialect.versionLine) << ", "
                        << lights << " lights, "
                        << (defines.empty() ? "frame" : defines) << "):\n"
                        << readBytes(out / "log.txt");
                }
            }
        }
    }
    fs::remove_all(out);
}

TEST(ShaderSources, NoBlockOfNineLinesIsCopiedBetweenFiles)
{
    constexpr size_t blockLength = 9;
    std::map<std::string, std::string> firstSeen;  // block text -> file
    for (const auto& entry : fs::directory_iterator(shaderDir)) {
        // Consecutive non-blank lines only: a blank line ends a run.
        std::istringstream again(readBytes(entry.path()));
        std::vector<std::vector<std::string>> runs(1);
        for (std::string line; std::getline(again, line);) {
            if (line.find_first_not_of(" \t\r") == std::string::npos)
                runs.emplace_back();
            else
                runs.back().push_back(line);
        }
        std::set<std::string> blocksHere;
        for (const auto& run : runs)
            for (size_t i = 0; i + blockLength <= run.size(); ++i) {
                std::string block;
                for (size_t k = 0; k < blockLength; ++k)
                    block += run[i + k] + "\n";
                blocksHere.insert(block);
            }
        const std::string file = entry.path().filename().string();
        for (const std::string& block : blocksHere) {
            const auto [it, fresh] = firstSeen.emplace(block, file);
            EXPECT_TRUE(fresh) << file << " repeats lines of " << it->second << ":\n" << block;
        }
    }
}
