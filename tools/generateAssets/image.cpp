#include "image.h"

#include "base/outputFile.h"

#include <FreeImage.h>

#include <algorithm>
#include <cmath>

uint32_t hashInts(int x, int y, uint32_t seed)
{
    // Integer mixing only, so every platform and build makes the same pictures.
    uint32_t h = static_cast<uint32_t>(x) * 0x8da6b343u ^ static_cast<uint32_t>(y) * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

float hashUnit(int x, int y, uint32_t seed)
{
    return static_cast<float>(hashInts(x, y, seed) >> 8) / 16777216.0f;
}

namespace {
int wrap(int i, int period) { return ((i % period) + period) % period; }

float fade(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }

}  // namespace

float stretchedNoise(float u, float v, int periodU, int periodV, uint32_t seed)
{
    const float x = u * periodU, y = v * periodV;
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    const float dx = x - fx, dy = y - fy;
    auto corner = [&](int cx, int cy, float ox, float oy) {
        const float angle = 6.2831853f * hashUnit(wrap(cx, periodU), wrap(cy, periodV), seed);
        return std::cos(angle) * ox + std::sin(angle) * oy;
    };
    const float n00 = corner(ix, iy, dx, dy), n10 = corner(ix + 1, iy, dx - 1, dy);
    const float n01 = corner(ix, iy + 1, dx, dy - 1), n11 = corner(ix + 1, iy + 1, dx - 1, dy - 1);
    const float sx = fade(dx), sy = fade(dy);
    const float a = n00 + (n10 - n00) * sx, b = n01 + (n11 - n01) * sx;
    return 1.4142f * (a + (b - a) * sy);
}

float periodicNoise(float u, float v, int period, uint32_t seed)
{
    return stretchedNoise(u, v, period, period, seed);
}

float fractalNoise(float u, float v, int period, int octaves, uint32_t seed, float gain)
{
    float sum = 0.0f, weight = 1.0f, total = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += weight * periodicNoise(u, v, period << o, seed + 1013u * o);
        total += weight;
        weight *= gain;
    }
    return sum / total;
}

CellSample cells(float u, float v, int count, uint32_t seed, float jitter)
{
    const float x = u * count, y = v * count;
    const int cx = static_cast<int>(std::floor(x)), cy = static_cast<int>(std::floor(y));
    CellSample best;
    best.nearest = best.second = 1e9f;
    for (int j = -2; j <= 2; ++j)
        for (int i = -2; i <= 2; ++i) {
            const int gx = cx + i, gy = cy + j;
            const int wx = wrap(gx, count), wy = wrap(gy, count);
            const glm::vec2 centre(gx + 0.5f + jitter * (hashUnit(wx, wy, seed) - 0.5f),
                                   gy + 0.5f + jitter * (hashUnit(wx, wy, seed + 77u) - 0.5f));
            const float d = glm::length(centre - glm::vec2(x, y)) / count;
            if (d < best.nearest) {
                best.second = best.nearest;
                best.nearest = d;
                best.id = hashInts(wx, wy, seed + 5u);
                best.centre = centre / static_cast<float>(count);
            } else if (d < best.second) {
                best.second = d;
            }
        }
    return best;
}

Field makeField(int size, const std::function<float(float, float)>& f)
{
    Field field(size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            field.at(x, y) = f((x + 0.5f) / size, (y + 0.5f) / size);
    return field;
}

Image makeImage(int size, const std::function<glm::vec3(float, float)>& f)
{
    Image image(size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            image.at(x, y) = f((x + 0.5f) / size, (y + 0.5f) / size);
    return image;
}

Image normalMap(const Field& height, float strength)
{
    Image image(height.size);
    for (int y = 0; y < height.size; ++y)
        for (int x = 0; x < height.size; ++x) {
            // Rows run downward in the image but v runs upward on the surface.
            const float dhdu = 0.5f * (height.wrapped(x + 1, y) - height.wrapped(x - 1, y));
            const float dhdv = 0.5f * (height.wrapped(x, y - 1) - height.wrapped(x, y + 1));
            const glm::vec3 n = glm::normalize(glm::vec3(-strength * dhdu, -strength * dhdv, 1.0f));
            image.at(x, y) = n * 0.5f + 0.5f;
        }
    return image;
}

Image greyImage(const Field& field)
{
    Image image(field.size);
    for (size_t i = 0; i < field.values.size(); ++i)
        image.pixels[i] = glm::vec3(field.values[i]);
    return image;
}

bool writeJpeg(const Image& image, const std::string& path, int quality)
{
    FIBITMAP* bitmap = FreeImage_Allocate(image.size, image.size, 24);
    if (!bitmap)
        return false;
    for (int y = 0; y < image.size; ++y) {
        BYTE* row = FreeImage_GetScanLine(bitmap, image.size - 1 - y);
        for (int x = 0; x < image.size; ++x) {
            const glm::vec3 c = glm::clamp(image.pixels[static_cast<size_t>(y) * image.size + x], 0.0f, 1.0f);
            row[3 * x + FI_RGBA_RED] = static_cast<BYTE>(std::lround(c.r * 255.0f));
            row[3 * x + FI_RGBA_GREEN] = static_cast<BYTE>(std::lround(c.g * 255.0f));
            row[3 * x + FI_RGBA_BLUE] = static_cast<BYTE>(std::lround(c.b * 255.0f));
        }
    }
    // 4:4:4 keeps the colour detail of normal maps intact.
    FIMEMORY* memory = FreeImage_OpenMemory();
    bool saved = memory && FreeImage_SaveToMemory(FIF_JPEG, bitmap, memory, quality | JPEG_BASELINE | JPEG_SUBSAMPLING_444);
    FreeImage_Unload(bitmap);
    BYTE* bytes = nullptr;
    DWORD size = 0;
    saved = saved && FreeImage_AcquireMemory(memory, &bytes, &size) && writeWholeFile(path, bytes, size);
    if (memory)
        FreeImage_CloseMemory(memory);
    return saved;
}

float smoothStep(float edge0, float edge1, float x)
{
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

glm::vec3 mixColour(const glm::vec3& a, const glm::vec3& b, float t)
{
    return a + (b - a) * t;
}
