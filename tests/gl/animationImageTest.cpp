// Real frames of the animated hall at fixed times: shadows where a pedestal stands
// between light and floor, a light and an exhibit that are rows of the hall's table, a
// teapot that mirrors the hall and changes as the hall turns, walls that turn red
// with light 0, an exhibition folder dropped on the window, and the court example's
// shadows and mirrors.
#include "app/application.h"
#include "app/exhibitionLoading.h"
#include "assets/models.h"
#include "assets/textures.h"
#include "navigation/camera.h"
#include "render/capturePasses.h"
#include "render/frame.h"
#include "render/renderTargets.h"
#include "scene/animation.h"
#include "scene/exhibition.h"
#include "scene/sceneObjects.h"
#include "tests/gl/hallFixture.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr double pi = 3.14159265358979323846;

float lumaOf(const glm::vec3& color) { return glm::dot(color, glm::vec3(0.2126f, 0.7152f, 0.0722f)); }

using AnimationImageTest = HallTest;

// Light 1 hangs at (0, 1800, 0); the pedestal at (620, 0, 620) (520 high, 220 wide) and
// the sphere on it throw their shadow outwards along the diagonal, over the floor point
// 1200 from the hall's axis. The same point with pedestal and sphere taken away, and an
// open floor point beside it, show what the light gives there.
TEST_F(AnimationImageTest, PedestalShadowsTheFloorBehindIt)
{
    const glm::vec3 shadowed(849, 0, 849);
    const glm::vec3 open(1061, 0, 637);
    const glm::vec3 caster(620, 0, 620);
    camera.eye = shadowed + glm::vec3(250, 500, 250);
    camera.target = shadowed;
    updateBasis();
    auto floorLuma = [](const Image& frame, const glm::vec3& point) {
        const glm::vec3 s = projectToScreen(point);
        return lumaOf(meanColor(frame, static_cast<int>(s.x), static_cast<int>(s.y), 6));
    };

    animatedFrame(0.0, 0.0, false);
    const Image withCaster = readPresentedFrame();
    const std::vector<float> depths = readSceneDepth();
    ASSERT_TRUE(shownInFrame(shadowed, depths));
    ASSERT_TRUE(shownInFrame(open, depths));
    Image withoutCaster;
    {
        int removed = 0;
        for (auto it = sceneObjects.begin(); it != sceneObjects.end();) {
            const glm::vec3 p = *it->second->position;
            if (std::abs(p.x - caster.x) < 1.0f && std::abs(p.z - caster.z) < 1.0f) {
                it = sceneObjects.erase(it);
                ++removed;
            } else {
                ++it;
            }
        }
        ASSERT_EQ(removed, 2) << "the pedestal and the sphere on it";
        animatedFrame(0.0, 0.0, false);
        withoutCaster = readPresentedFrame();
    }
    const float dark = floorLuma(withCaster, shadowed);
    EXPECT_LT(dark, 0.8f * floorLuma(withCaster, open)) << "darker than the open floor beside it";
    EXPECT_LT(dark, 0.85f * floorLuma(withoutCaster, shadowed)) << "darker than with nothing in the way";
    EXPECT_NEAR(floorLuma(withCaster, open), floorLuma(withoutCaster, open), 0.01f) << "open floor unchanged";
}

