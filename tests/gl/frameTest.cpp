// Whole frames, rendered for real: the state a frame leaves, the filter uniforms it
// sends, the F1 key reaching the next frame, the window showing the last colour
// texture, and what the picture must show from the start pose and towards the lamps.
#include "app/application.h"
#include "base/frameClock.h"
#include "navigation/camera.h"
#include "navigation/keyboard.h"
#include "navigation/view.h"
#include "assets/textures.h"
#include "programs/programs.h"
#include "render/frame.h"
#include "render/capturePasses.h"
#include "render/renderer.h"
#include "render/textOverlay.h"
#include "scene/animation.h"
#include "scene/composition.h"
#include "scene/hall.h"
#include "scene/hallTable.h"
#include "scene/sceneObjects.h"
#include "tests/gl/hallFixture.h"
#include "tests/unit/defaultNames.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stb/stb_truetype.h>

namespace {

float uniformValue(const ShaderProgram& program, const char* name)
{
    float value = NAN;
    const GLint location = glGetUniformLocation(program.program, name);
    EXPECT_GE(location, 0) << name;
    if (location >= 0)
        glGetUniformfv(program.program, location, &value);
    return value;
}

GLint samplerUnit(const ShaderProgram& program, const char* name)
{
    GLint unit = -1;
    const GLint location = glGetUniformLocation(program.program, name);
    EXPECT_GE(location, 0) << name;
    if (location >= 0)
        glGetUniformiv(program.program, location, &unit);
    return unit;
}

void expectFilterUniformsFor(int width, int height)
{
    const struct {
        ShaderProgram* program;
        const char* name;
        float value;
    } floats[] = {
        {bloomShader, "pixelsizex", 1.0f / static_cast<float>(width)},
        {bloomShader, "pixelsizey", 1.0f / static_cast<float>(height)},
        {bloomShader, "bloomfactor", 1.0f},
        {dofShader, "bgl_RenderedTextureWidth", static_cast<float>(width)},
        {dofShader, "bgl_RenderedTextureHeight", static_cast<float>(height)},
        {dofShader, "focalDepth", 10.0f},
        {dofShader, "focalLength", 1000.0f},
        {dofShader, "fstop", 19.0f},
        {dofShader, "showFocus", 0.0f},
    };
    for (const auto& f : floats)
        EXPECT_FLOAT_EQ(uniformValue(*f.program, f.name), f.value) << f.name;
    const struct {
        ShaderProgram* program;
        const char* name;
        GLint unit;
    } samplers[] = {
        {bloomShader, "colorTexture", 0},
        {dofShader, "bgl_RenderedTexture", 0},
        {dofShader, "bgl_DepthTexture", 1},
        {framebufferShader, "colorTexture1", 0},
    };
    for (const auto& s : samplers)
        EXPECT_EQ(samplerUnit(*s.program, s.name), s.unit) << s.name;
}

using FrameTest = HallTest;

TEST_F(FrameTest, FrameLeavesTheWindowBoundAndCullingOn)
{
    glBindFramebuffer(GL_FRAMEBUFFER, sceneFramebuffer);
    genericTextureShader->use();
    glBindVertexArray(screenQuad);
    glDisable(GL_DEPTH_TEST);
    animatedFrame(0.0, 0.0, false);
    const struct {
        GLenum name;
        GLint expected;
    } bindings[] = {
        {GL_FRAMEBUFFER_BINDING, 0}, {GL_CURRENT_PROGRAM, 0}, {GL_VERTEX_ARRAY_BINDING, 0},
        {GL_CULL_FACE_MODE, GL_BACK}, {GL_ACTIVE_TEXTURE, GL_TEXTURE0}, {GL_TEXTURE_BINDING_2D, 0},
    };
    for (const auto& b : bindings) {
        GLint value = -1;
        glGetIntegerv(b.name, &value);
        EXPECT_EQ(value, b.expected) << "state 0x" << std::hex << b.name;
    }
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_FRAMEBUFFER_SRGB));
    EXPECT_TRUE(drainGLErrors().empty());
}

double meanLuma(const Image& image)
{
    double sum = 0.0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            sum += luma(image, x, y);
    return sum / (static_cast<double>(image.width) * image.height);
}

