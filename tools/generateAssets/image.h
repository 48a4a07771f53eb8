#pragma once
// Tileable procedural images: periodic noise, cell patterns, height fields and the
// normal and specular maps derived from them, and the JPEG writer.
#include <glm/glm.hpp>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Square image, top row first, colours in [0, 1].
struct Image {
    int size = 0;
    std::vector<glm::vec3> pixels;
    explicit Image(int s) : size(s), pixels(static_cast<size_t>(s) * s, glm::vec3(0.0f)) {}
    glm::vec3& at(int x, int y) { return pixels[static_cast<size_t>(y) * size + x]; }
};

// Square scalar field with wrap-around reads, top row first.
struct Field {
    int size = 0;
    std::vector<float> values;
    explicit Field(int s) : size(s), values(static_cast<size_t>(s) * s, 0.0f) {}
    float& at(int x, int y) { return values[static_cast<size_t>(y) * size + x]; }
    float wrapped(int x, int y) const
    {
        x = ((x % size) + size) % size;
        y = ((y % size) + size) % size;
        return values[static_cast<size_t>(y) * size + x];
    }
};

uint32_t hashInts(int x, int y, uint32_t seed);
float hashUnit(int x, int y, uint32_t seed);  // [0, 1)

// Gradient noise in about [-1, 1]; u, v in tile units [0, 1), `period` lattice cells
// per tile (so the result repeats every tile).
float periodicNoise(float u, float v, int period, uint32_t seed);
// The same with different lattice periods across u and v, for streaks and brushing.
float stretchedNoise(float u, float v, int periodU, int periodV, uint32_t seed);
// Sum of octaves doubling the period each time, normalised to about [-1, 1].
float fractalNoise(float u, float v, int period, int octaves, uint32_t seed, float gain = 0.5f);

// Jittered-grid cells repeating every tile: distances to the nearest and second
// nearest centre (tile units) and the nearest cell's id.
struct CellSample {
    float nearest = 0.0f, second = 0.0f;
    uint32_t id = 0;
    glm::vec2 centre{0.0f};
};
CellSample cells(float u, float v, int count, uint32_t seed, float jitter);

// Fills a field from f(u, v) sampled at pixel centres.
Field makeField(int size, const std::function<float(float u, float v)>& f);
Image makeImage(int size, const std::function<glm::vec3(float u, float v)>& f);

// Tangent-space normals of a height field (height in pixels times `strength`):
// x along u (image right), y along v (image up), z out of the surface.
Image normalMap(const Field& height, float strength);
Image greyImage(const Field& field);

// Baseline 24-bit JPEG, bottom row first as FreeImage expects.
bool writeJpeg(const Image& image, const std::string& path, int quality);

float smoothStep(float edge0, float edge1, float x);
glm::vec3 mixColour(const glm::vec3& a, const glm::vec3& b, float t);