// A light and an exhibit are each one more row of the hall's table, and no code: a third
// light lights the floor beside the pedestal at (620, 0, 620) but nothing from inside it,
// where the pedestal's walls in its own shadow map hide it; a fourteenth exhibit stands
// where its row puts it.
TEST_F(AnimationImageTest, AThirdLightAndAFourteenthExhibitAreRowsOfTheTable)
{
    camera.eye = glm::vec3(1300, 900, 1300);
    camera.target = glm::vec3(620, 0, 620);
    updateBasis();
    auto frameOf = [](const HallDescription& description) {
        showHall(defaultApplication(), description);
        animatedFrame(0.0, 0.0, false);
        return readPresentedFrame();
    };
    auto meanLuma = [](const Image& image) {
        double sum = 0.0;
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                sum += luma(image, x, y);
        return static_cast<float>(sum / (image.width * image.height));
    };
    const HallDescription builtIn = builtInHall();
    const Image builtInFrame = frameOf(builtIn);
    const float twoLights = meanLuma(builtInFrame);
    auto addedByThirdLight = [&](const glm::vec3& at) {
        HallDescription description = builtIn;
        // No ambient term: all it gives passes its shadow map.
        description.lights.push_back({glm::vec4(at, 1.0f), glm::vec4(1, 0, 5e-7f, 0), glm::vec4(0, 0, 0, 1),
                                      glm::vec4(1.0f), glm::vec4(1.0f)});
        return meanLuma(frameOf(description)) - twoLights;
    };
    const float beside = addedByThirdLight({620, 260, 900});
    const float inside = addedByThirdLight({620, 260, 620});
    EXPECT_GT(beside, 0.02f) << "a third light lights the hall";
    EXPECT_LT(inside, 0.1f * beside) << "its shadow map hides it inside the pedestal";

    HallDescription withExhibit = builtIn;
    withExhibit.materials.push_back({glm::vec4(4, 0, 0, 1), glm::vec4(0.0f), glm::vec4(0.0f), 1.0f});
    const glm::vec3 point(850, 100, 350);
    withExhibit.objects.push_back({ObjectRole::Exhibit, 1, 5, 0, 0, static_cast<int>(withExhibit.materials.size()) - 1,
                                   glm::vec3(0.5f), point});
    const Image frame = frameOf(withExhibit);
    const glm::vec3 s = projectToScreen(point);
    const glm::vec3 seen = meanColor(frame, static_cast<int>(s.x), static_cast<int>(s.y), 3);
    const glm::vec3 before = meanColor(builtInFrame, static_cast<int>(s.x), static_cast<int>(s.y), 3);
    EXPECT_GT(seen.r - seen.g, before.r - before.g + 0.2f) << "the red exhibit is drawn where its row puts it";
}

// examples/hall is the built-in hall written as a file: shown, lit, turned and mirrored,
// it gives the same pixels.
TEST_F(AnimationImageTest, TheHallWrittenAsAFileDrawsTheBuiltInHall)
{
    const Exhibition read = readExhibition(PINAKORA_SOURCE_DIR "/examples/hall");
    ASSERT_EQ(read.error, "");
    auto framesOf = [](const HallDescription& description) {
        showHall(defaultApplication(), description);
        frameFrom(glm::vec3(-1200, 1100, -1200), glm::vec3(0, 520, 0));
        std::vector<Image> frames;
        for (double t : {33.0, 34.0}) {
            animatedFrame(t, 0.5, true);
            frames.push_back(readPresentedFrame());
        }
        return frames;
    };
    // The mirrors' maps keep what the hall before left in them until recaptured, and each
    // shows the other: a first run of the built-in hall makes both runs start alike.
    framesOf(builtInHall());
    const std::vector<Image> fromFile = framesOf(read.hall);
    const std::vector<Image> builtIn = framesOf(builtInHall());
    for (size_t i = 0; i < builtIn.size(); ++i)
        EXPECT_TRUE(fromFile[i].rgba == builtIn[i].rgba) << "frame " << i;
}

// Clears light `light`'s shadow map to the nearest depth: everything is in its shadow.
void putAllInShadowOf(int light)
{
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glClearDepth(0.0);
    for (int face = 0; face < 6; ++face) {
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_CUBE_MAP_POSITIVE_X + face,
                               shadowCubeMaps[light], 0);
        glClear(GL_DEPTH_BUFFER_BIT);
    }
    glClearDepth(1.0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
}

// A frame with the object's map freshly captured; `mask` marks the object's pixels: where
// the depth with it drawn lies in front of the depth without it.
Image reflectingObjectFrame(EngineObject& object, std::vector<bool>& mask)
{
    renderEnvironmentCubeMap(object);
    object.visible = false;
    renderFrame();
    const std::vector<float> without = readSceneDepth();
    object.visible = true;
    renderFrame();
    const std::vector<float> with = readSceneDepth();
    mask.assign(with.size(), false);
    for (size_t i = 0; i < with.size(); ++i)
        mask[i] = with[i] < without[i] - 1e-5f;
    return readPresentedFrame();
}

