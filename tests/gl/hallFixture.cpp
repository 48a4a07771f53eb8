#include "tests/gl/hallFixture.h"

#include "app/application.h"
#include "app/frameClock.h"
#include "assets/models.h"
#include "assets/textures.h"
#include "navigation/camera.h"
#include "navigation/keyboard.h"
#include "navigation/tour.h"
#include "programs/programs.h"
#include "render/filterParameters.h"
#include "render/frame.h"
#include "render/renderTargets.h"
#include "scene/animation.h"
#include "scene/sceneObjects.h"

#include <FreeImage.h>
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
    // Empty environment maps, as a run starts with: what an earlier test left in them
    // would glow through the mirror and the lens.
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    for (GLuint cubeMap : environmentCubeMaps)
        for (int face = 0; face < 6; ++face) {
            glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_CUBE_MAP_POSITIVE_X + face,
                                   cubeMap, 0);
            glClear(GL_COLOR_BUFFER_BIT);
        }
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);

    keyHeld = nullptr;
    tourMode = false;
    initCamera();
    bloomfactor = 1.0f;
    focalDepth = 10.0f;
    focalLength = 1000.0f;
    fstop = 19.0f;
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

SceneBackup::SceneBackup() : scene(sceneObjects), reflecting(reflectingObjects), lampsKept{lamps[0], lamps[1]} {}

SceneBackup::~SceneBackup()
{
    sceneObjects = scene;
    reflectingObjects = reflecting;
    lamps[0] = lampsKept[0];
    lamps[1] = lampsKept[1];
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
