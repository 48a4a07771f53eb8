#include "programs/programs.h"

#include "assets/models.h"
#include "navigation/camera.h"
#include "programs/modelInputs.h"

ShaderProgram* genericTextureShader = nullptr;
ShaderProgram* reflectingTextureShader = nullptr;
ShaderProgram* normalMapTextureShader = nullptr;
ShaderProgram* shadowTextureShader = nullptr;
ShaderProgram* framebufferShader = nullptr;
ShaderProgram* bloomShader = nullptr;
ShaderProgram* dofShader = nullptr;
ShaderProgram* bloomHaloShader = nullptr;
ShaderProgram* dofBlurShader = nullptr;
ShaderProgram* presentFallbackShader = nullptr;
ShaderProgram* genericCaptureShader = nullptr;
ShaderProgram* reflectingCaptureShader = nullptr;
ShaderProgram* normalMapCaptureShader = nullptr;
GLuint screenQuad = 0;
std::string shaderDirectory = "shaders";

namespace {

const char* const lightUniformNames[2][5] = {
    {"light[0].position", "light[0].attenuation", "light[0].ambientColor", "light[0].diffuseColor",
     "light[0].specularColor"},
    {"light[1].position", "light[1].attenuation", "light[1].ambientColor", "light[1].diffuseColor",
     "light[1].specularColor"},
};

// Copies the picture unchanged; the present pass writes it with sRGB encoding off.
const char* const fallbackVertexSource = R"(#version 330 core
layout(location = 0) in vec4 in_position;
layout(location = 2) in vec2 in_texCoord;
out vec2 texCoord;
void main() { texCoord = in_texCoord; gl_Position = in_position; }
)";
const char* const fallbackFragmentSource = R"(#version 330 core
uniform sampler2D colorTexture1;
in vec2 texCoord;
out vec4 out_color;
void main() { out_color = texelFetch(colorTexture1, ivec2(texCoord * vec2(textureSize(colorTexture1, 0))), 0); }
)";

ShaderProgram* buildProgram(const char* name, bool bindColorOutput, const std::string& defines = "")
{
    auto* program = new ShaderProgram(shaderDirectory + name, shaderPrelude() + defines);
    if (bindColorOutput)
        program->bindFragDataLocation("out_color");
    return program;
}

ShaderProgram* buildLitProgram(const char* name, bool refracts, const std::string& defines = "")
{
    ShaderProgram* program = buildProgram(name, true, defines);
    cacheLitLocations(*program);
    if (refracts)
        program->locations.refraction = program->getUniformLocation("refraction");
    return program;
}

} // namespace

void cacheLitLocations(ShaderProgram& program)
{
    UniformLocations& l = program.locations;
    l.projectionMatrix = program.getUniformLocation("projectionMatrix");
    l.modelMatrix = program.getUniformLocation("modelMatrix");
    l.viewMatrix = program.getUniformLocation("viewMatrix");
    l.normalMatrix = program.getUniformLocation("normalMatrix");
    l.eyePos = program.getUniformLocation("eyePos");
    for (int i = 0; i < 2; ++i) {
        l.light[i].position = program.getUniformLocation(lightUniformNames[i][0]);
        l.light[i].attenuation = program.getUniformLocation(lightUniformNames[i][1]);
        l.light[i].ambientColor = program.getUniformLocation(lightUniformNames[i][2]);
        l.light[i].diffuseColor = program.getUniformLocation(lightUniformNames[i][3]);
        l.light[i].specularColor = program.getUniformLocation(lightUniformNames[i][4]);
    }
    l.material.ambientColor = program.getUniformLocation("material.ambientColor");
    l.material.diffuseColor = program.getUniformLocation("material.diffuseColor");
    l.material.specularColor = program.getUniformLocation("material.specularColor");
    l.material.specularExponent = program.getUniformLocation("material.specularExponent");
}

std::string shaderPrelude(int lightCount)
{
    return "#define NEAR_DIST " + std::to_string(nearDist) + "\n#define LIGHT_COUNT " + std::to_string(lightCount) + "\n";
}

std::string shaderPrelude()
{
    return shaderPrelude(2);
}

