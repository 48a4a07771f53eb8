// The shadow and environment captures: they hand the camera back as it was, leave the
// culling the scene pass relies on, run on the first and every second frame, hide an
// object from its own map only, and keep the lamps out of the shadow maps.
#include "app/application.h"
#include "app/runLoop.h"
#include "base/frameClock.h"
#include "assets/textures.h"
#include "navigation/camera.h"
#include "render/capturePasses.h"
#include "render/renderTargets.h"
#include "render/scenePass.h"
#include "scene/animation.h"
#include "scene/sceneObjects.h"
#include "tests/gl/hallFixture.h"

#include <glm/gtc/matrix_transform.hpp>
#include <algorithm>
#include <cmath>
#include <functional>

namespace {

void fillCubeMap(GLuint cubeMap, const glm::vec4& color)
{
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glClearColor(color.r, color.g, color.b, color.a);
    for (int face = 0; face < 6; ++face) {
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, cubeMap, 0);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap);
    glGenerateMipmap(GL_TEXTURE_CUBE_MAP);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
}

std::vector<unsigned char> allFaces(GLuint cubeMap)
{
    std::vector<unsigned char> texels;
    for (int face = 0; face < 6; ++face) {
        const std::vector<unsigned char> one = readCubeFaceRGBA(cubeMap, face);
        texels.insert(texels.end(), one.begin(), one.end());
    }
    return texels;
}

size_t differingTexels(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b)
{
    size_t count = 0;
    for (size_t i = 0; i + 3 < a.size() && i + 3 < b.size(); i += 4)
        if (a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2])
            ++count;
    return count;
}

// Faces of the map that still hold the sentinel everywhere the capture would draw.
int facesStillHolding(GLuint cubeMap, const unsigned char sentinel[3])
{
    int count = 0;
    for (int face = 0; face < 6; ++face) {
        const std::vector<unsigned char> texels = readCubeFaceRGBA(cubeMap, face);
        const size_t middle = (texels.size() / 2) & ~size_t(3);
        bool holding = true;
        for (size_t i : {size_t(0), middle, texels.size() - 4})
            holding = holding && texels[i] == sentinel[0] && texels[i + 1] == sentinel[1] && texels[i + 2] == sentinel[2];
        count += holding;
    }
    return count;
}

EngineObject* teapot() { return reflectingObjects.begin()->second; }
EngineObject* lens() { return std::next(reflectingObjects.begin())->second; }

using CapturePassesTest = HallTest;

TEST_F(CapturePassesTest, CapturesHandTheCameraBackUnchanged)
{
    sceneObjects.clear();  // the camera's round trip does not depend on what is drawn
    const struct {
        const char* name;
        std::function<void()> capture;
    } captures[] = {
        {"shadow", [] { renderShadowCubeMap(shadowCubeMaps[1], glm::vec3(lights[1]->position)); }},
        {"environment", [] { renderEnvironmentCubeMap(*lens()); }},
    };
    for (const auto& c : captures) {
        SCOPED_TRACE(c.name);
        camera.eye = glm::vec3(300.0f, 900.0f, -700.0f);
        camera.target = glm::vec3(-100.0f, 500.0f, 200.0f);
        updateBasis();
        const glm::mat4 viewBefore = viewMatrix();
        const glm::vec3 eye = camera.eye, target = camera.target;
        const glm::mat4 projection = camera.projection;
        ASSERT_EQ(projection, defaultProjection());
        c.capture();
        EXPECT_EQ(camera.eye, eye);
        EXPECT_EQ(camera.target, target);
        EXPECT_EQ(camera.projection, projection);
        EXPECT_EQ(viewMatrix(), viewBefore);
        GLint framebuffer = -1;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
        EXPECT_EQ(framebuffer, 0);
        EXPECT_TRUE(lens()->visible);
    }
    EXPECT_TRUE(drainGLErrors().empty());
}

TEST_F(CapturePassesTest, ShadowPassLeavesBackFacesCulled)
{
    glDisable(GL_CULL_FACE);
    glCullFace(GL_FRONT_AND_BACK);
    renderShadowCubeMap(shadowCubeMaps[0], glm::vec3(lights[0]->position));
    GLint mode = 0, program = -1, vertexArray = -1;
    glGetIntegerv(GL_CULL_FACE_MODE, &mode);
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(mode, GL_BACK);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(program, 0);
    EXPECT_EQ(vertexArray, 0);
    EXPECT_TRUE(drainGLErrors().empty());
}

