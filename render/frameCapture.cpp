#include "render/frameCapture.h"

#include "base/outputFile.h"
#include "render/frame.h"
#include "render/renderer.h"
#include "render/textOverlay.h"

#include <FreeImage.h>

Image readTexture(GLuint texture)
{
    Image image;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &image.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &image.height);
    image.rgba.resize(static_cast<size_t>(image.width) * image.height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.rgba.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, 0);
    return image;
}

Image readPresentedFrame(const std::string& caption)
{
    Renderer& renderer = defaultRenderer();
    const RenderTargets& targets = renderer.targets;
    const int width = renderer.presentedWidth, height = renderer.presentedHeight;
    if (width <= 0 || height <= 0 || (caption.empty() && targets.width == width && targets.height == height))
        return readTexture(targets.sceneColorTextures[2]);
    // The window's back buffer may be gone after the swap, so the present pass draws the
    // picture once more, into a texture of the window's size (stretched at a reduced
    // scale), and the caption goes over it there at the window's own pixels.
    GLuint framebuffer = 0, texture = 0;
    glGenFramebuffers(1, &framebuffer);
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glViewport(0, 0, width, height);
    presentFrame(renderer);
    drawCaption(renderer, caption, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    Image image = readTexture(texture);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteTextures(1, &texture);
    return image;
}

bool writePng(const Image& image, const std::string& path, std::string* why)
{
    auto fail = [why](const std::string& reason) {
        if (why)
            *why = reason;
        return false;
    };
    FIBITMAP* bitmap = FreeImage_Allocate(image.width, image.height, 24);
    if (!bitmap)
        return fail("no memory for a " + std::to_string(image.width) + "x" + std::to_string(image.height) + " image");
    // FreeImage also keeps the bottom row first; only the channel order differs.
    for (int y = 0; y < image.height; ++y) {
        BYTE* row = FreeImage_GetScanLine(bitmap, y);
        for (int x = 0; x < image.width; ++x) {
            const unsigned char* p = image.pixel(x, y);
            row[x * 3 + FI_RGBA_RED] = p[0];
            row[x * 3 + FI_RGBA_GREEN] = p[1];
            row[x * 3 + FI_RGBA_BLUE] = p[2];
        }
    }
    // Encoded in memory first, so a short write (a full disk) is seen and reported
    // instead of leaving a truncated file behind.
    FIMEMORY* memory = FreeImage_OpenMemory();
    const bool encoded = memory && FreeImage_SaveToMemory(FIF_PNG, bitmap, memory, PNG_DEFAULT);
    FreeImage_Unload(bitmap);
    BYTE* bytes = nullptr;
    DWORD size = 0;
    if (!encoded || !FreeImage_AcquireMemory(memory, &bytes, &size)) {
        if (memory)
            FreeImage_CloseMemory(memory);
        return fail("PNG encoding failed");
    }
    const bool written = writeWholeFile(path, bytes, size, why);
    FreeImage_CloseMemory(memory);
    return written;
}