TEST_F(AnimationImageTest, TeapotMirrorsTheHallAndChangesAsItTurns)
{
    EngineObject& teapot = *reflectingObjects.begin()->second;
    animatedFrame(0.0, 0.0, false);
    auto teapotFrame = [&](std::vector<bool>& mask) { return reflectingObjectFrame(teapot, mask); };
    std::vector<bool> before, after;
    const Image first = teapotFrame(before);

    // The same view with the teapot's map emptied: what the mirror owes to its map.
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    for (int face = 0; face < 6; ++face) {
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_CUBE_MAP_POSITIVE_X + face,
                               teapot.texture->id, 0);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glBindTexture(GL_TEXTURE_CUBE_MAP, teapot.texture->id);
    glGenerateMipmap(GL_TEXTURE_CUBE_MAP);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    renderFrame();
    const Image emptyMap = readPresentedFrame();

    spinExhibits(9.0);  // everything on the pedestals turns 90 degrees
    const Image turned = teapotFrame(after);
    spinExhibits(-9.0);

    double sum = 0.0, squares = 0.0, emptySum = 0.0;
    int count = 0, common = 0, changed = 0;
    for (size_t i = 0; i < before.size(); ++i) {
        const int x = static_cast<int>(i % first.width), y = static_cast<int>(i / first.width);
        if (before[i]) {
            const float l = luma(first, x, y);
            sum += l;
            squares += l * l;
            emptySum += luma(emptyMap, x, y);
            ++count;
        }
        // Read at its footprint's level, the mirror shows the hall this small without
        // speckle, and smoothly: a change of five levels counts.
        if (before[i] && after[i]) {
            changed += glm::length(rgb(first, x, y) - rgb(turned, x, y)) > 0.02f;
            ++common;
        }
    }
    ASSERT_GT(count, 300) << "the teapot should fill part of the start view";
    const double mean = sum / count;
    const double deviation = std::sqrt(std::max(0.0, squares / count - mean * mean));
    EXPECT_GT(mean, 0.15) << "a mirror of the lit hall is not dark";
    EXPECT_GT(deviation, 0.06) << "the mirror shows the hall's detail, not one colour";
    EXPECT_LT(emptySum / count, 0.5 * mean) << "what the mirror shows comes from its map";
    ASSERT_GT(common, 200);
    EXPECT_GT(changed, common / 20) << "the reflection changes as the hall turns";
}

// Seen from the front and above, the lamp overhead lights the teapot's shoulder: its
// highlight is a glint beside the lamp's own reflection, not a white blob over the body.
TEST_F(AnimationImageTest, MirrorHighlightsAreGlintsNotBlobs)
{
    EngineObject& teapot = *reflectingObjects.begin()->second;
    animatedFrame(0.0, 0.0, false);
    camera.eye = glm::vec3(0.0f, 900.0f, 700.0f);
    camera.target = glm::vec3(0.0f, 560.0f, 0.0f);
    updateBasis();
    std::vector<bool> mask;
    const Image frame = reflectingObjectFrame(teapot, mask);
    int count = 0, nearWhite = 0;
    for (size_t i = 0; i < mask.size(); ++i)
        if (mask[i]) {
            ++count;
            nearWhite += luma(frame, static_cast<int>(i % frame.width), static_cast<int>(i / frame.width)) > 0.92f;
        }
    ASSERT_GT(count, 1000) << "the teapot should fill much of this view";
    EXPECT_LT(nearWhite, count / 20) << nearWhite << " of " << count << " teapot pixels are near white";
}

// With light 0 giving no highlight, putting the whole hall into light 0's shadow must
// leave the teapot as it was, while light 1's shadow takes light 1's glint away: each
// glint is hidden only by its own light's shadow.
TEST_F(AnimationImageTest, EachMirrorGlintTakesItsOwnLightsShadow)
{
    EngineObject& teapot = *reflectingObjects.begin()->second;
    auto viewWithoutLightZeroGlint = [] {
        animatedFrame(0.0, 0.0, false);  // shadow maps as the lights cast them
        lights[0]->specularColor = glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
        camera.eye = glm::vec3(0.0f, 900.0f, 700.0f);
        camera.target = glm::vec3(0.0f, 560.0f, 0.0f);
        updateBasis();
    };
    auto allInShadowOf = [](int light) {
        putAllInShadowOf(light);
        renderFrame();  // the teapot's map stays as captured: only the glints can change
        return readPresentedFrame();
    };
    viewWithoutLightZeroGlint();
    std::vector<bool> mask;
    const Image lit = reflectingObjectFrame(teapot, mask);
    const Image shadowedByZero = allInShadowOf(0);
    viewWithoutLightZeroGlint();
    const Image shadowedByOne = allInShadowOf(1);
    animatedFrame(0.0, 0.0, false);

    int count = 0, changedByZero = 0, changedByOne = 0;
    for (size_t i = 0; i < mask.size(); ++i) {
        if (!mask[i])
            continue;
        const int x = static_cast<int>(i % lit.width), y = static_cast<int>(i / lit.width);
        ++count;
        changedByZero += std::abs(luma(shadowedByZero, x, y) - luma(lit, x, y)) > 4.0f / 255.0f;
        changedByOne += std::abs(luma(shadowedByOne, x, y) - luma(lit, x, y)) > 4.0f / 255.0f;
    }
    ASSERT_GT(count, 1000);
    ASSERT_GE(changedByOne, 10) << "light 1's glint shows in this view and goes with its shadow";
    EXPECT_LE(changedByZero, changedByOne / 10) << "light 0's shadow took " << changedByZero << " pixels of glint";
}