// A target whose memory ran out is a framebuffer that cannot be drawn into: the pass
// that needs it is skipped without a GL error, and the rest of the frame is drawn.
TEST_F(FrameTest, TargetsThatCannotBeDrawnIntoAreSkippedAndTheRestIsDrawn)
{
    animatedFrame(1.0, 0.0, true);
    const double whole = meanLuma(readPresentedFrame());
    struct Target {
        const char* name;
        GLuint& texture;
        GLenum target;
        GLuint framebuffer;  // keeps the texture attached between frames (0: attached per face)
    };
    RenderTargets& made = defaultRenderer().targets;
    const Target targets[] = {
        {"shadow map", shadowCubeMaps[0], GL_TEXTURE_CUBE_MAP, 0},
        {"environment map", reflectingObjects.begin()->second->texture->id, GL_TEXTURE_CUBE_MAP, 0},
        {"shadow copy", made.captureShadowCubeMaps[1], GL_TEXTURE_CUBE_MAP, 0},
        {"bloom halo", made.bloomHaloTexture, GL_TEXTURE_2D, made.bloomHaloFramebuffer},
        {"depth-of-field blur", made.dofBlurTexture, GL_TEXTURE_2D, made.dofBlurFramebuffer},
    };
    for (const auto& t : targets) {
        SCOPED_TRACE(t.name);
        GLuint withoutStorage = 0;
        glGenTextures(1, &withoutStorage);
        glBindTexture(t.target, withoutStorage);
        glBindTexture(t.target, 0);
        const GLuint kept = t.texture;
        const auto attach = [&](GLuint texture) {
            if (!t.framebuffer)
                return;
            glBindFramebuffer(GL_FRAMEBUFFER, t.framebuffer);
            glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
        };
        t.texture = withoutStorage;
        attach(withoutStorage);
        animatedFrame(1.0, 0.0, true);
        const std::vector<GLenum> errors = drainGLErrors();
        EXPECT_TRUE(errors.empty()) << "first error 0x" << std::hex << (errors.empty() ? 0u : errors[0]);
        EXPECT_GT(meanLuma(readPresentedFrame()), 0.3 * whole) << "the rest of the frame is drawn";
        GLint bound = -1;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
        EXPECT_EQ(bound, 0);
        t.texture = kept;
        attach(kept);
        glDeleteTextures(1, &withoutStorage);
    }
    animatedFrame(1.0, 0.0, true);
    EXPECT_TRUE(drainGLErrors().empty());
}

// A view of another size gets targets of its size (a resized window), and the window's
// size its own again after it.
TEST_F(FrameTest, TargetsFollowTheSizeOfTheViewDrawn)
{
    View smaller = drawnDefaultView();
    smaller.width = smallWidth / 2;
    smaller.height = smallHeight / 2;
    renderFrame(defaultRenderer(), defaultHall(), smaller);
    const Image shown = readPresentedFrame();
    EXPECT_EQ(shown.width, smallWidth / 2);
    EXPECT_EQ(shown.height, smallHeight / 2);
    EXPECT_GT(meanLuma(shown), 0.02) << "the smaller view shows the hall";
    renderFrame();
    const Image back = readPresentedFrame();
    EXPECT_EQ(back.width, smallWidth);
    EXPECT_EQ(back.height, smallHeight);
    EXPECT_NEAR(meanLuma(back), meanLuma(shown), 0.05);
    EXPECT_TRUE(drainGLErrors().empty());
}

// Mean luma of a band `width` pixels wide along the right edge and as high along the top.
double edgeBandLuma(const Image& image, int width)
{
    double sum = 0.0;
    int count = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (x >= image.width - width || y >= image.height - width) {
                sum += luma(image, x, y);
                ++count;
            }
    return sum / count;
}

