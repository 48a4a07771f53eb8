#pragma once
// The OpenGL API as this build sees it: the desktop's core 3.3 through libepoxy, or
// OpenGL ES 3.0 (WebGL 2) in the browser build, with the few names the shared code uses
// that ES spells differently or lacks.
#ifdef __EMSCRIPTEN__
#include <GLES3/gl3.h>

#ifndef GL_TEXTURE_MAX_ANISOTROPY_EXT
#define GL_TEXTURE_MAX_ANISOTROPY_EXT 0x84FE
#endif
// ES 3.0 has no geometry stage; no program here has one, and GL would refuse it.
#ifndef GL_GEOMETRY_SHADER
#define GL_GEOMETRY_SHADER 0x8DD9
#endif
// The browser's image decoder hands rows over as RGB already (swizzled at load), so the
// texture loader's BGR upload names RGB here.
#define GL_BGR GL_RGB
#else
#include <epoxy/gl.h>
#endif
