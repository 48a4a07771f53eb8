#include "programs/programs.h"

#include "assets/assets.h"
#include "assets/models.h"
#include "navigation/camera.h"
#include "programs/modelInputs.h"
#include "programs/objectUniforms.h"

#include <algorithm>
#include <iostream>


namespace {

std::string lightUniformName(int light, const char* member)
{
    return "light[" + std::to_string(light) + "]." + member;
}

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

using Member = ShaderProgram* ShaderPrograms::*;

// The full-screen filters' programs, built in this order. One the frame finds by name
// (ShaderPrograms::find) needs no member: a new filter is its row here and its step in
// the frame.
struct FilterProgram {
    Member member;
    const char* name;
    const char* defines;
};
const FilterProgram filterPrograms[] = {
    {&ShaderPrograms::bloom, "/bloomShader", ""},
    {&ShaderPrograms::bloomHalo, "/bloomShader", "#define BLOOM_HALO\n"},
    {&ShaderPrograms::dof, "/dofShader", ""},
    {&ShaderPrograms::dofBlur, "/dofShader", "#define DOF_BLUR\n"},
};

ShaderProgram* keep(ShaderPrograms& p, Member member, const std::string& name, const std::string& defines,
                    ShaderProgram* program)
{
    p.built.push_back({name, defines, member, program});
    if (member)
        p.*member = program;
    return program;
}

// The lit programs declare LIGHT_COUNT lights; the others ignore it.
ShaderProgram* buildProgram(ShaderPrograms& p, Member member, const char* name, bool bindColorOutput,
                            const std::string& defines = "")
{
    auto* program = new ShaderProgram(p.directory + name, shaderPrelude(p.lightCount) + defines);
    if (bindColorOutput)
        program->bindFragDataLocation("out_color");
    return keep(p, member, name, defines, program);
}

ShaderProgram* buildLitProgram(ShaderPrograms& p, Member member, const char* name, const std::string& defines = "")
{
    ShaderProgram* program = buildProgram(p, member, name, true, defines);
    cacheLitLocations(*program);
    return program;
}

void buildScreenQuad(ShaderPrograms& p, const ShaderProgram& program);

} // namespace

void cacheLitLocations(ShaderProgram& program)
{
    UniformLocations& l = program.locations;
    l.projectionMatrix = program.getUniformLocation("projectionMatrix");
    l.modelMatrix = program.getUniformLocation("modelMatrix");
    l.viewMatrix = program.getUniformLocation("viewMatrix");
    l.normalMatrix = program.getUniformLocation("normalMatrix");
    l.eyePos = program.getUniformLocation("eyePos");
    for (int i = 0; i < maxLightSlots; ++i) {
        LightLocations& light = l.lightAt(i);
        light.position = program.getUniformLocation(lightUniformName(i, "position").c_str());
        light.attenuation = program.getUniformLocation(lightUniformName(i, "attenuation").c_str());
        light.ambientColor = program.getUniformLocation(lightUniformName(i, "ambientColor").c_str());
        light.diffuseColor = program.getUniformLocation(lightUniformName(i, "diffuseColor").c_str());
        light.specularColor = program.getUniformLocation(lightUniformName(i, "specularColor").c_str());
    }
    l.material.ambientColor = program.getUniformLocation("material.ambientColor");
    l.material.diffuseColor = program.getUniformLocation("material.diffuseColor");
    l.material.specularColor = program.getUniformLocation("material.specularColor");
    l.material.specularExponent = program.getUniformLocation("material.specularExponent");
    program.objectLocations.clear();
    for (const ObjectUniform& uniform : objectUniforms)
        program.objectLocations.push_back(program.getUniformLocation(uniform.name));
}

std::string shaderPrelude(int lightCount)
{
    return "#define NEAR_DIST " + std::to_string(nearDist) + "\n#define LIGHT_COUNT " + std::to_string(lightCount) + "\n";
}

std::string shaderPrelude()
{
    return shaderPrelude(2);
}

const ShaderProgram* ShaderPrograms::find(const std::string& name, const std::string& defines) const
{
    for (const Built& b : built)
        if (b.name == name && b.defines == defines)
            return b.program;
    return nullptr;
}