// A window dragged about by its corner: each new size gets targets, a projection and a
// picture of its own, filled to the edges, and a hundred of them leave no GL object behind.
TEST_F(FrameTest, AHundredResizesFillEachSizeAndLeakNoObject)
{
    Application& application = defaultApplication();
    // The driver hands out names upwards without reusing deleted ones: what is left alive
    // below the next free name tells.
    const auto liveNames = [](auto generate, auto isName, auto remove) {
        GLuint next = 0;
        generate(1, &next);
        int count = 0;
        for (GLuint name = 1; name < next; ++name)
            count += isName(name) ? 1 : 0;
        remove(1, &next);
        return count;
    };
    const auto liveTextures = [&] { return liveNames(glGenTextures, glIsTexture, glDeleteTextures); };
    const auto liveFramebuffers = [&] { return liveNames(glGenFramebuffers, glIsFramebuffer, glDeleteFramebuffers); };
    const int textures = liveTextures(), framebuffers = liveFramebuffers();
    const int sizes[][2] = {{smallWidth, smallHeight}, {320, 400}, {2 * smallWidth / 3, smallHeight / 2}, {97, 61}};
    for (int i = 0; i < 100; ++i) {
        const int width = sizes[i % 4][0], height = sizes[i % 4][1];
        resizeView(application, width, height);
        EXPECT_FALSE(resizeView(application, 0, 0)) << "a minimised window changes nothing";
        renderFrame();
        if (i % 4 != 1 && i < 96)
            continue;
        const Image shown = readPresentedFrame();
        ASSERT_EQ(shown.width, width);
        ASSERT_EQ(shown.height, height);
        EXPECT_GT(edgeBandLuma(shown, 4), 0.3 * meanLuma(shown)) << width << "x" << height << ": a black band";
        // Not stretched: the projection takes the new aspect.
        const glm::vec4 clip = defaultView().camera.projection * glm::vec4(1.0f, 1.0f, -10.0f, 1.0f);
        EXPECT_NEAR(clip.y / clip.x, static_cast<float>(width) / height, 1e-3f);
    }
    resizeView(application, smallWidth, smallHeight);
    renderFrame();
    EXPECT_EQ(liveTextures(), textures) << "textures made and never deleted";
    EXPECT_EQ(liveFramebuffers(), framebuffers) << "framebuffers made and never deleted";
    EXPECT_TRUE(drainGLErrors().empty());
}

// At half the scale the filters' targets are half the size, and the present pass stretches
// the picture over the whole window: what the window shows is what the capture tool reads,
// and it is the full-scale picture, softer.
TEST_F(FrameTest, AReducedScaleIsStretchedOverTheWholeWindow)
{
    animatedFrame(33.0, 0.0, true);
    const Image full = readPresentedFrame();
    defaultRenderer().scale = 0.5;
    renderFrame();
    defaultRenderer().scale = 1.0;
    EXPECT_EQ(defaultRenderer().targets.width, smallWidth / 2);
    EXPECT_EQ(defaultRenderer().targets.height, (smallHeight + 1) / 2);
    const Image half = readPresentedFrame();
    ASSERT_EQ(half.width, smallWidth);
    ASSERT_EQ(half.height, smallHeight);
    std::vector<unsigned char> window(half.rgba.size());
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, smallWidth, smallHeight, GL_RGBA, GL_UNSIGNED_BYTE, window.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    int worst = 0;
    double difference = 0.0;
    for (size_t i = 0; i < window.size(); ++i)
        if (i % 4 != 3) {
            worst = std::max(worst, std::abs(window[i] - half.rgba[i]));
            difference += std::abs(half.rgba[i] - full.rgba[i]);
        }
    EXPECT_LE(worst, 1) << "the capture differs from the window";
    difference /= static_cast<double>(window.size()) * 3 / 4;
    EXPECT_LT(difference, 12.0) << "mean difference from the full-scale picture, of 255";
    EXPECT_NEAR(edgeBandLuma(half, 3), edgeBandLuma(full, 3), 0.1) << "the edges are stretched as the middle";
    renderFrame();
    EXPECT_EQ(defaultRenderer().targets.width, smallWidth);
    EXPECT_TRUE(drainGLErrors().empty());
}

// A hall of one light drawn by programs made for two: the second is sent dark, so the hall
// shows less light than with both, and every sampler still has a unit it may read.
TEST_F(FrameTest, AHallOfFewerLightsThanTheProgramsShowsOnlyItsOwn)
{
    animatedFrame(0.0, 0.0, false);
    const double both = meanLuma(readPresentedFrame());
    HallDescription description = builtInHall();
    description.lights.resize(1);
    Hall oneLight;
    buildHall(oneLight, description, defaultAssets(), environmentCubeMaps);
    moveLights(oneLight, 0.0);
    renderShadowCubeMaps(defaultRenderer(), oneLight);
    renderFrame(defaultRenderer(), oneLight, drawnDefaultView());
    const double one = meanLuma(readPresentedFrame());
    EXPECT_LT(one, both * 0.9) << "both lights " << both << ", one " << one;
    EXPECT_GT(one, 0.02) << "the one light still lights the hall";
    EXPECT_TRUE(drainGLErrors().empty());
    renderShadowCubeMaps(defaultRenderer(), defaultHall());
}

TEST_F(FrameTest, FiltersGetTheWindowSizeAndTheirParameters)
{
    renderFrame();
    expectFilterUniformsFor(screenWidth, screenHeight);
}

