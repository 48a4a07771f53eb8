#pragma once
// The hall's exposure, kept on the GPU: one RGBA8 texel holding log2 of the factor the
// tone-mapped lit programs multiply the light by (packed as exposure.glsl packs it), in a
// pair of 1x1 targets; the measure reads one and draws the other. A fixed exposure is
// written once; an automatic one is measured from the picture each frame and moves towards
// the measured value over about a second of the frame clock. A restart (a hall shown, a
// view opened, a catalogue picture) takes the measured value whole: that frame draws its
// scene once more beforehand to measure.
#include "base/glApi.h"
#include "scene/hallTable.h"

struct RenderTargets;
struct ShaderPrograms;

struct ExposureState {
    Exposure setting;  // the hall's (Off: the lit programs are not tone-mapped)
    GLuint textures[2] = {0, 0};
    GLuint framebuffers[2] = {0, 0};
    int current = 0;          // the texture the lit programs read
    bool restart = true;      // the next frame takes its exposure whole
    double frameSeconds = 0.0;  // the time step of the frame being drawn

    ExposureState() = default;
    ExposureState(const ExposureState&) = delete;
    ExposureState& operator=(const ExposureState&) = delete;
};

// log2 of the factor `stops` above the fixed exposure of the built-in hall exposes by.
float exposureLogScale(float stops);

// The share of the way to the measured exposure a frame of `seconds` goes.
float exposureAdaptation(double seconds);

// Makes the two targets when there are none yet.
void createExposureTargets(ExposureState& exposure);
void releaseExposureTargets(ExposureState& exposure);

// Binds the current exposure texel for the lit programs (0: takes it away again).
void bindExposure(const ExposureState& exposure, bool bound);

// Writes the setting's fixed exposure into the current texel, and the restart's done.
void writeFixedExposure(ExposureState& exposure);

// Measures the picture in scene colour texture 0 of `targets` (its mipmaps made first
// when `makeMips`) with the exposure program, and moves the exposure `adapt` of the way
// there (1: all of it). The framebuffer, viewport and state come back as they were.
void measureExposure(ExposureState& exposure, const ShaderPrograms& programs, const RenderTargets& targets, float adapt,
                     bool makeMips);

// log2 of the current exposure factor, read back (for tests and checks: it waits for
// the GPU).
float readExposureLogScale(const ExposureState& exposure);
