#version 330 core
#include "screenQuad.glsl"