TEST_F(FrameTest, F1OnceSendsFocalDepthElevenOnTheNextFrame)
{
    keyHeld = [](int key) { return key == KEY_F1; };
    std::string printed;
    {
        ConsoleCapture console;
        onKey(KEY_F1, 1);
        printed = console.out();
    }
    keyHeld = nullptr;
    EXPECT_EQ(printed, "focaldepth: 11 focallength: 1000 fstop: 19\n");
    renderFrame();
    EXPECT_EQ(uniformValue(*dofShader, "focalDepth"), static_cast<float>(10.0 * 1.1));
    EXPECT_FLOAT_EQ(uniformValue(*dofShader, "focalLength"), 1000.0f);
}

// The window's pixels are the last colour texture, passed through the present program
// and, where the window stores sRGB, encoded on the way. The copy samples the texture
// with its filtering on, which may mix a pixel with its neighbours at sharp edges.
// What the window shows is what the capture tool writes: every stored level, the dark
// ones included, reaches the window within one step, whatever its colour encoding.
TEST_F(FrameTest, WindowShowsTheLastColourTextureLevelForLevel)
{
    animatedFrame(0.0, 0.0, false);
    std::vector<unsigned char> ramp(static_cast<size_t>(screenWidth) * screenHeight * 4);
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) {
            unsigned char* p = &ramp[(static_cast<size_t>(y) * screenWidth + x) * 4];
            p[0] = static_cast<unsigned char>(x);
            p[1] = static_cast<unsigned char>(x + 85 + y);
            p[2] = static_cast<unsigned char>(255 - x);
            p[3] = 255;
        }
    glBindTexture(GL_TEXTURE_2D, sceneColorTextures[2]);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, screenWidth, screenHeight, GL_RGBA, GL_UNSIGNED_BYTE, ramp.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    presentFrame();  // no swap on the test window: the back buffer keeps the picture
    const Image stored = readPresentedFrame();
    std::vector<unsigned char> window(static_cast<size_t>(screenWidth) * screenHeight * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, screenWidth, screenHeight, GL_RGBA, GL_UNSIGNED_BYTE, window.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    int worst = 0, worstLevel = -1;
    for (size_t i = 0; i < window.size(); ++i) {
        if (i % 4 == 3)
            continue;
        const int difference = std::abs(window[i] - stored.rgba[i]);
        if (difference > worst) {
            worst = difference;
            worstLevel = stored.rgba[i];
        }
    }
    EXPECT_LE(worst, 1) << "stored level " << worstLevel << " is shown " << worst << " levels off";
    EXPECT_TRUE(drainGLErrors().empty());
}

TEST_F(FrameTest, StartPoseShowsAVariedHallWithLitPedestalTops)
{
    animatedFrame(0.0, 0.0, false);
    const Image frame = readPresentedFrame();
    std::vector<float> lumas;
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x)
            lumas.push_back(luma(frame, x, y));
    std::sort(lumas.begin(), lumas.end());
    const float p10 = lumas[lumas.size() / 10], p50 = lumas[lumas.size() / 2], p90 = lumas[lumas.size() * 9 / 10];
    EXPECT_GT(p50, 0.2f) << "too dark";
    EXPECT_LT(p50, 0.85f) << "washed out";
    EXPECT_GT(p90 - p10, 0.2f) << "flat picture";

    // The same view with the lights' direct part off: what only ambient light gives.
    Light saved[2] = {*lights[0], *lights[1]};
    for (Light* light : lights)
        light->diffuseColor = light->specularColor = glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
    renderFrame();
    const Image ambientOnly = readPresentedFrame();
    *lights[0] = saved[0];
    *lights[1] = saved[1];

    // A point near the corner of each pedestal top facing the start eye, where the
    // exhibit on top does not hide it.
    const std::vector<float> depths = readSceneDepth();
    int checked = 0;
    for (const glm::vec3& p : {glm::vec3(620, 0, -620), glm::vec3(-620, 0, 620), glm::vec3(620, 0, 620),
                               glm::vec3(1240, 0, 0), glm::vec3(0, 0, 1240), glm::vec3(0, 0, 0)}) {
        const glm::vec3 top = p + glm::vec3(-85, 520, -85);
        if (!shownInFrame(top, depths))
            continue;
        ++checked;
        const glm::vec3 s = projectToScreen(top);
        const float lit = luma(frame, static_cast<int>(s.x), static_cast<int>(s.y));
        const float ambient = luma(ambientOnly, static_cast<int>(s.x), static_cast<int>(s.y));
        EXPECT_GT(lit, 0.3f) << "pedestal at " << p.x << ", " << p.z;
        EXPECT_GT(lit, ambient + 0.04f) << "pedestal at " << p.x << ", " << p.z;
    }
    EXPECT_GE(checked, 4) << "the start pose should show pedestal tops";
}

