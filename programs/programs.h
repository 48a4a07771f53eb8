#pragma once
// The seven programs of the hall with their cached uniform locations, the full-screen
// quad, and the model uploads wired against the programs that draw them.
#include "programs/shaderProgram.h"

extern ShaderProgram* genericTextureShader;
extern ShaderProgram* reflectingTextureShader;
extern ShaderProgram* normalMapTextureShader;
extern ShaderProgram* shadowTextureShader;
extern ShaderProgram* framebufferShader;
extern ShaderProgram* bloomShader;
extern ShaderProgram* dofShader;
// The same three lit programs built for the environment captures (ENVIRONMENT_CAPTURE
// defined): lighter shading for what only a curved mirror shows.
extern ShaderProgram* genericCaptureShader;
extern ShaderProgram* reflectingCaptureShader;
extern ShaderProgram* normalMapCaptureShader;
// The bloom's quarter-size gather of its halo ("/bloomShader" with BLOOM_HALO).
extern ShaderProgram* bloomHaloShader;
// The depth of field's half-size gather of its blur ("/dofShader" with DOF_BLUR).
extern ShaderProgram* dofBlurShader;
// A plain copy built from text in the code when "/framebufferShader" fails to build, so
// the window still shows the picture; null otherwise.
extern ShaderProgram* presentFallbackShader;

extern GLuint screenQuad;  // vertex array of the two clockwise triangles covering clip space

// Folder and prefix the program names are appended to ("shaders" + "/genericTextureShader").
extern std::string shaderDirectory;

// What every stage gets after its `#version` line: the numbers C++ and GLSL share, among
// them how many lights (1 to 4) the lit programs shade with; the lights' code is unrolled
// for that count. Without an argument, the hall's two.
std::string shaderPrelude(int lightCount);
std::string shaderPrelude();

void buildShaderPrograms();
void buildScreenQuad(const ShaderProgram& program);

// Looks up the slots of the location table that a lit program uses.
void cacheLitLocations(ShaderProgram& program);
