// Models and textures on a real context: the vertex-array wiring and buffer set each
// program gets, drawing what was uploaded, the texture table, and files that are
// missing, broken or not what their name says.
#include "assets/assets.h"
#include "assets/models.h"
#include "assets/textures.h"
#include "programs/modelInputs.h"
#include "programs/shaderProgram.h"
#include "tests/gl/glTestContext.h"
#include "tests/unit/defaultNames.h"

#include <FreeImage.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const fullVertex = R"(#version 330 core
layout(location = 0) in vec4 in_position;
layout(location = 1) in vec3 in_normal;
layout(location = 2) in vec2 in_texCoord;
layout(location = 3) in vec3 in_tangent;
layout(location = 4) in vec3 in_bitangent;
out vec3 mixed;
void main() {
    mixed = in_normal + vec3(in_texCoord, 0.0) + in_tangent + in_bitangent;
    gl_Position = vec4(in_position.xyz / 150.0, in_position.w);
}
)";
const char* const plainVertex = R"(#version 330 core
layout(location = 0) in vec4 in_position;
layout(location = 1) in vec3 in_normal;
layout(location = 2) in vec2 in_texCoord;
out vec3 mixed;
void main() {
    mixed = in_normal + vec3(in_texCoord, 0.0);
    gl_Position = vec4(in_position.xyz / 150.0, in_position.w);
}
)";
// The branch keeps every input alive without changing the colour.
const char* const whiteFragment = R"(#version 330 core
in vec3 mixed;
out vec4 out_color;
void main() {
    if (mixed.x > 1e30) discard;
    out_color = vec4(1.0);
}
)";

fs::path makeTempDir(const std::string& name)
{
    const fs::path dir = fs::temp_directory_path() / ("pinakora-" + name + "-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

void writeText(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

GLint bufferSize(GLuint buffer)
{
    GLint size = -1;
    glBindBuffer(GL_COPY_READ_BUFFER, buffer);
    glGetBufferParameteriv(GL_COPY_READ_BUFFER, GL_BUFFER_SIZE, &size);
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
    return size;
}

struct AttribState {
    GLint enabled = 0, buffer = 0, size = 0, type = 0, normalized = 0, stride = 0;
};
AttribState attribState(GLuint location)
{
    AttribState s;
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &s.enabled);
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &s.buffer);
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_SIZE, &s.size);
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_TYPE, &s.type);
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_NORMALIZED, &s.normalized);
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_STRIDE, &s.stride);
    return s;
}

// A record with the loaded arrays and none of the GL names, for a second upload.
ModelData arraysOf(const ModelData& model)
{
    ModelData copy;
    copy.positions = model.positions;
    copy.normals = model.normals;
    copy.tangents = model.tangents;
    copy.bitangents = model.bitangents;
    copy.texCoords = model.texCoords;
    copy.indices = model.indices;
    copy.vertexCount = model.vertexCount;
    copy.indexCount = model.indexCount;
    return copy;
}

class ModelUpload : public GLTest {
protected:
    static void SetUpTestSuite()
    {
        GLTest::SetUpTestSuite();
        if (!sharedGLWindow())
            return;
        shaderDir = makeTempDir("asset-shaders");
        writeText(shaderDir / "full.vert", fullVertex);
        writeText(shaderDir / "plain.vert", plainVertex);
        writeText(shaderDir / "full.frag", whiteFragment);
        writeText(shaderDir / "plain.frag", whiteFragment);
        full = new ShaderProgram((shaderDir / "full").string());
        plain = new ShaderProgram((shaderDir / "plain").string());
        modelDirectory = sourceDir() + "/res/models/";
        hallModels = models;
        loadModels();
    }
    static void TearDownTestSuite()
    {
        fs::remove_all(shaderDir);
        modelDirectory = "./res/models/";
        // The suite's own records were wired by its own programs, and some not at all: the
        // hall gets back the records it uploaded.
        models = hallModels;
    }
    void SetUp() override
    {
        GLTest::SetUp();
        scratch = makeTempDir("asset-models");
    }
    void TearDown() override
    {
        fs::remove_all(scratch);
        modelDirectory = sourceDir() + "/res/models/";
        // Put the hall's records back for the tests that follow.
        for (const auto& [key, model] : replaced)
            models[key] = model;
    }

