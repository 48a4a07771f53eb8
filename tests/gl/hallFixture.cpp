#include "tests/gl/hallFixture.h"

#include "app/application.h"
#include "app/runLoop.h"
#include "base/frameClock.h"
#include "assets/models.h"
#include "assets/textures.h"
#include "navigation/camera.h"
#include "navigation/keyboard.h"
#include "navigation/tour.h"
#include "navigation/view.h"
#include "programs/programs.h"
#include "render/frame.h"
#include "render/renderer.h"
#include "render/renderTargets.h"
#include "render/scenePass.h"
#include "scene/animation.h"
#include "scene/sceneObjects.h"
#include "tests/unit/defaultNames.h"

#include <FreeImage.h>
#include <algorithm>
#include <cmath>
#include <unistd.h>

namespace {

int startedWidth = 0;
int startedHeight = 0;
std::string startupOutput;

} // namespace

bool startHall(int width, int height, std::string& why)
{
    if (!sharedGLWindow()) {
        why = "no display: GL tests need Xvfb";
        return false;
    }
    if (startedWidth == 0) {
        // The code reads ./res and ./shaders, as the viewer does from the project root.
        if (::chdir(sourceDir().c_str()) != 0) {
            why = "cannot enter " + sourceDir();
            return false;
        }
        modelDirectory = "./res/models/";
        textureDirectory = "./res/textures/";
        shaderDirectory = "shaders";
        screenWidth = width;
        screenHeight = height;
        FreeImage_Initialise(FALSE);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glEnable(GL_FRAMEBUFFER_SRGB);
        ConsoleCapture console;
        initApplication();
        startupOutput = console.out();
        startedWidth = width;
        startedHeight = height;
    }
    if (startedWidth != width || startedHeight != height) {
        why = "the hall of this process runs at " + std::to_string(startedWidth) + "x" +
              std::to_string(startedHeight);
        return false;
    }
    return true;
}

const std::string& hallStartupOutput() { return startupOutput; }

void HallTest::SetUp()
{
    GLTest::SetUp();
    if (IsSkipped())
        return;
    std::string why;
    if (!startHall(hallWidth(), hallHeight(), why))
        GTEST_SKIP() << why;
    resetHallState();
    drainGLErrors();
}

void resetHallState()
{
    // The built-in hall with empty environment maps, as a run starts with: another hall
    // an earlier test showed, or what it left in the maps (it would glow through the
    // mirror and the lens), must not reach the next test.
    showHall(defaultApplication(), builtInHall());

    keyHeld = nullptr;
    tourMode = false;
    initCamera();
    bloomfactor = 1.0f;
    focalDepth = 10.0f;
    focalLength = 1000.0f;
    fstop = 19.0f;
    defaultView().labels = false;
}

void animatedFrame(double t, double spin, bool captureEnvironment)
{
    totalTime = t;
    deltaTime = spin;
    environmentRefreshPending = captureEnvironment;
    animateScene();
    renderFrame();
}

void frameFrom(const glm::vec3& eye, const glm::vec3& target)
{
    camera.eye = eye;
    camera.target = target;
    updateBasis();
    renderFrame();
}

glm::vec3 projectToScreen(const glm::vec3& world)
{
    const glm::vec4 clip = camera.projection * viewMatrix() * glm::vec4(world, 1.0f);
    if (clip.w <= 0.0f)
        return glm::vec3(-1.0f, -1.0f, -1.0f);
    const glm::vec3 ndc = glm::vec3(clip) / clip.w;
    return glm::vec3((ndc.x * 0.5f + 0.5f) * screenWidth, (ndc.y * 0.5f + 0.5f) * screenHeight,
                     ndc.z * 0.5f + 0.5f);
}

glm::vec3 rgb(const Image& image, int x, int y)
{
    const unsigned char* p = image.pixel(x, y);
    return glm::vec3(p[0], p[1], p[2]) / 255.0f;
}

float luma(const Image& image, int x, int y)
{
    return glm::dot(rgb(image, x, y), glm::vec3(0.2126f, 0.7152f, 0.0722f));
}

glm::vec3 meanColor(const Image& image, int cx, int cy, int radius)
{
    glm::vec3 sum(0.0f);
    int count = 0;
    for (int y = cy - radius; y <= cy + radius; ++y)
        for (int x = cx - radius; x <= cx + radius; ++x)
            if (x >= 0 && y >= 0 && x < image.width && y < image.height &&
                (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius) {
                sum += rgb(image, x, y);
                ++count;
            }
    return count ? sum / static_cast<float>(count) : sum;
}

float localContrast(const Image& image, int cx, int cy, int radius)
{
    float sum = 0.0f;
    int count = 0;
    for (int y = std::max(cy - radius, 0); y < std::min(cy + radius, image.height - 1); ++y)
        for (int x = std::max(cx - radius, 0); x < std::min(cx + radius, image.width - 1); ++x) {
            const float here = luma(image, x, y);
            sum += std::fabs(here - luma(image, x + 1, y)) + std::fabs(here - luma(image, x, y + 1));
            count += 2;
        }
    return count ? sum / static_cast<float>(count) : 0.0f;
}

namespace {

GLint faceSize(GLuint cubeMap)
{
    GLint size = 0;
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap);
    glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_POSITIVE_X, 0, GL_TEXTURE_WIDTH, &size);
    return size;
}

} // namespace

