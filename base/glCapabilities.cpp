#include "base/glCapabilities.h"

#include <algorithm>

#include <cstdio>
#include <cstring>
#include "base/glApi.h"
#include <iostream>

GLContextInfo queryCurrentContext()
{
    GLContextInfo info;
    glGetIntegerv(GL_MAJOR_VERSION, &info.major);
    glGetIntegerv(GL_MINOR_VERSION, &info.minor);
    GLint count = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS, &count);
    for (GLint i = 0; i < count; ++i) {
        const char* name = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, static_cast<GLuint>(i)));
        if (name && std::strcmp(name, "GL_ARB_gpu_shader5") == 0)
            info.hasGpuShader5 = true;
    }
    return info;
}

void loadGLEntryPoints()
{
#ifndef __EMSCRIPTEN__
    // libepoxy resolves every entry point lazily against the current context; asking for
    // the version once here settles which dispatch table the context uses.
    (void)epoxy_gl_version();
#endif
}

int checkGLCapabilities(const GLContextInfo& info)
{
    loadGLEntryPoints();
    if (info.major < 3 || (info.major == 3 && info.minor < 3)) {
        std::fprintf(stderr, "Error: OpenGL version 3.3 not supported.\n");
        std::fprintf(stderr, "       Your version is %d.%d.\n", info.major, info.minor);
        std::fprintf(stderr, "       Try updating your graphics driver.\n");
        return 0;
    }
    if (!info.hasGpuShader5) {
        std::fprintf(stderr, "Error: OpenGL extension ARB_gpu_shader5 not supported.\n");
        std::fprintf(stderr, "       Try updating your graphics driver.\n");
        return 0;
    }
    return 1;
}

int checkGLCapabilities()
{
    return checkGLCapabilities(queryCurrentContext());
}

int maximumDrawableSize()
{
    GLint texture = 0, renderbuffer = 0, viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    return std::min({texture, renderbuffer, viewport[0], viewport[1]});
}

const char* glErrorText(unsigned int code)
{
    switch (code) {
    case GL_NO_ERROR: return "";
    case GL_INVALID_ENUM: return "GL: enum argument out of range.";
    case GL_INVALID_VALUE: return "GL: Numeric argument out of range.";
    case GL_INVALID_OPERATION: return "GL: Operation illegal in current state.";
    case GL_OUT_OF_MEMORY: return "GL: Not enough memory left to execute command.";
    case GL_INVALID_FRAMEBUFFER_OPERATION: return "GL: Framebuffer object is not complete.";
    default: return "GL: Unknown error.";
    }
}

void reportGLError()
{
    const GLenum code = glGetError();
    if (code != GL_NO_ERROR)
        std::cerr << glErrorText(code) << std::endl;
}

bool glRanOutOfMemory()
{
    bool outOfMemory = false;
    // Each error flag is returned once; the bound only guards against a driver that never stops.
    for (int i = 0; i < 16; ++i) {
        const GLenum code = glGetError();
        if (code == GL_NO_ERROR)
            break;
        if (code == GL_OUT_OF_MEMORY)
            outOfMemory = true;
        else
            std::cerr << glErrorText(code) << std::endl;
    }
    return outOfMemory;
}

bool anisotropicFilteringAvailable()
{
#ifdef __EMSCRIPTEN__
    // WebGL 2 lists the extension among the context's; the page enables what it lists.
    GLint count = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS, &count);
    for (GLint i = 0; i < count; ++i) {
        const char* name = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, static_cast<GLuint>(i)));
        if (name && std::strstr(name, "texture_filter_anisotropic"))
            return true;
    }
    return false;
#else
    return epoxy_gl_version() >= 46 || epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic") ||
           epoxy_has_gl_extension("GL_ARB_texture_filter_anisotropic");
#endif
}