    // Remembers the hall's record of `key` before a test loads its own file there.
    void replacing(short key) { replaced.emplace(key, getModel(key)); }

    // Loads `text` as the file of `key` from the scratch folder.
    ModelData* loadText(short key, const std::string& text)
    {
        replacing(key);
        writeText(scratch / modelFileName(key), text);
        modelDirectory = scratch.string() + "/";
        ConsoleCapture quiet;  // Assimp may warn about the odd test files
        loadModel(key, true);
        return getModel(key);
    }

    // Fraction of a 64 x 64 target the model covers when drawn through its vertex array.
    static double coverage(const ModelData& model, const ShaderProgram& program)
    {
        GLuint fbo = 0, colour = 0;
        glGenFramebuffers(1, &fbo);
        glGenRenderbuffers(1, &colour);
        glBindRenderbuffer(GL_RENDERBUFFER, colour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 64, 64);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
        glViewport(0, 0, 64, 64);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_DEPTH_TEST);
        program.use();
        glBindVertexArray(model.vertexArray);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(model.indexCount), GL_UNSIGNED_INT, nullptr);
        glBindVertexArray(0);
        glUseProgram(0);
        std::vector<unsigned char> pixels(64 * 64 * 4);
        glReadPixels(0, 0, 64, 64, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &fbo);
        glDeleteRenderbuffers(1, &colour);
        int lit = 0;
        for (size_t i = 0; i < pixels.size(); i += 4)
            lit += pixels[i] > 128;
        return lit / (64.0 * 64.0);
    }

    static inline fs::path shaderDir;
    static inline ShaderProgram* full = nullptr;
    static inline std::map<short, ModelData*> hallModels;
    static inline ShaderProgram* plain = nullptr;
    fs::path scratch;
    std::map<short, ModelData*> replaced;
};

TEST_F(ModelUpload, EveryHallModelLoadsCompleteArrays)
{
    std::set<short> keys;
    for (const ModelFile& file : hallModelFiles())
        keys.insert(file.key);
    for (short key : keys) {
        SCOPED_TRACE(modelFileName(key));
        ModelData* model = getModel(key);
        ASSERT_NE(model, nullptr);
        EXPECT_EQ(getModel(key), model);
        EXPECT_GT(model->vertexCount, 0u);
        EXPECT_GT(model->indexCount, 0u);
        EXPECT_EQ(model->indexCount % 3, 0u);
        EXPECT_EQ(model->indices.size(), model->indexCount);
        for (size_t size : {model->positions.size(), model->normals.size(), model->tangents.size(),
                            model->bitangents.size(), model->texCoords.size()})
            EXPECT_EQ(size, model->vertexCount);
        for (const glm::vec4& p : model->positions)
            ASSERT_EQ(p.w, 1.0f);
        for (GLuint i : model->indices)
            ASSERT_LT(i, model->vertexCount);
    }
    EXPECT_EQ(getModel(*keys.rbegin() + 1), nullptr);
    EXPECT_EQ(getModel(0), nullptr);
}

// The captures draw the twins once they can be drawn, and the frame's own meshes until
// then (or should a twin fail to load). A twin is the same shape: the room and the floor
// finely divided, the pedestal's blocks in another order.
TEST_F(ModelUpload, CapturesTakeTheTwinsOnlyOnceUploaded)
{
    for (const CaptureTwin& pair : captureTwins) {
        SCOPED_TRACE(modelFileName(pair.twin));
        ModelData& frameMesh = *getModel(pair.model);
        ModelData& twin = *getModel(pair.twin);
        if (pair.twin == topFirstPedestalKey)
            EXPECT_EQ(twin.indexCount, frameMesh.indexCount);
        else
            EXPECT_GT(twin.vertexCount, 4 * frameMesh.vertexCount);
        EXPECT_EQ(captureTwin(defaultAssets(), frameMesh), &twin);
        ModelData notUploaded = twin;
        notUploaded.vertexArray = 0;
        EXPECT_EQ(&captureMesh(frameMesh, &notUploaded), &frameMesh);
        uploadModel(twin, *full);
        EXPECT_EQ(&captureMesh(frameMesh, &twin), &twin);
    }
    EXPECT_EQ(captureTwin(defaultAssets(), *getModel(5)), nullptr);
    EXPECT_EQ(&captureMesh(*getModel(5), nullptr), getModel(5));
}