// A face that saw no caster is not cleared again; that must never keep a caster's depth
// once it has gone, nor lose one that comes back.
TEST_F(CapturePassesTest, ShadowMapForgetsCastersThatLeave)
{
    moveLights(0.0);
    const glm::vec3 light(lights[0]->position);
    auto pass = [&] {
        renderShadowCubeMap(shadowCubeMaps[0], light);
        std::vector<std::vector<float>> faces;
        for (int face = 0; face < 6; ++face)
            faces.push_back(readCubeFaceDepth(shadowCubeMaps[0], face));
        return faces;
    };
    const auto withCasters = pass();
    const auto scene = sceneObjects;
    const auto reflecting = reflectingObjects;
    sceneObjects.clear();
    reflectingObjects.clear();
    for (int run = 0; run < 2; ++run)
        for (const std::vector<float>& face : pass())
            EXPECT_EQ(std::count(face.begin(), face.end(), 1.0f), static_cast<long>(face.size()))
                << "pass " << run << " kept depth of casters that left";
    sceneObjects = scene;
    reflectingObjects = reflecting;
    EXPECT_TRUE(pass() == withCasters) << "the casters came back otherwise";
    EXPECT_TRUE(drainGLErrors().empty());
}

// Both environment maps are filled with a colour no capture produces before every frame;
// a capture repaints every face, a frame without one leaves them as they were.
TEST_F(CapturePassesTest, EnvironmentIsCapturedOnFramesOneAndThreeButNotTwo)
{
    sceneObjects.clear();  // keeps the twelve face renders per frame cheap
    const unsigned char sentinel[3] = {255, 0, 255};
    environmentRefreshPending = true;  // as a run starts
    const bool capturedOnFrame[] = {true, false, true};
    for (int frame = 0; frame < 3; ++frame) {
        SCOPED_TRACE("frame " + std::to_string(frame + 1));
        for (GLuint cubeMap : environmentCubeMaps)
            fillCubeMap(cubeMap, glm::vec4(1.0f, 0.0f, 1.0f, 1.0f));
        runFrame(1.0 / 30.0);
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(facesStillHolding(environmentCubeMaps[i], sentinel), capturedOnFrame[frame] ? 0 : 6)
                << "environment map " << i;
        EXPECT_EQ(environmentRefreshPending, !capturedOnFrame[frame]);
    }
    EXPECT_TRUE(drainGLErrors().empty());
}

// Only the lamps and the two reflecting objects are drawn, each reflecting object showing
// its map as filled white. Whether an object is registered must change the other one's
// map, and must not change its own.
TEST_F(CapturePassesTest, ObjectIsAbsentFromItsOwnMapAndPresentInTheOther)
{
    sceneObjects.clear();
    const std::map<int, EngineObject*> both = reflectingObjects;
    EngineObject* const pair[2] = {teapot(), lens()};
    for (int self = 0; self < 2; ++self) {
        EngineObject& object = *pair[self];
        const int other = 1 - self;
        SCOPED_TRACE(self == 0 ? "teapot's map" : "lens's map");
        auto captureWith = [&](std::initializer_list<int> registered) {
            reflectingObjects.clear();
            for (int i : registered)
                reflectingObjects[*pair[i]->id] = pair[i];
            for (GLuint cubeMap : environmentCubeMaps)
                fillCubeMap(cubeMap, glm::vec4(1.0f));
            renderEnvironmentCubeMap(object);
            return allFaces(object.texture->id);
        };
        const std::vector<unsigned char> withBoth = captureWith({0, 1});
        const std::vector<unsigned char> withoutOther = captureWith({self});
        const std::vector<unsigned char> withoutSelf = captureWith({other});
        EXPECT_GT(differingTexels(withBoth, withoutOther), 200u) << "the other object is missing from the map";
        EXPECT_EQ(differingTexels(withBoth, withoutSelf), 0u) << "the object shows in its own map";
        EXPECT_TRUE(object.visible);
    }
    reflectingObjects = both;
    EXPECT_TRUE(drainGLErrors().empty());
}

