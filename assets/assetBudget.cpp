#include "assets/assetBudget.h"

#include <algorithm>

namespace {

std::string totalOf(uint64_t most, const char* unit)
{
    return "the exhibition's total of " + std::to_string(most) + " " + unit;
}

// The first total that `extra` would pass, counted in when none.
std::string admit(AssetBudget& budget, const AssetTotals& extra)
{
    const AssetTotals& most = budget.most;
    AssetTotals& used = budget.used;
    // Each sum is checked as a difference, so that no count can wrap.
    if (extra.vertices > most.vertices - std::min(used.vertices, most.vertices))
        return totalOf(most.vertices, "vertices");
    if (extra.texturePixels > most.texturePixels - std::min(used.texturePixels, most.texturePixels))
        return totalOf(most.texturePixels, "texture pixels");
    if (extra.gpuBytes > most.gpuBytes - std::min(used.gpuBytes, most.gpuBytes))
        return totalOf(most.gpuBytes >> 20, "MiB of GPU memory");
    used.vertices += extra.vertices;
    used.texturePixels += extra.texturePixels;
    used.gpuBytes += extra.gpuBytes;
    return "";
}

} // namespace

uint64_t modelGpuBytes(uint64_t vertices, uint64_t indices)
{
    return vertices * (16 + 12 + 12 + 12 + 8) + indices * 4;
}

uint64_t textureGpuBytes(uint64_t width, uint64_t height)
{
    // The mipmaps below the picture add a third.
    return width * height * 4 * 4 / 3;
}

std::string admitModel(AssetBudget& budget, uint64_t vertices, uint64_t indices)
{
    return admit(budget, {vertices, 0, modelGpuBytes(vertices, indices)});
}

std::string admitTexture(AssetBudget& budget, uint64_t width, uint64_t height)
{
    return admit(budget, {0, width * height, textureGpuBytes(width, height)});
}
