#include "render/frameCapture.h"

#include "render/renderTargets.h"

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

Image readPresentedFrame()
{
    return readTexture(sceneColorTextures[2]);
}

bool writePng(const Image& image, const std::string& path)
{
    FIBITMAP* bitmap = FreeImage_Allocate(image.width, image.height, 24);
    if (!bitmap)
        return false;
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
    const bool saved = FreeImage_Save(FIF_PNG, bitmap, path.c_str(), PNG_DEFAULT) != 0;
    FreeImage_Unload(bitmap);
    return saved;
}