// Local contrast of each region against the same frame drawn without any blur: the
// depth of field takes detail away only where the focus is not.
TEST_F(FrameTest, FocusDecidesWhatIsBlurred)
{
    animatedFrame(0.0, 0.0, false);
    const glm::vec3 nearExhibit(-620, 650, -620);  // the multicube, in the foreground
    const std::vector<float> depths = readSceneDepth();
    auto shownDistance = [&depths](const glm::vec3& world) {
        const glm::vec3 s = projectToScreen(world);
        return viewDistance(depths[static_cast<size_t>(s.y) * screenWidth + static_cast<int>(s.x)]);
    };
    ASSERT_TRUE(shownDistance(nearExhibit) > 550.0f && shownDistance(nearExhibit) < 1300.0f);
    // The far wall: the window of the picture whose nearest pixel lies farthest away.
    glm::ivec2 wall(0);
    float wallNearest = 0.0f;
    for (int y = 10; y + 10 < screenHeight; y += 4)
        for (int x = 10; x + 10 < screenWidth; x += 4) {
            float nearest = 1e9f;
            for (int dy = -10; dy <= 10; dy += 2)
                for (int dx = -10; dx <= 10; dx += 2)
                    nearest = std::min(nearest, viewDistance(depths[static_cast<size_t>(y + dy) * screenWidth + x + dx]));
            if (nearest > wallNearest && nearest < 50000.0f) {
                wallNearest = nearest;
                wall = glm::ivec2(x, y);
            }
        }
    ASSERT_GT(wallNearest, 3000.0f);
    auto contrastAt = [](const Image& image, const glm::vec3& world) {
        const glm::vec3 s = projectToScreen(world);
        return localContrast(image, static_cast<int>(s.x), static_cast<int>(s.y), 10);
    };
    fstop = 1e6f;  // everything in the sharp zone
    renderFrame();
    const Image sharp = readPresentedFrame();
    // There the bloom and the depth of field hand the lit picture on as it is, not softened.
    const Image lit = readTexture(sceneColorTextures[0]);
    EXPECT_GT(contrastAt(sharp, nearExhibit) / contrastAt(lit, nearExhibit), 0.95f);
    EXPECT_GT(localContrast(sharp, wall.x, wall.y, 10) / localContrast(lit, wall.x, wall.y, 10), 0.95f);
    const struct {
        float focalDepth;
        bool exhibitSharp, wallSharp;
    } cases[] = {{10.0f, true, false}, {22.0f, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE("focalDepth " + std::to_string(c.focalDepth));
        fstop = 19.0f;
        focalDepth = c.focalDepth;
        renderFrame();
        const Image focused = readPresentedFrame();
        const float exhibitKept = contrastAt(focused, nearExhibit) / contrastAt(sharp, nearExhibit);
        const float wallKept = localContrast(focused, wall.x, wall.y, 10) / localContrast(sharp, wall.x, wall.y, 10);
        if (c.exhibitSharp) {
            EXPECT_GT(exhibitKept, 0.9f);
        } else {
            EXPECT_LT(exhibitKept, 0.75f);
        }
        if (c.wallSharp) {
            EXPECT_GT(wallKept, 0.9f);
        } else {
            EXPECT_LT(wallKept, 0.75f);
        }
    }
}

TEST_F(FrameTest, LampsAreTheBrightestSpotsAndBloomAroundThem)
{
    animatedFrame(0.0, 0.0, false);  // lamp 0 where light 0 stands at t = 0
    const glm::vec3 eye(-1200, 900, -1200), target(750, 1500, 0);
    bloomfactor = 0.0f;
    frameFrom(eye, target);
    const Image plain = readPresentedFrame();
    bloomfactor = 1.0f;
    frameFrom(eye, target);
    const Image bloomed = readPresentedFrame();

    struct Spot {
        glm::vec2 centre;
        float radius;  // on screen, in pixels
    };
    std::vector<Spot> spots;
    for (EngineObject* lamp : lamps) {
        const glm::vec3 s = projectToScreen(*lamp->position);
        ASSERT_TRUE(s.x > 20 && s.y > 20 && s.x < screenWidth - 20 && s.y < screenHeight - 20) << "lamp off screen";
        const float distance = glm::length(*lamp->position - eye);
        const float pixelsPerUnit = screenHeight / (2.0f * distance * std::tan(glm::radians(20.0f)));
        spots.push_back({glm::vec2(s), 60.0f * pixelsPerUnit});
    }
    float brightestElsewhere = 0.0f, farChange = 0.0f;
    int farCount = 0;
    for (int y = 0; y < bloomed.height; ++y)
        for (int x = 0; x < bloomed.width; ++x) {
            float nearest = 1e9f;
            for (const Spot& s : spots)
                nearest = std::min(nearest, glm::length(glm::vec2(x, y) - s.centre) - s.radius);
            if (nearest > 40.0f)
                brightestElsewhere = std::max(brightestElsewhere, luma(plain, x, y));
            if (nearest > 80.0f) {
                farChange += luma(bloomed, x, y) - luma(plain, x, y);
                ++farCount;
            }
        }
    for (size_t i = 0; i < spots.size(); ++i) {
        SCOPED_TRACE("lamp " + std::to_string(i));
        const Spot& s = spots[i];
        const int cx = static_cast<int>(s.centre.x), cy = static_cast<int>(s.centre.y);
        const float core = luma(plain, cx, cy);
        EXPECT_GT(core, 0.95f);
        EXPECT_GE(core, brightestElsewhere);
        // A ring just outside the lamp brightens with the bloom, and more than one further out.
        auto ringGain = [&](float from, float to) {
            float gain = 0.0f;
            int count = 0;
            for (int y = cy - static_cast<int>(to); y <= cy + static_cast<int>(to); ++y)
                for (int x = cx - static_cast<int>(to); x <= cx + static_cast<int>(to); ++x) {
                    const float r = glm::length(glm::vec2(x - cx, y - cy));
                    if (r < from || r > to || x < 0 || y < 0 || x >= bloomed.width || y >= bloomed.height)
                        continue;
                    gain += luma(bloomed, x, y) - luma(plain, x, y);
                    ++count;
                }
            return count ? gain / count : 0.0f;
        };
        const float nearGain = ringGain(s.radius + 3.0f, s.radius + 12.0f);
        const float outerGain = ringGain(s.radius + 30.0f, s.radius + 45.0f);
        EXPECT_GT(nearGain, 0.025f);
        EXPECT_GT(nearGain, 2.0f * outerGain);
        // The halo fades steadily outwards: a ring or a step left by coarse texels shows
        // as a band that gains more than the band inside it.
        float inside = nearGain;
        for (float from = s.radius + 12.0f; from < s.radius + 60.0f; from += 8.0f) {
            const float gain = ringGain(from, from + 8.0f);
            EXPECT_LE(gain, inside + 0.002f) << "band from " << from - s.radius << " pixels out";
            inside = gain;
        }
    }
    ASSERT_GT(farCount, 1000);
    EXPECT_LT(farChange / farCount, 0.03f) << "bloom should stay around what glows";
}

// What the window itself holds now (the text is drawn there, not into the scene textures).
Image readWindow(int width, int height)
{
    Image image;
    image.width = width;
    image.height = height;
    image.rgba.resize(static_cast<size_t>(width) * height * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, image.rgba.data());
    return image;
}

// Text over the frame is the font's own: every glyph carries exactly the coverage the font's
// rasteriser gives it, one atlas texel per pixel, kerned (A then V), and a two-byte UTF-8
// letter is one glyph, with nothing else drawn.
TEST_F(FrameTest, TextShowsTheFontsOwnGlyphsPixelForPixel)
{
    const int pixelHeight = 40;
    const glm::vec2 topLeft(20.0f, 30.0f);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, smallWidth, smallHeight);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawText(defaultRenderer(), "AV\xC3\xA9", topLeft, 0.0f, glm::vec4(1.0f), pixelHeight, smallWidth, smallHeight);
    const Image window = readWindow(smallWidth, smallHeight);
    EXPECT_TRUE(drainGLErrors().empty());

    std::ifstream file("res/fonts/DejaVuSans.ttf", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    stbtt_fontinfo font;
    ASSERT_TRUE(stbtt_InitFont(&font, data, 0));
    const float scale = stbtt_ScaleForPixelHeight(&font, pixelHeight);
    int ascent = 0, descent = 0, gap = 0;
    stbtt_GetFontVMetrics(&font, &ascent, &descent, &gap);
    const int baseline = static_cast<int>(topLeft.y) + static_cast<int>(std::lround(ascent * scale));
    const int codepoints[] = {'A', 'V', 0xE9};
    ASSERT_NE(stbtt_GetCodepointKernAdvance(&font, 'A', 'V'), 0) << "the font kerns A and V";
    // The glyphs as the font rasterises them, each laid over the ones before (kerned
    // glyphs' boxes overlap) as white over black blends.
    std::vector<float> expected(static_cast<size_t>(smallWidth) * smallHeight, 0.0f);
    float pen = 0.0f;
    for (size_t i = 0; i < 3; ++i) {
        if (i > 0)
            pen += stbtt_GetCodepointKernAdvance(&font, codepoints[i - 1], codepoints[i]) * scale;
        int width = 0, height = 0, left = 0, top = 0;
        unsigned char* glyph = stbtt_GetCodepointBitmap(&font, scale, scale, codepoints[i], &width, &height, &left, &top);
        ASSERT_NE(glyph, nullptr);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const int wx = static_cast<int>(topLeft.x + std::round(pen)) + left + x;
                const int wy = smallHeight - 1 - (baseline + top + y);
                float& shown = expected[static_cast<size_t>(wy) * smallWidth + static_cast<size_t>(wx)];
                const float coverage = glyph[y * width + x] / 255.0f;
                shown = coverage + shown * (1.0f - coverage);
            }
        }
        stbtt_FreeBitmap(glyph, nullptr);
        int advance = 0, bearing = 0;
        stbtt_GetCodepointHMetrics(&font, codepoints[i], &advance, &bearing);
        pen += advance * scale;
    }
    int wrong = 0, covered = 0;
    for (int y = 0; y < smallHeight; ++y) {
        for (int x = 0; x < smallWidth; ++x) {
            const float want = 255.0f * expected[static_cast<size_t>(y) * smallWidth + static_cast<size_t>(x)];
            covered += want > 0.0f ? 1 : 0;
            wrong += std::abs(window.pixel(x, y)[0] - want) > 2.0f ? 1 : 0;
        }
    }
    EXPECT_GT(covered, 600);
    EXPECT_EQ(wrong, 0) << "of " << covered << " pixels the glyphs cover";
}

