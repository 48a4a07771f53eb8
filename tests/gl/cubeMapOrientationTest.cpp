// The captured cube maps as the lit programs read them: a stand-in scene of coloured
// spheres around a capture point goes through the real environment capture, and the
// look-up function of each lit fragment shader, compiled into a small probe program,
// must return the colour of the direction it is asked for.
#include "assets/models.h"
#include "assets/textures.h"
#include "programs/shaderProgram.h"
#include "render/capturePasses.h"
#include "render/renderTargets.h"
#include "scene/sceneObjects.h"
#include "tests/gl/hallFixture.h"

#include <glm/gtc/type_ptr.hpp>
#include <memory>

namespace {

const glm::vec3 capturePoint(0.0f, 1000.0f, 0.0f);
constexpr float markerDistance = 300.0f;

struct Marker {
    glm::vec3 direction;
    glm::vec3 color;  // each channel 0 or 1
};

// One sphere straight along each axis, each in its own colour: these tell the faces
// apart. One white sphere off the centre of every face, at in-face offsets of
// different size and sign: flipping or transposing a face moves it onto empty space.
const Marker markers[] = {
    {{1, 0, 0}, {1, 0, 0}},         {{-1, 0, 0}, {0, 1, 1}},       {{0, 1, 0}, {0, 1, 0}},
    {{0, -1, 0}, {1, 0, 1}},        {{0, 0, 1}, {0, 0, 1}},        {{0, 0, -1}, {1, 1, 0}},
    {{1, 0.45f, 0.2f}, {1, 1, 1}},  {{-1, 0.2f, -0.45f}, {1, 1, 1}}, {{0.45f, 1, -0.2f}, {1, 1, 1}},
    {{-0.2f, -1, 0.45f}, {1, 1, 1}}, {{0.45f, -0.2f, 1}, {1, 1, 1}}, {{-0.2f, 0.45f, -1}, {1, 1, 1}},
};

// The text of one GLSL function, from its signature to the closing brace at line start.
std::string glslFunction(const std::string& source, const std::string& signature)
{
    const size_t begin = source.find(signature);
    if (begin == std::string::npos)
        return "";
    const size_t end = source.find("\n}", begin);
    return end == std::string::npos ? "" : source.substr(begin, end + 2 - begin);
}

GLuint compile(GLenum type, const std::string& source)
{
    const GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    return shader;
}

// A program that writes, into pixel x of a row, the cube map looked up through
// `lookup` (a GLSL function "vec3 captureLookup(vec3)") in direction x of the list.
GLuint probeProgram(const std::string& lookup, int directionCount, std::string& log)
{
    const std::string vertex = R"(#version 330 core
void main() {
    vec2 corner = vec2(float((gl_VertexID & 1) * 4 - 1), float((gl_VertexID & 2) * 2 - 1));
    gl_Position = vec4(corner, 0.0, 1.0);
}
)";
    const std::string fragment = "#version 330 core\nuniform samplerCube map;\nuniform vec3 directions[" +
                                 std::to_string(directionCount) + "];\nout vec4 out_color;\n" + lookup +
                                 "\nvoid main() {\n"
                                 "    out_color = texture(map, captureLookup(directions[int(gl_FragCoord.x)]));\n"
                                 "}\n";
    const GLuint program = glCreateProgram();
    const GLuint shaders[] = {compile(GL_VERTEX_SHADER, vertex), compile(GL_FRAGMENT_SHADER, fragment)};
    for (GLuint shader : shaders)
        glAttachShader(program, shader);
    glLinkProgram(program);
    for (GLuint shader : shaders)
        glDeleteShader(shader);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (!linked) {
        char text[2048] = {};
        glGetProgramInfoLog(program, sizeof text, nullptr, text);
        log = text;
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

// Samples the cube map in each direction through the program; RGBA8 per direction.
std::vector<unsigned char> sample(GLuint program, GLuint cubeMap, const std::vector<glm::vec3>& directions)
{
    const int count = static_cast<int>(directions.size());
    GLuint target = 0, framebuffer = 0, vertexArray = 0;
    glGenTextures(1, &target);
    glBindTexture(GL_TEXTURE_2D, target);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, count, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target, 0);
    glViewport(0, 0, count, 1);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glUseProgram(program);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap);
    glUniform1i(glGetUniformLocation(program, "map"), 0);
    glUniform3fv(glGetUniformLocation(program, "directions"), count, glm::value_ptr(directions[0]));
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    std::vector<unsigned char> texels(static_cast<size_t>(count) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, count, 1, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glBindVertexArray(0);
    glDeleteVertexArrays(1, &vertexArray);
    glUseProgram(0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteTextures(1, &target);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    return texels;
}

std::string colorText(const unsigned char* p)
{
    return "(" + std::to_string(p[0]) + ", " + std::to_string(p[1]) + ", " + std::to_string(p[2]) + ")";
}

using CubeMapOrientationTest = HallTest;

TEST_F(CubeMapOrientationTest, LitShadersLookUpTheDirectionTheCaptureSawThere)
{
    // White texels for the markers, and a cube map of the environment maps' kind.
    const unsigned char white[4] = {255, 255, 255, 255};
    GLuint whiteTexture = 0, cubeMap = 0;
    glGenTextures(1, &whiteTexture);
    glBindTexture(GL_TEXTURE_2D, whiteTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    glGenTextures(1, &cubeMap);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap);
    for (GLenum parameter : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER})
        glTexParameteri(GL_TEXTURE_CUBE_MAP, parameter, GL_NEAREST);
    for (int face = 0; face < 6; ++face)
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGBA8, environmentMapSize, environmentMapSize, 0,
                     GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);

