#pragma once
// Driver check (OpenGL 3.3 and GL_ARB_gpu_shader5), entry points, and the text of
// one pending GL error.

// What the check looks at, so the verdict can be tested without a real driver.
struct GLContextInfo {
    int major = 0;
    int minor = 0;
    bool hasGpuShader5 = false;
};

// Reads the current context's version and extension list.
GLContextInfo queryCurrentContext();

// Makes sure the entry points of the current context are usable (libepoxy resolves
// them on first call; this forces the resolution while the context is current).
void loadGLEntryPoints();

// Prints any shortfall on standard error; returns 1 when the context is good enough.
int checkGLCapabilities(const GLContextInfo& info);
int checkGLCapabilities();

// Whether the current context offers anisotropic filtering (the extension, or GL 4.6).
bool anisotropicFilteringAvailable();

// Largest width or height the current context can render into: the smallest of its
// texture, renderbuffer and viewport limits.
int maximumDrawableSize();

// Text for a glGetError code; empty for GL_NO_ERROR.
const char* glErrorText(unsigned int code);

// One glGetError(); prints its text and a line end on standard error.
void reportGLError();

// Takes every pending GL error after an upload: true when one was GL_OUT_OF_MEMORY, which
// the caller names in a line of its own (what failed, and what is used instead); any other
// is printed as reportGLError does.
bool glRanOutOfMemory();