// At t = 0 light 0 is white, at t = pi pure red; the far walls show the difference.
TEST_F(AnimationImageTest, WallsAreRedderWhenLightZeroIsRed)
{
    auto wallRedness = [](double t) {
        animatedFrame(t, 0.0, false);
        const Image frame = readPresentedFrame();
        const std::vector<float> depths = readSceneDepth();
        glm::vec3 sum(0.0f);
        int count = 0;
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; ++x) {
                const float distance = viewDistance(depths[static_cast<size_t>(y) * frame.width + x]);
                if (distance > 2500.0f && distance < 50000.0f) {  // the walls beyond the exhibits
                    sum += rgb(frame, x, y);
                    ++count;
                }
            }
        EXPECT_GT(count, 5000);
        return sum.r / std::max(sum.g, 1e-3f);
    };
    const float white = wallRedness(0.0);
    const float red = wallRedness(pi);
    EXPECT_GT(red, white * 1.05f) << "red/green over the walls: " << white << " at t = 0, " << red << " at t = pi";
}

// What a folder dropped on the window does (a real drop cannot be made under Xvfb, so the
// handler is called): a good one is shown, with its own model and a missing image named
// with its exhibit; one with an error is its reader's one line, and the hall stays; and
// opening it again releases what the last opening loaded.
TEST_F(AnimationImageTest, ADroppedFolderIsShownAndABadOneKeepsTheHall)
{
    const fs::path root = fs::temp_directory_path() / ("pinakoraDrop" + std::to_string(::getpid()));
    const fs::path good = root / "good", bad = root / "bad";
    fs::create_directories(good / "models");
    fs::create_directories(bad);
    std::ofstream(good / "models" / "box.obj") << "v -1 0 -1\nv 1 0 -1\nv 1 0 1\nv -1 0 1\n"
                                                   "v -1 2 -1\nv 1 2 -1\nv 1 2 1\nv -1 2 1\n"
                                                   "f 1 2 3\nf 1 3 4\nf 5 7 6\nf 5 8 7\nf 1 5 6\nf 1 6 2\n"
                                                   "f 2 6 7\nf 2 7 3\nf 3 7 8\nf 3 8 4\nf 4 8 5\nf 4 5 1\n";
    std::ofstream(good / "exhibition.json") << R"({ "format": "pinakora-exhibition/1", "title": "Dropped",
      "room": { "size": [2000, 800, 2000] },
      "lights": [ { "position": [0, 700, 0] }, { "position": [500, 600, 0] }, { "position": [-500, 600, 0] } ],
      "exhibits": [ { "model": "models/box.obj", "position": [0, 0, 0], "height": 200,
                      "material": { "texture": "images/missing.jpg" } } ] })";
    std::ofstream(bad / "exhibition.json") << "{\n  \"format\": \"pinakora-exhibition/1\",\n  \"lights\": [\n}\n";
    Application& application = defaultApplication();

    ConsoleCapture console;
    const bool opened = openDroppedPaths(application, {good.string()});
    const std::string err = console.err();
    ASSERT_TRUE(opened) << err;
    EXPECT_EQ(lights.size(), 3u) << "the folder's three lights";
    const ModelData* box = getModel(firstModelKey);
    ASSERT_NE(box, nullptr);
    EXPECT_GT(box->vertexCount, 0u) << "its own model, read from the folder";
    EXPECT_NE(err.find("exhibits[0]: image file " + fs::canonical(good).string() + "/images/missing.jpg does not exist."),
              std::string::npos)
        << err;
    camera.eye = glm::vec3(0, 400, 900);
    camera.target = glm::vec3(0, 100, 0);
    updateBasis();
    animatedFrame(0.0, 0.0, true);
    EXPECT_TRUE(drainGLErrors().empty());

    const size_t models = application.assets.modelRecords.size(), textures = application.assets.textureRecords.size();
    for (int reload = 0; reload < 3; ++reload)
        ASSERT_TRUE(openExhibition(application, (good / "exhibition.json").string()));
    EXPECT_EQ(application.assets.modelRecords.size(), models) << "a reload drops the records it replaces";
    EXPECT_EQ(application.assets.textureRecords.size(), textures);

    ConsoleCapture badConsole;
    EXPECT_FALSE(openDroppedPaths(application, {bad.string()}));
    EXPECT_EQ(badConsole.err(), readExhibition(bad.string()).error + "\n");
    EXPECT_EQ(lights.size(), 3u) << "the hall shown stays";
    EXPECT_EQ(application.exhibitionPath, (good / "exhibition.json").string());
    fs::remove_all(root);
}

