// Image bytes through the format and header checks, the decode and the conversion to 24-bit rows.
#include "assets/textures.h"

#include <FreeImage.h>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FreeImage_Initialise(FALSE);
    FreeImage_SetOutputMessage([](FREE_IMAGE_FORMAT, const char*) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ImageLimits limits;
    // Keeps every input quick; the checks are the same. 16 passes over the largest frame.
    limits.maxPixels = 1u << 20;
    limits.maxScannedPixels = 16u << 20;
    std::string problem;
    // TGA and BMP with their alpha kept too, as a model's materials may ask for them.
    std::vector<unsigned char> rgba;
    unsigned int rgbaWidth = 0, rgbaHeight = 0;
    if (decodeTgaOrBmp(bytes, limits, 4, rgba, rgbaWidth, rgbaHeight, problem) &&
        rgba.size() != static_cast<size_t>(rgbaWidth) * rgbaHeight * 4)
        std::abort();
    FIBITMAP* image = decodeImageBytes(bytes, limits, problem);
    if (!image)
        return 0;
    const unsigned int width = FreeImage_GetWidth(image), height = FreeImage_GetHeight(image);
    if (FreeImage_GetBPP(image) != 24 || width == 0 || height == 0 ||
        static_cast<unsigned long long>(width) * height > limits.maxPixels ||
        FreeImage_GetPitch(image) != ((width * 3 + 3) & ~3u))
        std::abort();
    // The upload reads every row: so does this.
    const BYTE* bits = FreeImage_GetBits(image);
    volatile unsigned int sum = 0;
    for (size_t i = 0; i < static_cast<size_t>(FreeImage_GetPitch(image)) * height; i += 61)
        sum += bits[i];
    sum += bits[static_cast<size_t>(FreeImage_GetPitch(image)) * height - 1];
    FreeImage_Unload(image);
    return 0;
}