// The captures have no depth pre-pass, so what they shade and then cover is paid for in
// full. The mirror and the lens look down on their own pedestals from just above: drawn
// bottom block first, every block's top was shaded under the next, a third more pixels in
// all for the teapot. What lies in front must come first.
TEST_F(CapturePassesTest, CapturesShadeEachPixelAboutOnce)
{
    animatedFrame(0.0, 0.0, false);
    GLuint query = 0;
    glGenQueries(1, &query);
    for (EngineObject* object : {teapot(), lens()}) {
        SCOPED_TRACE(object == teapot() ? "teapot's map" : "lens's map");
        glBeginQuery(GL_SAMPLES_PASSED, query);
        renderEnvironmentCubeMap(*object);
        glEndQuery(GL_SAMPLES_PASSED);
        GLuint shaded = 0;
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &shaded);
        const double pixels = 6.0 * environmentMapSize * environmentMapSize;
        EXPECT_GE(shaded / pixels, 1.0) << "a face was left partly unshaded";
        EXPECT_LT(shaded / pixels, 1.1) << "pixels shaded and then covered";
    }
    glDeleteQueries(1, &query);
    EXPECT_TRUE(drainGLErrors().empty());
}

// The captures read the hall's textures through a cheaper sampler: the picture stays the
// same to the eye (grazing floor and walls are where it shows at all), and no unit keeps
// the sampler afterwards, where it would override the frame's own filtering. In both
// views every pixel is shaded: the frame's lit programs must meet its depth pre-pass
// exactly, or pixels keep the clear colour. The captures' reduced shadow maps, with their
// wider bias, leave the light as it was.
TEST_F(CapturePassesTest, ReducedSamplingLooksTheSameAndUnbindsItsSampler)
{
    animatedFrame(0.0, 0.0, false);
    camera.eye = glm::vec3(-900.0f, 300.0f, 1500.0f);  // across the floor to the far wall
    camera.target = glm::vec3(300.0f, 150.0f, -1500.0f);
    updateBasis();
    auto sceneWith = [](SceneView view) {
        glBindFramebuffer(GL_FRAMEBUFFER, sceneFramebuffer);
        glDrawBuffer(GL_COLOR_ATTACHMENT0);
        glViewport(0, 0, screenWidth, screenHeight);
        renderScene(view);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        for (GLenum unit = 0; unit < 5; ++unit) {
            GLint sampler = -1;
            glActiveTexture(GL_TEXTURE0 + unit);
            glGetIntegerv(GL_SAMPLER_BINDING, &sampler);
            EXPECT_EQ(sampler, 0) << "unit " << unit;
        }
        glActiveTexture(GL_TEXTURE0);
        const Image picture = readTexture(sceneColorTextures[0]);
        size_t unshaded = 0;
        for (size_t i = 0; i < picture.rgba.size(); i += 4)
            unshaded += picture.rgba[i] == 0 && picture.rgba[i + 1] == 0 && picture.rgba[i + 2] == 0 &&
                        picture.rgba[i + 3] == 255;
        EXPECT_EQ(unshaded, 0u) << "pixels left at the clear colour";
        return picture;
    };
    const Image full = sceneWith(SceneView::Frame);
    reduceShadowCubeMaps();  // as every refresh does before its captures
    const Image reduced = sceneWith(SceneView::EnvironmentCapture);
    ASSERT_EQ(full.rgba.size(), reduced.rgba.size());
    // Less sharp where the floor and walls recede, the same light and colour throughout.
    // A captured face is stored with a square-root curve: it is brought to the display
    // curve of the frame's picture before the two are compared.
    size_t differing = 0;
    double meanFull[3] = {}, meanReduced[3] = {};
    for (size_t i = 0; i < full.rgba.size(); i += 4)
        for (size_t c = 0; c < 3; ++c) {
            const double stored = reduced.rgba[i + c] / 255.0;
            const double reducedOnDisplayCurve = 255.0 * std::pow(stored * stored, 1.0 / 2.2);
            differing += std::abs(full.rgba[i + c] - reducedOnDisplayCurve) > 0.5;
            meanFull[c] += full.rgba[i + c];
            meanReduced[c] += reducedOnDisplayCurve;
        }
    EXPECT_GT(differing, 100u) << "the sampler changed nothing";
    const double pixels = static_cast<double>(full.rgba.size() / 4);
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(meanFull[c] / pixels, meanReduced[c] / pixels, 1.5) << "channel " << c << " in 1/255";
    EXPECT_TRUE(drainGLErrors().empty());
}