// examples/court as a visitor sees it: each of its three lights throws the exhibits'
// shadows on the floor (floor that its cleared shadow map leaves as it was, beyond what it
// leaves with the exhibits taken away), and its mirror and glass show the room once their
// maps are captured.
TEST_F(AnimationImageTest, TheCourtShowsEachLightsShadowsAndItsMirrorsShowTheRoom)
{
    ASSERT_TRUE(openExhibition(defaultApplication(), PINAKORA_SOURCE_DIR "/examples/court"));
    ASSERT_EQ(lights.size(), 3u);
    ASSERT_EQ(reflectingObjects.size(), 2u);
    camera.eye = glm::vec3(-1100, 1050, 950);
    camera.target = glm::vec3(0, 0, -150);
    updateBasis();
    animatedFrame(0.0, 0.0, false);
    // The floor: pixels whose depth puts them within a unit of y = 0.
    const std::vector<float> depths = readSceneDepth();
    const glm::mat4 toWorld = glm::inverse(camera.projection * viewMatrix());
    std::vector<bool> floor(depths.size());
    for (size_t i = 0; i < depths.size(); ++i) {
        const glm::vec4 ndc(((i % screenWidth) + 0.5f) / screenWidth * 2 - 1, ((i / screenWidth) + 0.5f) / screenHeight * 2 - 1,
                            depths[i] * 2 - 1, 1.0f);
        const glm::vec4 world = toWorld * ndc;
        floor[i] = std::abs(world.y / world.w) < 1.0f;
    }
    // What light `light` adds to each pixel: the frame less the same with its map cleared.
    auto lightsShare = [](int light) {
        animatedFrame(0.0, 0.0, false);
        const Image lit = readPresentedFrame();
        putAllInShadowOf(light);
        renderFrame();
        const Image dark = readPresentedFrame();
        std::vector<float> share(static_cast<size_t>(lit.width) * lit.height);
        for (size_t i = 0; i < share.size(); ++i)
            share[i] = luma(lit, i % lit.width, i / lit.width) - luma(dark, i % lit.width, i / lit.width);
        return share;
    };
    int floorPixels = 0;
    for (bool f : floor)
        floorPixels += f;
    ASSERT_GT(floorPixels, static_cast<int>(floor.size() / 4)) << "the view shows the floor";
    std::vector<std::vector<float>> withExhibits;
    for (int light = 0; light < 3; ++light)
        withExhibits.push_back(lightsShare(light));
    // Only the room left to cast shadows; the mirrors are hidden too.
    const std::map<int, EngineObject*> all = sceneObjects;
    for (auto it = sceneObjects.begin(); it != sceneObjects.end();)
        it = it->second->role == ObjectRole::Architecture ? std::next(it) : sceneObjects.erase(it);
    for (auto& [id, object] : reflectingObjects)
        object->visible = false;
    for (int light = 0; light < 3; ++light) {
        const std::vector<float> open = lightsShare(light);
        int shadowed = 0;
        for (size_t i = 0; i < floor.size(); ++i)
            shadowed += floor[i] && open[i] > 6.0f / 255.0f && withExhibits[light][i] < 0.3f * open[i];
        EXPECT_GT(shadowed, floorPixels / 100) << "light " << light << " throws the exhibits' shadows on the floor";
    }
    sceneObjects = all;
    for (auto& [id, object] : reflectingObjects)
        object->visible = true;

    camera.eye = glm::vec3(150, 650, 700);
    camera.target = glm::vec3(250, 450, -250);
    updateBasis();
    for (auto& [id, object] : reflectingObjects) {
        // The maps are empty until captured: what the object shows then is the room.
        std::vector<bool> mask;
        object->visible = false;
        renderFrame();
        const std::vector<float> without = readSceneDepth();
        object->visible = true;
        renderFrame();
        const Image empty = readPresentedFrame();
        const std::vector<float> with = readSceneDepth();
        const Image captured = reflectingObjectFrame(*object, mask);
        int count = 0, changed = 0;
        for (size_t i = 0; i < mask.size(); ++i) {
            if (!(with[i] < without[i] - 1e-5f))
                continue;
            ++count;
            const int x = static_cast<int>(i % empty.width), y = static_cast<int>(i / empty.width);
            changed += glm::length(rgb(captured, x, y) - rgb(empty, x, y)) > 8.0f / 255.0f;
        }
        ASSERT_GT(count, 500) << "reflecting object " << id << " is in view";
        EXPECT_GT(changed, count / 2) << "reflecting object " << id << " shows the room once captured";
    }
}

} // namespace