TEST_F(ModelUpload, ProgramWithTangentsGetsAllSixBuffersWired)
{
    for (const ModelFile& file : hallModelFiles()) {
        const short key = file.key;
        SCOPED_TRACE(modelFileName(key));
        ModelData& model = *getModel(key);
        uploadModel(model, *full);
        GLint boundArray = -1, boundVao = -1;
        glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &boundVao);
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &boundArray);
        EXPECT_EQ(boundVao, 0);
        EXPECT_EQ(boundArray, 0);
        ASSERT_TRUE(glIsVertexArray(model.vertexArray));

        const GLint n = static_cast<GLint>(model.vertexCount);
        EXPECT_EQ(bufferSize(model.positionBuffer), n * 16);
        EXPECT_EQ(bufferSize(model.normalBuffer), n * 12);
        EXPECT_EQ(bufferSize(model.texCoordBuffer), n * 8);
        EXPECT_EQ(bufferSize(model.tangentBuffer), n * 12);
        EXPECT_EQ(bufferSize(model.bitangentBuffer), n * 12);
        EXPECT_EQ(bufferSize(model.indexBuffer), static_cast<GLint>(model.indexCount) * 4);

        glBindVertexArray(model.vertexArray);
        GLint elements = 0;
        glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elements);
        EXPECT_EQ(static_cast<GLuint>(elements), model.indexBuffer);
        const struct {
            GLuint location, buffer;
            GLint components;
        } wiring[] = {{PositionAttribute, model.positionBuffer, 4},   {NormalAttribute, model.normalBuffer, 3},
                      {TexCoordAttribute, model.texCoordBuffer, 2},   {TangentAttribute, model.tangentBuffer, 3},
                      {BitangentAttribute, model.bitangentBuffer, 3}};
        for (const auto& w : wiring) {
            const AttribState s = attribState(w.location);
            EXPECT_EQ(s.enabled, GL_TRUE) << "location " << w.location;
            EXPECT_EQ(static_cast<GLuint>(s.buffer), w.buffer) << "location " << w.location;
            EXPECT_EQ(s.size, w.components) << "location " << w.location;
            EXPECT_EQ(s.type, GL_FLOAT);
            EXPECT_EQ(s.normalized, GL_FALSE);
            EXPECT_EQ(s.stride, 0);
        }
        glBindVertexArray(0);

        // The tangent buffer holds the loaded tangents, not some other array.
        std::vector<glm::vec3> tangents(model.vertexCount);
        glBindBuffer(GL_COPY_READ_BUFFER, model.tangentBuffer);
        glGetBufferSubData(GL_COPY_READ_BUFFER, 0, n * 12, tangents.data());
        glBindBuffer(GL_COPY_READ_BUFFER, 0);
        EXPECT_TRUE(tangents == model.tangents);
        EXPECT_TRUE(drainGLErrors().empty());

        // The passes cull by this sphere: it must hold every vertex, and no more than that.
        float farthest = 0.0f;
        for (const glm::vec4& p : model.positions)
            farthest = std::max(farthest, glm::distance(glm::vec3(p), glm::vec3(model.bounds)));
        EXPECT_NEAR(model.bounds.w, farthest, 1e-4f * farthest);
    }
}

