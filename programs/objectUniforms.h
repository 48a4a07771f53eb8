#pragma once
// The values of its own an object hands to the lit programs, and the uniform each is sent
// as: the programs look the names up as they are built. No GL here.

// An object's own values that the lit programs read, each sent as the uniform named in
// objectUniforms where a program declares it (render/scenePass.cpp). A field an exhibition
// hands through to the shaders is a member and a row here, its reading in
// scene/exhibition.cpp and its use in a shader; the hall's rows and objects
// (scene/sceneObjects.h) carry these whole.
struct ObjectShading {
    float refraction = 0.0f;  // above 0: a glass bending light by this ratio (reflecting objects)
};

struct ObjectUniform {
    const char* name;
    float ObjectShading::*value;
};
constexpr ObjectUniform objectUniforms[] = {
    {"refraction", &ObjectShading::refraction},
};
constexpr int objectUniformCount = static_cast<int>(sizeof(objectUniforms) / sizeof(objectUniforms[0]));
