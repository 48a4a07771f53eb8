#version 330 core
// Textured and mirror objects: the shared lit vertex stage.
#include "litVertex.glsl"