TEST_F(ModelUpload, ProgramWithoutTangentsGetsNoTangentBuffers)
{
    // Uploaded first for a program with tangents, as when the programs are rebuilt for
    // another hall: the second upload replaces every buffer of the first.
    ModelData model = arraysOf(*getModel(5));
    uploadModel(model, *full);
    const GLuint first[] = {model.vertexArray,  model.positionBuffer,  model.normalBuffer, model.texCoordBuffer,
                            model.indexBuffer,  model.tangentBuffer,   model.bitangentBuffer};
    uploadModel(model, *plain);
    // The driver may hand a freed name out again; then it is one of the new buffers.
    const std::set<GLuint> now = {model.positionBuffer, model.normalBuffer, model.texCoordBuffer, model.indexBuffer};
    EXPECT_TRUE(first[0] == model.vertexArray || !glIsVertexArray(first[0]));
    for (int i = 1; i < 7; ++i)
        EXPECT_TRUE(now.count(first[i]) || !glIsBuffer(first[i])) << "buffer " << i << " of the first upload";
    EXPECT_EQ(model.tangentBuffer, 0u);
    EXPECT_EQ(model.bitangentBuffer, 0u);
    for (GLuint b : {model.positionBuffer, model.normalBuffer, model.texCoordBuffer, model.indexBuffer})
        EXPECT_TRUE(glIsBuffer(b));
    glBindVertexArray(model.vertexArray);
    for (GLuint location : {0u, 1u, 2u})
        EXPECT_EQ(attribState(location).enabled, GL_TRUE) << location;
    for (GLuint location : {3u, 4u})
        EXPECT_EQ(attribState(location).enabled, GL_FALSE) << location;
    glBindVertexArray(0);
    EXPECT_TRUE(drainGLErrors().empty());
}

TEST_F(ModelUpload, UploadedSphereDrawsAsADisc)
{
    // Radius 120 over the shader's 150: a disc of radius 0.8 in clip space.
    const double expected = 3.14159265 * 0.8 * 0.8 / 4.0;
    ModelData& sphere = *getModel(1);
    if (sphere.vertexArray == 0)
        uploadModel(sphere, *full);
    EXPECT_NEAR(coverage(sphere, *full), expected, 0.03);
    ModelData plainSphere = arraysOf(sphere);
    uploadModel(plainSphere, *plain);
    EXPECT_NEAR(coverage(plainSphere, *plain), expected, 0.03);
    EXPECT_TRUE(drainGLErrors().empty());
}

TEST_F(ModelUpload, SeveralMeshFileGivesItsFirstMesh)
{
    ModelData* model = loadText(5, "o first\nv 0 0 0\nv 100 0 0\nv 0 100 0\nvt 0 0\nvt 1 0\nvt 0 1\n"
                                   "f 1/1 2/2 3/3\n"
                                   "o second\nv 50 50 50\nv 60 50 50\nv 60 60 50\nv 50 60 50\n"
                                   "f 4/1 5/2 6/3 7/1\n");
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->vertexCount, 3u);
    EXPECT_EQ(model->indexCount, 3u);
    for (const glm::vec4& p : model->positions)
        EXPECT_LT(p.z, 1.0f) << "a vertex of the second mesh";
    uploadModel(*model, *full);
    EXPECT_GT(coverage(*model, *full), 0.05);
}

TEST_F(ModelUpload, MeshWithoutTextureCoordinatesIsZeroFilled)
{
    ModelData* model = loadText(6, "v 0 0 0\nv 100 0 0\nv 100 100 0\nv 0 100 0\nf 1 2 3 4\n");
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->vertexCount, 4u);
    EXPECT_EQ(model->indexCount, 6u);
    ASSERT_EQ(model->texCoords.size(), 4u);
    ASSERT_EQ(model->tangents.size(), 4u);
    ASSERT_EQ(model->bitangents.size(), 4u);
    for (unsigned int i = 0; i < 4; ++i)
        EXPECT_EQ(model->texCoords[i], glm::vec2(0.0f));
    uploadModel(*model, *full);
    EXPECT_EQ(bufferSize(model->tangentBuffer), 4 * 12);
    EXPECT_EQ(bufferSize(model->texCoordBuffer), 4 * 8);
    drainGLErrors();
}