// L tags the exhibits a visitor sees from low behind the figure's pedestal: the pedestal
// hides the teapot and the knot beyond it, and the figure's middle is above the picture, so
// those three get none; the tags stay on the screen, never overlap, and cover nothing else.
TEST_F(FrameTest, LabelsTagOnlyTheExhibitsInSightWithoutOverlap)
{
    Renderer& renderer = defaultRenderer();
    const auto keepAfterPresent = renderer.afterPresent;
    Image shown;
    renderer.afterPresent = [&shown] { shown = readWindow(smallWidth, smallHeight); };
    animatedFrame(0.0, 0.0, true);
    const glm::vec3 eye(0, 300, -1850), target(0, 600, 1240);
    frameFrom(eye, target);
    const Image plain = shown;
    onKey(KEY_L, 1);
    frameFrom(eye, target);
    const Image tagged = shown;
    renderer.afterPresent = keepAfterPresent;
    // A view drawn other than through the default one has no cached matrix brought up to
    // date: its tags go where its own eye and target put them all the same.
    const std::vector<LabelBox> defaultTags = renderer.text.shownLabels;
    View stale = defaultView();
    stale.camera.view = glm::mat4(1.0f);
    stale.camera.viewDirty = true;
    drawLabels(renderer, defaultHall(), stale);
    ASSERT_EQ(renderer.text.shownLabels.size(), defaultTags.size());
    for (size_t i = 0; i < defaultTags.size(); ++i) {
        EXPECT_EQ(renderer.text.shownLabels[i].exhibit, defaultTags[i].exhibit);
        EXPECT_EQ(renderer.text.shownLabels[i].at, defaultTags[i].at);
    }
    renderer.text.shownLabels = defaultTags;
    EXPECT_TRUE(drainGLErrors().empty());

    enum { PavedGlobe = 0, KnotInRock = 6, StandingFigure = 7, ThreeRings = 9, MirrorTeapot = 11 };
    EXPECT_GT(projectToScreen(glm::vec3(defaultHall().exhibitSpheres[StandingFigure])).y, smallHeight);
    const std::vector<LabelBox>& tags = renderer.text.shownLabels;
    auto tagged_ = [&tags](int exhibit) {
        return std::any_of(tags.begin(), tags.end(), [exhibit](const LabelBox& b) { return b.exhibit == exhibit; });
    };
    EXPECT_TRUE(tagged_(PavedGlobe));
    EXPECT_TRUE(tagged_(ThreeRings));
    EXPECT_FALSE(tagged_(MirrorTeapot)) << "behind the pedestal";
    EXPECT_FALSE(tagged_(KnotInRock)) << "behind the pedestal";
    EXPECT_FALSE(tagged_(StandingFigure)) << "its middle is out of view";
    std::vector<bool> inTag(static_cast<size_t>(smallWidth) * smallHeight, false);
    for (size_t i = 0; i < tags.size(); ++i) {
        const LabelBox& box = tags[i];
        EXPECT_GE(box.at.x, 0.0f);
        EXPECT_GE(box.at.y, 0.0f);
        EXPECT_LE(box.at.x + box.size.x, smallWidth);
        EXPECT_LE(box.at.y + box.size.y, smallHeight);
        for (size_t j = 0; j < i; ++j)
            EXPECT_FALSE(overlap(box, tags[j])) << "exhibits " << box.exhibit << " and " << tags[j].exhibit;
        int changed = 0;
        for (int y = static_cast<int>(box.at.y); y < static_cast<int>(box.at.y + box.size.y); ++y) {
            for (int x = static_cast<int>(box.at.x); x < static_cast<int>(box.at.x + box.size.x); ++x) {
                inTag[static_cast<size_t>(y) * smallWidth + static_cast<size_t>(x)] = true;
                changed += std::equal(plain.pixel(x, y), plain.pixel(x, y) + 3, tagged.pixel(x, y)) ? 0 : 1;
            }
        }
        EXPECT_GT(changed, box.size.x * box.size.y / 2) << "the tag of exhibit " << box.exhibit << " is drawn";
    }
    int changedOutside = 0;
    for (int y = 0; y < smallHeight; ++y)
        for (int x = 0; x < smallWidth; ++x)
            changedOutside += !inTag[static_cast<size_t>(y) * smallWidth + static_cast<size_t>(x)] &&
                              !std::equal(plain.pixel(x, y), plain.pixel(x, y) + 3, tagged.pixel(x, y));
    EXPECT_EQ(changedOutside, 0);
}

