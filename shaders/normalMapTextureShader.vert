#version 330 core
// Normal-mapped objects carry their tangent frame to the fragment stage.
#define TANGENT_FRAME
#include "litVertex.glsl"
