#pragma once
// What one exhibition's own files may take in all: vertices, texture pixels and the bytes
// they fill on the GPU. Each model and picture is admitted, in the order it is read, only
// while it keeps every total; one that would pass a total is named by that total and goes
// without its upload (a model stands in as a box, a picture draws mid-grey). Makes no GL
// call: the counting is done before anything is uploaded.
#include <cstdint>
#include <string>

struct AssetTotals {
    uint64_t vertices = 0;
    uint64_t texturePixels = 0;
    uint64_t gpuBytes = 0;
};

// The totals sit well above any real exhibition (a scanned statue is some 100,000
// vertices, a photographed painting 4 to 16 Mpixel) yet keep the viewer well under 2 GB,
// the model arrays it keeps beside their buffers included.
struct AssetBudget {
    AssetTotals most{uint64_t(6) << 20, uint64_t(64) << 20, uint64_t(384) << 20};
    AssetTotals used;
};

// GPU bytes of a model's buffers: position (4 floats), normal, tangent, bitangent (3
// each) and texture coordinate (2) a vertex, one 32-bit word an index.
uint64_t modelGpuBytes(uint64_t vertices, uint64_t indices);
// GPU bytes of an RGB picture with its mipmaps (drivers keep it at 4 bytes a pixel).
uint64_t textureGpuBytes(uint64_t width, uint64_t height);

// Counts a model or a picture into `budget.used` and returns empty when it keeps every
// total; otherwise counts nothing and returns the first total it would pass ("the
// exhibition's total of 8388608 vertices").
std::string admitModel(AssetBudget& budget, uint64_t vertices, uint64_t indices);
std::string admitTexture(AssetBudget& budget, uint64_t width, uint64_t height);