void buildShaderPrograms(ShaderPrograms& p, int lightCount, bool toneMapped)
{
    releaseShaderPrograms(p);
    p.lightCount = std::clamp(lightCount, 1, maxLightSlots);
    p.toneMapped = toneMapped;
    const std::string tone = toneMapped ? "#define TONE_MAP\n" : "";
    buildLitProgram(p, &ShaderPrograms::genericTexture, "/genericTextureShader", tone);
    buildLitProgram(p, &ShaderPrograms::reflectingTexture, "/reflectingTextureShader", tone);
    buildLitProgram(p, &ShaderPrograms::normalMapTexture, "/normalMapTextureShader", tone);
    if (toneMapped) {
        // The exposure texture's unit is told once: no pass binds another there.
        for (ShaderProgram* lit : {p.genericTexture, p.reflectingTexture, p.normalMapTexture}) {
            if (lit->program == 0)
                continue;
            lit->use();
            glUniform1i(lit->getUniformLocation("exposureTexture"), ExposureTextureUnit);
        }
        glUseProgram(0);
        buildProgram(p, &ShaderPrograms::exposure, "/exposureShader", true);
    }

    buildProgram(p, &ShaderPrograms::shadowTexture, "/shadowTextureShader", false);
    UniformLocations& s = p.shadowTexture->locations;
    s.projectionMatrix = p.shadowTexture->getUniformLocation("projectionMatrix");
    s.modelMatrix = p.shadowTexture->getUniformLocation("modelMatrix");
    s.viewMatrix = p.shadowTexture->getUniformLocation("viewMatrix");
    s.eyePos = p.shadowTexture->getUniformLocation("eyePos");

    buildProgram(p, &ShaderPrograms::framebuffer, "/framebufferShader", true);
    if (p.framebuffer->program == 0) {
        auto* fallback = new ShaderProgram("built-in picture copy", fallbackVertexSource, fallbackFragmentSource);
        fallback->bindFragDataLocation("out_color");
        keep(p, &ShaderPrograms::presentFallback, "built-in picture copy", "", fallback);
    }
    buildProgram(p, &ShaderPrograms::framebufferStretch, "/framebufferShader", true, "#define STRETCH\n");
    // The quad takes its locations from whichever program presents; they are the same.
    buildScreenQuad(p, p.framebuffer->program || !p.presentFallback ? *p.framebuffer : *p.presentFallback);
    for (const FilterProgram& filter : filterPrograms)
        buildProgram(p, filter.member, filter.name, true, filter.defines);

    const std::string capture = "#define ENVIRONMENT_CAPTURE\n" + tone;
    buildLitProgram(p, &ShaderPrograms::genericCapture, "/genericTextureShader", capture);
    buildLitProgram(p, &ShaderPrograms::reflectingCapture, "/reflectingTextureShader", capture);
    buildLitProgram(p, &ShaderPrograms::normalMapCapture, "/normalMapTextureShader", capture);
}

void uploadModels(Assets& assets, const ShaderPrograms& p)
{
    // A program that failed to build has no inputs to wire; its models then take their
    // wiring from the other lit program, which shares the attribute locations.
    const ShaderProgram& normalMapped = p.normalMapTexture->program ? *p.normalMapTexture : *p.genericTexture;
    const ShaderProgram& plain = p.genericTexture->program ? *p.genericTexture : *p.normalMapTexture;
    const auto upload = [&assets](short key, const ShaderProgram& program) {
        ModelData* model = getModel(assets, key);
        if (model && !uploadModel(*model, program))
            std::cerr << "Model file " << assets.modelDirectory << modelFileName(assets, key)
                      << ": GL ran out of memory for its buffers; it is left out." << std::endl;
    };
    for (short key : normalMappedModelKeys)
        upload(key, normalMapped);
    for (short key : plainModelKeys)
        upload(key, plain);
}

void releaseShaderPrograms(ShaderPrograms& p)
{
    for (ShaderPrograms::Built& b : p.built) {
        b.program->release();
        delete b.program;
        if (b.member)
            p.*b.member = nullptr;
    }
    p.built.clear();
    if (p.screenQuad != 0) {
        glDeleteVertexArrays(1, &p.screenQuad);
        glDeleteBuffers(3, p.screenQuadBuffers);
    }
    p.screenQuad = 0;
    for (GLuint& buffer : p.screenQuadBuffers)
        buffer = 0;
    p.lightCount = 0;
}

namespace {

void buildScreenQuad(ShaderPrograms& p, const ShaderProgram& program)
{
    static const GLfloat positions[16] = {-1, 1, 0, 1, -1, -1, 0, 1, 1, 1, 0, 1, 1, -1, 0, 1};
    static const GLfloat texCoords[8] = {0, 1, 0, 0, 1, 1, 1, 0};
    static const GLuint indices[6] = {1, 0, 2, 1, 2, 3};

    glGenVertexArrays(1, &p.screenQuad);
    glBindVertexArray(p.screenQuad);
    GLuint* buffers = p.screenQuadBuffers;
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

} // namespace