// The halo is sized in window pixels: drawn at half the scale it spreads as far on screen
// as at full scale (sized in the pixels drawn, it reached twice as far).
TEST_F(FrameTest, AtHalfScaleTheHaloKeepsItsSizeOnScreen)
{
    animatedFrame(0.0, 0.0, false);
    const glm::vec3 eye(-1200, 900, -1200), target(750, 1500, 0);
    // The halo's gain-weighted mean distance from each lamp's centre, out to 60 pixels.
    auto haloReach = [&](double scale) {
        defaultRenderer().scale = scale;
        bloomfactor = 0.0f;
        frameFrom(eye, target);
        const Image plain = readPresentedFrame();
        bloomfactor = 1.0f;
        frameFrom(eye, target);
        const Image bloomed = readPresentedFrame();
        defaultRenderer().scale = 1.0;
        std::vector<float> reach;
        for (EngineObject* lamp : lamps) {
            const glm::vec3 s = projectToScreen(*lamp->position);
            float weighted = 0.0f, total = 0.0f;
            for (int y = static_cast<int>(s.y) - 60; y <= static_cast<int>(s.y) + 60; ++y)
                for (int x = static_cast<int>(s.x) - 60; x <= static_cast<int>(s.x) + 60; ++x) {
                    const float r = glm::length(glm::vec2(x, y) - glm::vec2(s));
                    if (r > 60.0f || x < 0 || y < 0 || x >= bloomed.width || y >= bloomed.height)
                        continue;
                    const float gain = std::max(luma(bloomed, x, y) - luma(plain, x, y), 0.0f);
                    weighted += gain * r;
                    total += gain;
                }
            reach.push_back(total > 0.0f ? weighted / total : 0.0f);
        }
        return reach;
    };
    const std::vector<float> full = haloReach(1.0);
    const std::vector<float> half = haloReach(0.5);
    ASSERT_EQ(full.size(), half.size());
    for (size_t i = 0; i < full.size(); ++i) {
        SCOPED_TRACE("lamp " + std::to_string(i));
        ASSERT_GT(full[i], 3.0f);
        EXPECT_NEAR(half[i] / full[i], 1.0f, 0.1f) << "pixels: " << half[i] << " at half scale, " << full[i] << " at full";
    }
    EXPECT_TRUE(drainGLErrors().empty());
}

class FullHdFrameTest : public HallTest {
protected:
    int hallWidth() const override { return 1920; }
    int hallHeight() const override { return 1080; }
};

TEST_F(FullHdFrameTest, FiltersGetTheFullHdSize)
{
    renderFrame();
    expectFilterUniformsFor(1920, 1080);
    EXPECT_NEAR(uniformValue(*bloomShader, "pixelsizex"), 0.000520833, 1e-9);
    EXPECT_NEAR(uniformValue(*bloomShader, "pixelsizey"), 0.000925926, 1e-9);
    const Image shown = readPresentedFrame();
    EXPECT_EQ(shown.width, 1920);
    EXPECT_EQ(shown.height, 1080);
}

} // namespace