std::vector<unsigned char> readCubeFaceRGBA(GLuint cubeMap, int face)
{
    const GLint size = faceSize(cubeMap);
    std::vector<unsigned char> texels(static_cast<size_t>(size) * size * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    return texels;
}

std::vector<float> readCubeFaceDepth(GLuint cubeMap, int face)
{
    const GLint size = faceSize(cubeMap);
    std::vector<float> depths(static_cast<size_t>(size) * size);
    glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_DEPTH_COMPONENT, GL_FLOAT, depths.data());
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    return depths;
}

float viewDistance(float windowDepth)
{
    const float n = 1.0f, f = 100000.0f;
    const float ndc = windowDepth * 2.0f - 1.0f;
    return 2.0f * n * f / (f + n - ndc * (f - n));
}

std::vector<float> readSceneDepth()
{
    std::vector<float> depths(static_cast<size_t>(screenWidth) * screenHeight);
    glBindTexture(GL_TEXTURE_2D, sceneDepthTexture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, GL_FLOAT, depths.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return depths;
}

bool shownInFrame(const glm::vec3& world, const std::vector<float>& sceneDepth)
{
    const glm::vec3 screen = projectToScreen(world);
    const int x = static_cast<int>(screen.x), y = static_cast<int>(screen.y);
    if (screen.z <= 0.0f || screen.z >= 1.0f || x < 0 || y < 0 || x >= screenWidth || y >= screenHeight)
        return false;
    const float shown = viewDistance(sceneDepth[static_cast<size_t>(y) * screenWidth + x]);
    return std::abs(shown - viewDistance(screen.z)) < 0.02f * shown;
}

Image sceneAtScale(int scale)
{
    const int width = screenWidth * scale, height = screenHeight * scale;
    GLuint framebuffer = 0, buffers[2] = {0, 0};
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGenRenderbuffers(2, buffers);
    const GLenum formats[2] = {GL_RGBA8, GL_DEPTH_COMPONENT24};
    const GLenum attachments[2] = {GL_COLOR_ATTACHMENT0, GL_DEPTH_ATTACHMENT};
    for (int i = 0; i < 2; ++i) {
        glBindRenderbuffer(GL_RENDERBUFFER, buffers[i]);
        glRenderbufferStorage(GL_RENDERBUFFER, formats[i], width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachments[i], GL_RENDERBUFFER, buffers[i]);
    }
    glViewport(0, 0, width, height);
    renderScene();
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteRenderbuffers(2, buffers);
    glDeleteFramebuffers(1, &framebuffer);
    glViewport(0, 0, screenWidth, screenHeight);
    Image image;
    image.width = screenWidth;
    image.height = screenHeight;
    image.rgba.resize(static_cast<size_t>(screenWidth) * screenHeight * 4);
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x)
            for (int c = 0; c < 4; ++c) {
                int sum = 0;
                for (int dy = 0; dy < scale; ++dy)
                    for (int dx = 0; dx < scale; ++dx)
                        sum += pixels[((static_cast<size_t>(y) * scale + dy) * width + x * scale + dx) * 4 + c];
                image.rgba[(static_cast<size_t>(y) * screenWidth + x) * 4 + c] =
                    static_cast<unsigned char>((sum + scale * scale / 2) / (scale * scale));
            }
    return image;
}

double fineDetail(const Image& image, const std::vector<bool>& mask)
{
    const int w = image.width, h = image.height;
    std::vector<double> grey(static_cast<size_t>(w) * h), across(grey.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            grey[static_cast<size_t>(y) * w + x] = 255.0 * luma(image, x, y);
    double kernel[7], total = 0.0;
    for (int k = -3; k <= 3; ++k)
        total += kernel[k + 3] = std::exp(-0.5 * k * k);
    auto blurred = [&](const std::vector<double>& from, int x, int y, int stepX, int stepY) {
        double sum = 0.0;
        for (int k = -3; k <= 3; ++k) {
            const int sx = std::clamp(x + k * stepX, 0, w - 1), sy = std::clamp(y + k * stepY, 0, h - 1);
            sum += kernel[k + 3] * from[static_cast<size_t>(sy) * w + sx];
        }
        return sum / total;
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            across[static_cast<size_t>(y) * w + x] = blurred(grey, x, y, 1, 0);
    double sum = 0.0, squares = 0.0;
    int count = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (mask[static_cast<size_t>(y) * w + x]) {
                const double detail = grey[static_cast<size_t>(y) * w + x] - blurred(across, x, y, 0, 1);
                sum += detail;
                squares += detail * detail;
                ++count;
            }
    if (count == 0)
        return 0.0;
    const double mean = sum / count;
    return std::sqrt(std::max(0.0, squares / count - mean * mean));
}