    // Markers glow by their ambient colour alone, bright enough to saturate.
    Texture markerTexture{whiteTexture, 5};
    Texture probeTexture{cubeMap, 0};
    const float sphereRadius = 120.0f;  // of model 1
    std::vector<std::unique_ptr<Material>> materials;
    std::vector<std::unique_ptr<EngineObject>> objects;
    std::map<int, EngineObject*> standIns;
    for (const Marker& m : markers) {
        materials.push_back(std::make_unique<Material>());
        materials.back()->ambientColor = glm::vec4(m.color * 20.0f, 1.0f);
        auto object = std::make_unique<EngineObject>(getModel(1), &markerTexture, materials.back().get());
        const bool onAxis = glm::length(m.direction) == 1.0f;
        object->scale((onAxis ? 40.0f : 25.0f) / sphereRadius);
        object->translate(capturePoint + glm::normalize(m.direction) * markerDistance);
        standIns[*object->id] = object.get();
        objects.push_back(std::move(object));
    }
    EngineObject probe(getModel(1), &probeTexture, materials[0].get());
    probe.translate(capturePoint);
    {
        sceneObjects = standIns;
        reflectingObjects.clear();
        lamps[0] = lamps[1] = objects[0].get();  // drawn where the +X marker already is
        renderEnvironmentCubeMap(probe);
    }
    ASSERT_TRUE(drainGLErrors().empty());

    // Each marker's own direction, then the same face with the offsets flipped or
    // swapped, where nothing was placed.
    std::vector<glm::vec3> directions;
    std::vector<glm::vec3> expected;
    for (const Marker& m : markers) {
        directions.push_back(m.direction);
        expected.push_back(m.color);
    }
    for (const Marker& m : markers) {
        if (glm::length(m.direction) == 1.0f)
            continue;
        const glm::vec3 d = m.direction;
        const glm::vec3 major = glm::vec3(glm::greaterThanEqual(glm::abs(d), glm::vec3(0.99f))) * d;
        const glm::vec3 offset = d - major;
        glm::vec3 swapped = offset;  // the two in-face offsets exchanged
        if (major.x != 0.0f)
            swapped = glm::vec3(0.0f, offset.z, offset.y);
        else if (major.y != 0.0f)
            swapped = glm::vec3(offset.z, 0.0f, offset.x);
        else
            swapped = glm::vec3(offset.y, offset.x, 0.0f);
        for (const glm::vec3& empty : {major - offset, major + swapped, major - swapped}) {
            directions.push_back(empty);
            expected.push_back(glm::vec3(0.0f));
        }
    }

    const std::string lookupSignature = "vec3 captureLookup(vec3 v)";
    // The lit programs share one look-up, in the lighting source they all splice in; the
    // mirrors flip their derivatives by the face's flip it is made of.
    for (const char* shader : {"litShading.glsl"}) {
        SCOPED_TRACE(shader);
        const std::string source = readTextFile(sourceDir() + "/shaders/" + shader);
        const std::string flip = glslFunction(source, "vec3 captureFlip(vec3 v)");
        ASSERT_FALSE(flip.empty()) << "the shader has no captureFlip";
        const std::string lookup = flip + "\n" + glslFunction(source, lookupSignature);
        ASSERT_NE(lookup, flip + "\n") << "the shader has no " << lookupSignature;
        std::string log;
        const GLuint program = probeProgram(lookup, static_cast<int>(directions.size()), log);
        ASSERT_NE(program, 0u) << log;
        const std::vector<unsigned char> texels = sample(program, cubeMap, directions);
        glDeleteProgram(program);
        for (size_t i = 0; i < directions.size(); ++i) {
            const unsigned char* p = &texels[i * 4];
            const glm::vec3& d = directions[i];
            SCOPED_TRACE("direction (" + std::to_string(d.x) + ", " + std::to_string(d.y) + ", " +
                         std::to_string(d.z) + ") read " + colorText(p));
            for (int channel = 0; channel < 3; ++channel) {
                if (expected[i][channel] > 0.5f) {
                    EXPECT_GT(p[channel], 128) << "channel " << channel;
                } else {
                    EXPECT_LT(p[channel], 40) << "channel " << channel;
                }
            }
        }
    }
    glDeleteTextures(1, &whiteTexture);
    glDeleteTextures(1, &cubeMap);
    EXPECT_TRUE(drainGLErrors().empty());
}

} // namespace