// A curved mirror shows its map minified many times over: read where the footprint of
// a pixel asks, its fine detail is that of a 4 x 4 supersampled render of the same view,
// neither speckled beyond it nor blurred below it. The teapot's pixels are those that
// change when its map turns from white to black, two pixels in from the outline.
TEST_F(CapturePassesTest, MirrorShowsTheFineDetailOfASupersampledView)
{
    animatedFrame(8.0, 0.0, true);
    camera.eye = glm::vec3(-600.0f, 800.0f, -600.0f);
    camera.target = glm::vec3(0.0f, 600.0f, 0.0f);
    updateBasis();
    const GLuint teapotMap = teapot()->texture->id;
    fillCubeMap(teapotMap, glm::vec4(1.0f));
    const Image white = sceneAtScale(1);
    fillCubeMap(teapotMap, glm::vec4(0.0f));
    const Image black = sceneAtScale(1);
    const int w = screenWidth, h = screenHeight;
    std::vector<bool> mirror(static_cast<size_t>(w) * h), inside(mirror.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            mirror[static_cast<size_t>(y) * w + x] = luma(white, x, y) - luma(black, x, y) > 0.25f;
    int pixels = 0;
    for (int y = 2; y < h - 2; ++y)
        for (int x = 2; x < w - 2; ++x) {
            bool all = true;
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx)
                    all = all && mirror[static_cast<size_t>(y + dy) * w + x + dx];
            inside[static_cast<size_t>(y) * w + x] = all;
            pixels += all;
        }
    ASSERT_GT(pixels, 1000) << "too little of the teapot in view";
    renderEnvironmentCubeMap(*teapot());
    const Image frame = sceneAtScale(1);
    const Image supersampled = sceneAtScale(4);
    const double seen = fineDetail(frame, inside), truth = fineDetail(supersampled, inside);
    EXPECT_LT(seen, 1.3 * truth) << "the mirror glitters: " << seen << " levels against " << truth;
    EXPECT_GT(seen, 0.7 * truth) << "the mirror is blurred: " << seen << " levels against " << truth;
    EXPECT_TRUE(drainGLErrors().empty());
}

// Distance along the face's view axis stored where `point` lands in face `face` of a
// light's map, and that landing point's own distance.
struct FaceSample {
    float stored;
    float pointDistance;
};
FaceSample sampleShadowFace(int light, int face, const glm::vec3& point)
{
    const glm::vec3 eye(lights[light]->position);
    const glm::mat4 view = glm::lookAt(eye, eye + cubeFaceOffsets[face], glm::vec3(0.0f, 1.0f, 0.0f));
    const glm::vec4 clip = cubeFaceProjection() * view * glm::vec4(point, 1.0f);
    const glm::vec3 ndc = glm::vec3(clip) / clip.w;
    EXPECT_TRUE(clip.w > 0.0f && std::abs(ndc.x) < 1.0f && std::abs(ndc.y) < 1.0f) << "not on face " << face;
    const int x = std::clamp(static_cast<int>((ndc.x * 0.5f + 0.5f) * shadowMapSize), 0, shadowMapSize - 1);
    const int y = std::clamp(static_cast<int>((ndc.y * 0.5f + 0.5f) * shadowMapSize), 0, shadowMapSize - 1);
    const std::vector<float> depths = readCubeFaceDepth(shadowCubeMaps[light], face);
    return {viewDistance(depths[static_cast<size_t>(y) * shadowMapSize + x]), clip.w};
}