void buildShaderPrograms()
{
    genericTextureShader = buildLitProgram("/genericTextureShader", false);
    reflectingTextureShader = buildLitProgram("/reflectingTextureShader", true);
    normalMapTextureShader = buildLitProgram("/normalMapTextureShader", false);

    shadowTextureShader = buildProgram("/shadowTextureShader", false);
    UniformLocations& s = shadowTextureShader->locations;
    s.projectionMatrix = shadowTextureShader->getUniformLocation("projectionMatrix");
    s.modelMatrix = shadowTextureShader->getUniformLocation("modelMatrix");
    s.viewMatrix = shadowTextureShader->getUniformLocation("viewMatrix");
    s.eyePos = shadowTextureShader->getUniformLocation("eyePos");

    framebufferShader = buildProgram("/framebufferShader", true);
    if (framebufferShader->program == 0) {
        presentFallbackShader = new ShaderProgram("built-in picture copy", fallbackVertexSource, fallbackFragmentSource);
        presentFallbackShader->bindFragDataLocation("out_color");
    }
    // The quad takes its locations from whichever program presents; they are the same.
    buildScreenQuad(framebufferShader->program || !presentFallbackShader ? *framebufferShader : *presentFallbackShader);
    bloomShader = buildProgram("/bloomShader", true);
    bloomHaloShader = buildProgram("/bloomShader", true, "#define BLOOM_HALO\n");
    dofShader = buildProgram("/dofShader", true);
    dofBlurShader = buildProgram("/dofShader", true, "#define DOF_BLUR\n");

    const std::string capture = "#define ENVIRONMENT_CAPTURE\n";
    genericCaptureShader = buildLitProgram("/genericTextureShader", false, capture);
    reflectingCaptureShader = buildLitProgram("/reflectingTextureShader", true, capture);
    normalMapCaptureShader = buildLitProgram("/normalMapTextureShader", false, capture);

    // A program that failed to build has no inputs to wire; its models then take their
    // wiring from the other lit program, which shares the attribute locations.
    ShaderProgram* normalMapUpload = normalMapTextureShader->program ? normalMapTextureShader : genericTextureShader;
    ShaderProgram* genericUpload = genericTextureShader->program ? genericTextureShader : normalMapTextureShader;
    const short tangentKeys[] = {1, 2, 3, 4, 8, 9, 11, 10, fineRoomKey, fineFloorKey};
    for (short key : tangentKeys)
        if (ModelData* model = getModel(key))
            uploadModel(*model, *normalMapUpload);
    for (short key : {5, 6, 7})
        if (ModelData* model = getModel(key))
            uploadModel(*model, *genericUpload);
}

void buildScreenQuad(const ShaderProgram& program)
{
    static const GLfloat positions[16] = {-1, 1, 0, 1, -1, -1, 0, 1, 1, 1, 0, 1, 1, -1, 0, 1};
    static const GLfloat texCoords[8] = {0, 1, 0, 0, 1, 1, 1, 0};
    static const GLuint indices[6] = {1, 0, 2, 1, 2, 3};

    glGenVertexArrays(1, &screenQuad);
    glBindVertexArray(screenQuad);
    GLuint buffers[3];
    glGenBuffers(1, &buffers[0]);
    glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    glBufferData(GL_ARRAY_BUFFER, sizeof(positions), positions, GL_STATIC_DRAW);
    glGenBuffers(1, &buffers[1]);
    glBindBuffer(GL_ARRAY_BUFFER, buffers[1]);
    glBufferData(GL_ARRAY_BUFFER, sizeof(texCoords), texCoords, GL_STATIC_DRAW);
    glGenBuffers(1, &buffers[2]);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[2]);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof(indices), indices, GL_STATIC_DRAW);

    // A program whose build failed reports -1; pointing an attribute there would only
    // raise an error, so the quad then stays without inputs.
    const GLint positionLocation = program.getAttribLocation("in_position");
    if (positionLocation >= 0) {
        glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
        glVertexAttribPointer(positionLocation, 4, GL_FLOAT, GL_FALSE, 0, nullptr);
        glEnableVertexAttribArray(positionLocation);
    }
    const GLint texCoordLocation = program.getAttribLocation("in_texCoord");
    if (texCoordLocation >= 0) {
        glBindBuffer(GL_ARRAY_BUFFER, buffers[1]);
        glVertexAttribPointer(texCoordLocation, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
        glEnableVertexAttribArray(texCoordLocation);
    }
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}
