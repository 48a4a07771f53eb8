#include "render/autoExposure.h"

#include "programs/programs.h"
#include "render/renderTargets.h"

#include <algorithm>
#include <cmath>

namespace {

// The fixed exposure the lit programs' plain build multiplies the light by.
constexpr float fixedExposure = 2.2f;
// How far the automatic exposure may go from it, in stops: a dark room is not lifted
// into noise, nor a bright one pressed into grey.
constexpr float lowestAutoStops = -6.0f;
constexpr float highestAutoStops = 3.0f;
// The automatic exposure closes all but 1/e of its distance in this many seconds.
constexpr double adaptationSeconds = 0.35;

// exposure.glsl's packing: (log2 factor + 16) / 32 in sixteen bits, high byte in red.
void packedExposure(float logScale, GLfloat rgba[4])
{
    const float v = std::floor(std::clamp((logScale + 16.0f) / 32.0f, 0.0f, 1.0f) * 65535.0f + 0.5f);
    const float high = std::floor(v / 256.0f);
    rgba[0] = high / 255.0f;
    rgba[1] = (v - high * 256.0f) / 255.0f;
    rgba[2] = 0.0f;
    rgba[3] = 1.0f;
}

} // namespace

float exposureLogScale(float stops)
{
    return std::log2(fixedExposure) + stops;
}

float exposureAdaptation(double seconds)
{
    return seconds > 0.0 ? static_cast<float>(1.0 - std::exp(-seconds / adaptationSeconds)) : 0.0f;
}

void createExposureTargets(ExposureState& e)
{
    if (e.textures[0] != 0)
        return;
    GLint previous = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previous);
    glGenTextures(2, e.textures);
    glGenFramebuffers(2, e.framebuffers);
    for (int k = 0; k < 2; ++k) {
        glBindTexture(GL_TEXTURE_2D, e.textures[k]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glBindFramebuffer(GL_FRAMEBUFFER, e.framebuffers[k]);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, e.textures[k], 0);
        GLfloat start[4];
        packedExposure(exposureLogScale(0.0f), start);
        glClearBufferfv(GL_COLOR, 0, start);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
    e.current = 0;
}

void releaseExposureTargets(ExposureState& e)
{
    if (e.textures[0] == 0)
        return;
    glDeleteFramebuffers(2, e.framebuffers);
    glDeleteTextures(2, e.textures);
    e.textures[0] = e.textures[1] = 0;
    e.framebuffers[0] = e.framebuffers[1] = 0;
    e.current = 0;
    e.restart = true;
}

void bindExposure(const ExposureState& e, bool bound)
{
    glActiveTexture(GL_TEXTURE0 + ExposureTextureUnit);
    glBindTexture(GL_TEXTURE_2D, bound ? e.textures[e.current] : 0);
    glActiveTexture(GL_TEXTURE0);
}

void writeFixedExposure(ExposureState& e)
{
    GLint previous = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previous);
    glBindFramebuffer(GL_FRAMEBUFFER, e.framebuffers[e.current]);
    GLfloat value[4];
    packedExposure(exposureLogScale(e.setting.stops), value);
    glClearBufferfv(GL_COLOR, 0, value);
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
    e.restart = false;
}

void measureExposure(ExposureState& e, const ShaderPrograms& programs, const RenderTargets& targets, float adapt,
                     bool makeMips)
{
    const ShaderProgram* program = programs.exposure;
    // Without its program the exposure stays where it is.
    if (program == nullptr || program->program == 0 || e.textures[0] == 0)
        return;
    GLint previous = 0;
    GLint viewport[4];
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previous);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glBindFramebuffer(GL_FRAMEBUFFER, e.framebuffers[1 - e.current]);
    glViewport(0, 0, 1, 1);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    program->use();
    glBindVertexArray(programs.screenQuad);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, targets.sceneColorTextures[0]);
    if (makeMips)
        glGenerateMipmap(GL_TEXTURE_2D);
    glBindSampler(0, targets.filterLevelSampler);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, e.textures[e.current]);
    glActiveTexture(GL_TEXTURE0);
    // A level about 16 to 32 texels across: each of the 64 taps reads a patch's mean.
    const int extent = std::max<int>(1, std::max(targets.width, targets.height));
    const float level = static_cast<float>(std::max(0, static_cast<int>(std::floor(std::log2(extent))) - 4));
    glUniform1i(program->getUniformLocation("pictureMips"), 0);
    glUniform1i(program->getUniformLocation("previous"), 1);
    glUniform1f(program->getUniformLocation("level"), level);
    glUniform1f(program->getUniformLocation("adapt"), adapt);
    glUniform2f(program->getUniformLocation("logScaleRange"), exposureLogScale(lowestAutoStops),
                exposureLogScale(highestAutoStops));
    if (drawFramebufferComplete()) {
        glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, nullptr);
        e.current = 1 - e.current;
    }
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindSampler(0, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glUseProgram(0);
    glBindVertexArray(0);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}

float readExposureLogScale(const ExposureState& e)
{
    if (e.textures[0] == 0)
        return exposureLogScale(0.0f);
    GLint previous = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, e.framebuffers[e.current]);
    unsigned char texel[4] = {0, 0, 0, 0};
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previous));
    return static_cast<float>(texel[0] * 256 + texel[1]) * (32.0f / 65535.0f) - 16.0f;
}
