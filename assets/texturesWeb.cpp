// The browser build's image decoding behind the texture loader: stb_image reads the
// files (JPEG, PNG, TGA, BMP) into bitmaps shaped like FreeImage's 24-bit ones (see
// assets/web/FreeImage.h).
#include "assets/textures.h"

#include "assets/imageHeader.h"

#include <FreeImage.h>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_ONLY_TGA
#define STBI_ONLY_BMP
#include <stb/stb_image.h>

#include <cstring>
#include <string>
#include <vector>

struct FIBITMAP {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<BYTE> bits;  // bottom row first, each row padded to 4 bytes
};

namespace {

FreeImage_OutputMessageFunction reportDamage = nullptr;

} // namespace

void FreeImage_Initialise(BOOL) {}
void FreeImage_SetOutputMessage(FreeImage_OutputMessageFunction function) { reportDamage = function; }

FREE_IMAGE_TYPE FreeImage_GetImageType(FIBITMAP* image) { return image ? FIT_BITMAP : FIT_UNKNOWN; }
unsigned FreeImage_GetBPP(FIBITMAP* image) { return image ? 24 : 0; }
FIBITMAP* FreeImage_ConvertTo24Bits(FIBITMAP* image) { return image ? new FIBITMAP(*image) : nullptr; }
void FreeImage_Unload(FIBITMAP* image) { delete image; }
BYTE* FreeImage_GetBits(FIBITMAP* image) { return image && !image->bits.empty() ? image->bits.data() : nullptr; }
unsigned FreeImage_GetWidth(FIBITMAP* image) { return image ? image->width : 0; }
unsigned FreeImage_GetHeight(FIBITMAP* image) { return image ? image->height : 0; }

FIBITMAP* decodeImageBytes(const std::string& bytes, const ImageLimits& limits, std::string& problem)
{
    problem.clear();
    // TGA and BMP through the desktop's own path (textures.cpp), then bottom row first.
    const ImageFormat format = imageFormatOf(bytes);
    if (format == ImageFormat::tga || format == ImageFormat::bmp) {
        std::vector<unsigned char> rgb;
        unsigned int width = 0, height = 0;
        if (!decodeTgaOrBmp(bytes, limits, 3, rgb, width, height, problem))
            return nullptr;
        auto* image = new FIBITMAP();
        image->width = width;
        image->height = height;
        const size_t row = static_cast<size_t>(width) * 3;
        const size_t pitch = (row + 3) & ~size_t(3);
        image->bits.assign(pitch * height, 0);
        for (unsigned int y = 0; y < height; ++y)
            std::memcpy(&image->bits[pitch * y], &rgb[row * (height - 1 - y)], row);
        return image;
    }
    // The formats and the size the desktop build takes, read the same way: a few bytes must
    // not make the decoder allocate gigabytes.
    unsigned int declaredWidth = 0, declaredHeight = 0;
    if (bytes.size() > 0x7fffffffu || !imageHeaderSize(bytes, declaredWidth, declaredHeight))
        return nullptr;
    problem = imageSizeProblem(declaredWidth, declaredHeight, limits);
    if (problem.empty())
        problem = imageWorkProblem(bytes, limits);
    if (!problem.empty())
        return nullptr;
    const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
    const int size = static_cast<int>(bytes.size());
    int width = 0, height = 0, channels = 0;
    stbi_set_flip_vertically_on_load(1);
    stbi_uc* pixels = stbi_load_from_memory(data, size, &width, &height, &channels, 3);
    if (!pixels) {
        if (reportDamage)
            reportDamage(FIF_UNKNOWN, stbi_failure_reason());
        return nullptr;
    }
    if (static_cast<unsigned>(width) != declaredWidth || static_cast<unsigned>(height) != declaredHeight) {
        stbi_image_free(pixels);
        problem = "its decoded size differs from the one its header declares";
        return nullptr;
    }
    auto* image = new FIBITMAP();
    image->width = static_cast<unsigned>(width);
    image->height = static_cast<unsigned>(height);
    const size_t row = static_cast<size_t>(width) * 3;
    const size_t pitch = (row + 3) & ~size_t(3);
    image->bits.assign(pitch * static_cast<size_t>(height), 0);
    for (int y = 0; y < height; ++y)
        std::memcpy(&image->bits[pitch * static_cast<size_t>(y)], pixels + row * static_cast<size_t>(y), row);
    stbi_image_free(pixels);
    return image;
}
