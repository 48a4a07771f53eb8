#pragma once
// The programs of the hall with their cached uniform locations, the full-screen quad, and
// the model uploads wired against the programs that draw them. One ShaderPrograms holds
// them all (a renderer owns it); the named pointers (genericTextureShader ...) refer to the default set.
#include "programs/shaderProgram.h"

#include <vector>

struct Assets;

// The unit the tone-mapped lit programs read the exposure texture on, past the scene
// pass's own (its pictures, and a shadow map per light from unit 3).
constexpr GLint ExposureTextureUnit = 3 + maxLightSlots;

struct ShaderPrograms {
    ShaderProgram* genericTexture = nullptr;
    ShaderProgram* reflectingTexture = nullptr;
    ShaderProgram* normalMapTexture = nullptr;
    ShaderProgram* shadowTexture = nullptr;
    ShaderProgram* framebuffer = nullptr;
    // The present pass's stretch of a picture drawn at a reduced scale ("/framebufferShader"
    // with STRETCH).
    ShaderProgram* framebufferStretch = nullptr;
    ShaderProgram* bloom = nullptr;
    ShaderProgram* dof = nullptr;
    // The same three lit programs built for the environment captures (ENVIRONMENT_CAPTURE
    // defined): lighter shading for what only a curved mirror shows.
    ShaderProgram* genericCapture = nullptr;
    ShaderProgram* reflectingCapture = nullptr;
    ShaderProgram* normalMapCapture = nullptr;
    // The bloom's quarter-size gather of its halo ("/bloomShader" with BLOOM_HALO).
    ShaderProgram* bloomHalo = nullptr;
    // The depth of field's half-size gather of its blur ("/dofShader" with DOF_BLUR).
    ShaderProgram* dofBlur = nullptr;
    // A plain copy built from text in the code when "/framebufferShader" fails to build, so
    // the window still shows the picture; null otherwise.
    ShaderProgram* presentFallback = nullptr;
    // The automatic exposure's one-texel measure ("/exposureShader"); built only with the
    // tone-mapped lit programs, null otherwise.
    ShaderProgram* exposure = nullptr;

    // Every program built, in build order, with its file and defines and the member that
    // names it (none for a filter the frame finds by name); released together.
    struct Built {
        std::string name;
        std::string defines;
        ShaderProgram* ShaderPrograms::*member;
        ShaderProgram* program;
    };
    std::vector<Built> built;

    GLuint screenQuad = 0;  // vertex array of the two clockwise triangles covering clip space
    GLuint screenQuadBuffers[3] = {0, 0, 0};
    int lightCount = 0;  // the lit programs declare this many lights (LIGHT_COUNT)
    // The lit programs expose by the exposure texture and bend the highlights (TONE_MAP):
    // an exhibition's exposure other than "off".
    bool toneMapped = false;
    // Folder and prefix the program names are appended to ("shaders" + "/genericTextureShader").
    std::string directory = "shaders";

    // The program built from `name` ("/bloomShader") with `defines`, or null when there is none.
    const ShaderProgram* find(const std::string& name, const std::string& defines = "") const;

    ShaderPrograms() = default;
    ShaderPrograms(const ShaderPrograms&) = delete;
    ShaderPrograms& operator=(const ShaderPrograms&) = delete;
};

// The default renderer's set (defined with the renderer).
ShaderPrograms& defaultPrograms();

extern ShaderProgram*& genericTextureShader;
extern ShaderProgram*& reflectingTextureShader;
extern ShaderProgram*& normalMapTextureShader;
extern ShaderProgram*& shadowTextureShader;
extern ShaderProgram*& framebufferShader;
extern ShaderProgram*& bloomShader;
extern ShaderProgram*& dofShader;
extern GLuint& screenQuad;

// The default programs' folder.
extern std::string& shaderDirectory;

// What every stage gets after its `#version` line: the numbers C++ and GLSL share, among
// them how many lights (1 to 4) the lit programs shade with; the lights' code is unrolled
// for that count. Without an argument, the hall's two.
std::string shaderPrelude(int lightCount);
std::string shaderPrelude();

// Builds every program with `lightCount` lights (1 to maxLightSlots) into `programs`, whose
// earlier programs, if any, are released first; `toneMapped`: the lit programs' TONE_MAP
// builds and the exposure measure.
void buildShaderPrograms(ShaderPrograms& programs, int lightCount, bool toneMapped = false);
// The hall's own meshes of `assets` (modelTable.h's two lists) uploaded and wired against
// the lit programs of `programs`, which must be built; again after every rebuild.
void uploadModels(Assets& assets, const ShaderPrograms& programs);
// The default set, for the default hall's lights, with the default assets' uploads.
void buildShaderPrograms();
// Deletes every program and the quad; call while the context is still there.
void releaseShaderPrograms(ShaderPrograms& programs);

// Looks up the slots of the location table that a lit program uses, and its object
// uniforms' locations.
void cacheLitLocations(ShaderProgram& program);