TEST_F(ModelUpload, LinesAndPointsAreLeftOut)
{
    ModelData* model = loadText(8, "v 0 0 0\nv 100 0 0\nv 0 100 0\nv 20 20 20\nvt 0 0\nvt 1 0\nvt 0 1\n"
                                   "f 1/1 2/2 3/3\nl 3 4\np 4\n");
    ASSERT_NE(model, nullptr);
    // The one mesh holds a triangle, a line and a point; only the triangle is kept.
    EXPECT_EQ(model->indexCount, 3u);
    EXPECT_EQ(model->indices.size(), model->indexCount);
    for (GLuint i : model->indices)
        EXPECT_LT(i, model->vertexCount);
    uploadModel(*model, *full);
    coverage(*model, *full);
    EXPECT_TRUE(drainGLErrors().empty());
}

TEST_F(ModelUpload, MissingOrBrokenFileLeavesADrawableEmptyRecord)
{
    const struct {
        const char* what;
        const char* content;  // null: no file at all
    } cases[] = {{"missing", nullptr}, {"garbage", "\x01\x02 this is not a model \xff\n"}, {"empty", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(scratch / "teapot.obj");
        if (c.content)
            writeText(scratch / "teapot.obj", c.content);
        modelDirectory = scratch.string() + "/";
        replacing(5);
        ConsoleCapture console;
        loadModel(5, true);
        const std::string err = console.err();
        // One line on standard error that names the file.
        EXPECT_NE(err.find("Model file " + scratch.string() + "/teapot.obj"), std::string::npos) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        ModelData* model = getModel(5);
        ASSERT_NE(model, nullptr);
        EXPECT_EQ(model->vertexCount, 0u);
        EXPECT_EQ(model->indexCount, 0u);
        uploadModel(*model, *full);
        EXPECT_TRUE(glIsVertexArray(model->vertexArray));
        EXPECT_EQ(coverage(*model, *full), 0.0);
        EXPECT_TRUE(drainGLErrors().empty());
    }
}

// Two owners, each with a file of its own under a key the hall's table lacks: each finds
// only what it loaded, releasing one leaves the other's names alone, and an owner that
// goes while the context is current takes its names with it.
TEST_F(ModelUpload, EachOwnerLoadsItsOwnFilesAndReleasesOnlyWhatItMade)
{
    struct Names {
        GLuint vertexArray, buffer, texture;
    };
    auto fill = [](Assets& assets, short modelKey, short textureKey) {
        assets.modelDirectory = sourceDir() + "/res/models/";
        assets.textureDirectory = sourceDir() + "/res/textures/";
        assets.modelFiles = {{modelKey, "teapot.obj", true}};
        assets.textureFiles = {{textureKey, "white.jpg"}};
        loadModels(assets);
        loadTextures(assets);
        ModelData* model = getModel(assets, modelKey);
        Texture* texture = findTexture(assets, static_cast<unsigned int>(textureKey));
        EXPECT_TRUE(model && model->vertexCount > 0 && texture);
        if (!model || !texture)
            return Names{0, 0, 0};
        uploadModel(*model, *full);
        return Names{model->vertexArray, model->positionBuffer, texture->id};
    };
    Names kept{};
    {
        Assets own, other;
        const Names released = fill(own, 200, 300);
        kept = fill(other, 201, 301);
        EXPECT_EQ(getModel(own, 201), nullptr);
        EXPECT_EQ(findTexture(other, 300), nullptr);
        EXPECT_EQ(getModel(200), nullptr) << "the default assets load nothing of an owner's";

        releaseAssets(own);
        EXPECT_FALSE(glIsVertexArray(released.vertexArray));
        EXPECT_FALSE(glIsBuffer(released.buffer));
        EXPECT_FALSE(glIsTexture(released.texture));
        EXPECT_EQ(getModel(own, 200)->vertexArray, 0u);
        EXPECT_EQ(findTexture(own, 300)->id, 0u);
        EXPECT_TRUE(glIsVertexArray(kept.vertexArray));
        EXPECT_TRUE(glIsBuffer(kept.buffer));
        EXPECT_TRUE(glIsTexture(kept.texture));
    }
    EXPECT_FALSE(glIsVertexArray(kept.vertexArray));
    EXPECT_FALSE(glIsBuffer(kept.buffer));
    EXPECT_FALSE(glIsTexture(kept.texture));
    EXPECT_TRUE(drainGLErrors().empty());
}

}  // namespace