// The captures say that they capture; nothing is guessed from a square projection. A
// square picture (a square window, a square capture) keeps its soft shadow edges: it
// matches a nearly square one, and not what a capture's single shadow tap gives.
TEST_F(CapturePassesTest, SquareViewKeepsItsSoftShadows)
{
    animatedFrame(0.0, 0.0, false);
    camera.eye = glm::vec3(1099.0f, 500.0f, 1099.0f);  // a pedestal's shadow on the floor
    camera.target = glm::vec3(849.0f, 0.0f, 849.0f);
    updateBasis();
    const int side = screenHeight;
    auto squareScene = [side](float aspect, SceneView view) {
        camera.projection = glm::perspective(glm::radians(40.0f), aspect, nearDist, farDist);
        glBindFramebuffer(GL_FRAMEBUFFER, sceneFramebuffer);
        glDrawBuffer(GL_COLOR_ATTACHMENT0);
        glViewport(0, 0, side, side);
        renderScene(view);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        return readTexture(sceneColorTextures[0]);
    };
    const Image square = squareScene(1.0f, SceneView::Frame);
    const Image nearlySquare = squareScene(1.002f, SceneView::Frame);
    const Image captureShaded = squareScene(1.0f, SceneView::EnvironmentCapture);
    camera.projection = defaultProjection();
    glViewport(0, 0, screenWidth, screenHeight);
    auto differing = [side](const Image& a, const Image& b) {
        int count = 0;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                for (int c = 0; c < 3; ++c)
                    if (std::abs(a.pixel(x, y)[c] - b.pixel(x, y)[c]) > 8) {
                        ++count;
                        break;
                    }
        return count;
    };
    const int againstNearlySquare = differing(square, nearlySquare);
    const int againstCapture = differing(square, captureShaded);
    ASSERT_GT(againstCapture, 100) << "capture shading should show in this view";
    EXPECT_LT(againstNearlySquare, againstCapture / 5) << "the square view lost its soft shadows";
}

TEST_F(CapturePassesTest, ShadowMapsHoldTheCastersButNoLamp)
{
    moveLights(0.0);  // light 0 and its lamp at (1500, 1200, 0); light 1 and lamp 1 at (0, 1800, 0)
    for (int i = 0; i < 2; ++i)
        renderShadowCubeMap(shadowCubeMaps[i], glm::vec3(lights[i]->position));
    const float lampRadius = 60.0f;
    // The casters' back faces are what a map keeps (front faces are culled), and the room
    // and the floor, seen from inside and from above, keep nothing: a lamp drawn there
    // would stop a ray at its far shell, at most its radius beyond its centre.
    const float nothingNearerThanWalls = 1640.0f;
    const struct {
        const char* what;
        int light, face;
        glm::vec3 point;
        float minDistance, maxDistance;  // of what the map holds there
    } cases[] = {
        // Each light sits inside its own lamp: no face may stop at the lamp's shell.
        {"light 0, own lamp, +X", 0, 0, {1700, 1200, 0}, 1.5f * lampRadius, 1e9f},
        {"light 0, own lamp, -X", 0, 1, {0, 1200, 0}, 1.5f * lampRadius, 1e9f},
        {"light 0, own lamp, +Y", 0, 2, {1500, 2400, 0}, 1.5f * lampRadius, 1e9f},
        {"light 0, own lamp, -Y", 0, 3, {1500, 0, 0}, 1.5f * lampRadius, 1e9f},
        {"light 0, own lamp, +Z", 0, 4, {1500, 1200, 1000}, 1.5f * lampRadius, 1e9f},
        {"light 0, own lamp, -Z", 0, 5, {1500, 1200, -1000}, 1.5f * lampRadius, 1e9f},
        {"light 1, own lamp, +Y", 1, 2, {0, 2400, 0}, 1.5f * lampRadius, 1e9f},
        {"light 1, own lamp, +Z", 1, 4, {0, 1800, 1000}, 1.5f * lampRadius, 1e9f},
        // The other lamp is not in the way (1500 from the light along the axis).
        {"light 0 towards lamp 1", 0, 1, {0, 1800, 0}, nothingNearerThanWalls, 1e9f},
        {"light 1 towards lamp 0", 1, 0, {1500, 1200, 0}, nothingNearerThanWalls, 1e9f},
        // The reflecting objects cast: straight below light 1 the teapot (520 to 680 high),
        // and the lens (about 620 high, 96 in radius) further out.
        {"light 1 over the teapot", 1, 3, {0, 600, 0}, 1110.0f, 1290.0f},
        {"light 1 over the lens", 1, 3, {620, 620, -620}, 1080.0f, 1290.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const FaceSample s = sampleShadowFace(c.light, c.face, c.point);
        EXPECT_GT(s.stored, c.minDistance);
        EXPECT_LT(s.stored, c.maxDistance);
    }
    EXPECT_TRUE(drainGLErrors().empty());
}

} // namespace
