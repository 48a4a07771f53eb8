// Placement arithmetic of scene objects and the fixed layout they build, without GL:
// models and textures are stand-ins, the layout only needs their addresses and keys.
#include "assets/assets.h"
#include "assets/modelImport.h"
#include "assets/models.h"
#include "assets/textures.h"
#include "scene/animation.h"
#include "scene/composition.h"
#include "scene/exhibition.h"
#include "scene/hall.h"
#include "scene/hallTable.h"
#include "scene/labelLayout.h"
#include "scene/placement.h"
#include "scene/sceneObjects.h"
#include "scene/textLayout.h"
#include "scene/tourPlaces.h"
#include "navigation/camera.h"
#include "navigation/tour.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

namespace {

void expectVec3Near(const glm::vec3& a, const glm::vec3& b, float tolerance = 1e-3f)
{
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

glm::vec3 translationOf(const EngineObject& o)
{
    return glm::vec3(o.modelMatrix[3]);
}

} // namespace

TEST(EngineObject, FreshObjectIsIdentityAtOriginVisibleWithTheNextId)
{
    Material material;
    const int first = nextObjectId;
    EngineObject a(nullptr, nullptr, &material);
    EngineObject b(nullptr, nullptr, &material);
    EngineObject c(nullptr, nullptr, &material);
    EXPECT_EQ(*a.id, first);
    EXPECT_EQ(*b.id, first + 1);
    EXPECT_EQ(*c.id, first + 2);
    EXPECT_EQ(a.modelMatrix, glm::mat4(1.0f));
    EXPECT_EQ(*a.position, glm::vec3(0.0f));
    EXPECT_EQ(a.scaling, glm::vec3(1.0f));
    EXPECT_TRUE(a.visible);

    std::map<int, EngineObject*> registry;
    registry[*c.id] = &c;
    registry[*a.id] = &a;
    registry[*b.id] = &b;
    std::vector<EngineObject*> order;
    for (auto& [id, object] : registry)
        order.push_back(object);
    EXPECT_EQ(order, (std::vector<EngineObject*>{&a, &b, &c})) << "registries iterate in creation order";
}

TEST(EngineObject, ScaleThenTranslateLandsOnTheWorldPoint)
{
    Material material;
    EngineObject lamp(nullptr, nullptr, &material);
    lamp.scale(0.5f);
    lamp.translate(glm::vec3(1500, 1800, 0));
    EXPECT_EQ(translationOf(lamp), glm::vec3(1500, 1800, 0));
    EXPECT_EQ(glm::mat3(lamp.modelMatrix), glm::mat3(0.5f));
    EXPECT_EQ(*lamp.position, glm::vec3(1500, 1800, 0));
}

TEST(EngineObject, StretchedObjectTranslatesInWorldUnits)
{
    Material material;
    EngineObject plane(nullptr, nullptr, &material);
    plane.scale(glm::vec3(7.5f, 1.0f, 6.5f));
    EXPECT_EQ(glm::vec3(plane.modelMatrix * glm::vec4(1, 1, 1, 1)), glm::vec3(7.5f, 1.0f, 6.5f));
    plane.translate(glm::vec3(7.5f, 0, 0));
    expectVec3Near(translationOf(plane), glm::vec3(7.5f, 0, 0), 1e-5f);
}

TEST(EngineObject, RotateYAfterPlacementTurnsInPlaceAndMapsXOntoMinusZ)
{
    Material material;
    EngineObject o(nullptr, nullptr, &material);
    o.scale(12.0f);
    o.translate(glm::vec3(620, 620, -620));
    o.rotateY(90.0f);
    expectVec3Near(translationOf(o), glm::vec3(620, 620, -620));
    EXPECT_EQ(*o.position, glm::vec3(620, 620, -620));
    const glm::vec3 localX = glm::normalize(glm::vec3(o.modelMatrix * glm::vec4(1, 0, 0, 0)));
    expectVec3Near(localX, glm::vec3(0, 0, -1), 1e-5f);
}

class HallLayout : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // Stand-in records under every key the layout asks for; no GL is touched.
        for (short key = 1; key <= 11; ++key)
            models[key] = new ModelData();
        for (const CaptureTwin& pair : captureTwins)
            models[pair.twin] = new ModelData();
        for (const TextureListEntry& entry : textureList)
            TextureLoader::getInstance().textures[entry.key] = new Texture{100u + entry.key, entry.key};
    }
    // A fresh hall for every case, built from the table.
    void SetUp() override { buildHall(hall, builtInHall(), defaultAssets(), {}); }

    Hall hall;
};

TEST_F(HallLayout, RegistriesHoldTheirObjectsWithConsecutiveIds)
{
    ASSERT_EQ(hall.sceneObjects.size(), 28u);
    ASSERT_EQ(hall.reflectingObjects.size(), 2u);
    int expected = 0;
    for (auto& [id, object] : hall.sceneObjects)
        EXPECT_EQ(id, expected++);
    EXPECT_EQ(hall.reflectingObjects.begin()->first, 28);
    EXPECT_EQ(hall.reflectingObjects.rbegin()->first, 29);
    EXPECT_EQ(*hall.lamps[0]->id, 30);
    EXPECT_EQ(*hall.lamps[1]->id, 31);
}

TEST_F(HallLayout, ObjectsStandWhereTheLayoutPutsThemWhateverTheirScale)
{
    struct Expected {
        int id;
        short model;
        int texture;
        glm::vec3 point;
    };
    const Expected table[] = {
        {0, 2, 24, {0, 0, 0}},           {1, 9, 21, {0, 0, 0}},           {2, 3, 15, {620, 0, 620}},
        {6, 3, 15, {0, 0, 0}},           {14, 3, 15, {-1240, 0, 0}},      {15, 1, 12, {620, 650, 620}},
        {17, 8, 9, {-1240, 750, 1240}},  {20, 10, 15, {1240, 720, 0}},    {22, 11, 9, {0, 550, -1240}},
        {23, 11, 12, {-1240, 550, 0}},   {24, 6, 5, {-620, 640, 620}},    {26, 6, 5, {-620, 640, 620}},
        {27, 4, 6, {-620, 530, -620}},
    };
    for (const Expected& e : table) {
        const EngineObject& o = *hall.sceneObjects.at(e.id);
        SCOPED_TRACE("object " + std::to_string(e.id));
        EXPECT_EQ(o.model, models[e.model]);
        EXPECT_EQ(o.texture->key, e.texture);
        expectVec3Near(translationOf(o), e.point);
        // The captures draw the room, the floor and the pedestals through their twins.
        const auto twin = std::find_if(std::begin(captureTwins), std::end(captureTwins),
                                       [&](const CaptureTwin& pair) { return pair.model == e.model; });
        EXPECT_EQ(o.captureModel, twin == std::end(captureTwins) ? nullptr : models[twin->twin]);
    }
    const EngineObject& teapot = *hall.reflectingObjects.at(28);
    const EngineObject& lens = *hall.reflectingObjects.at(29);
    EXPECT_EQ(*teapot.position, glm::vec3(0, 520, 0));
    EXPECT_EQ(*lens.position, glm::vec3(620, 620, -620));
    EXPECT_EQ(teapot.texture->key, 0);
    EXPECT_EQ(teapot.shading.refraction, 0.0f);
    EXPECT_EQ(lens.shading.refraction, 0.666f);
    for (auto& [id, object] : hall.sceneObjects)
        EXPECT_EQ(object->shading.refraction, 0.0f) << "only the lens refracts";
}

TEST_F(HallLayout, TheTwoLampMaterialsAreSeparateAndGlow)
{
    EXPECT_NE(hall.lamps[0]->material, hall.lamps[1]->material);
    EXPECT_EQ(hall.lamps[0]->material->ambientColor, glm::vec4(10.0f));
    EXPECT_GT(hall.lamps[0]->material->specularExponent, 0.0f);
    EXPECT_EQ(hall.lights[1]->position, glm::vec4(0, 1800, 0, 1));
}

TEST_F(HallLayout, LightZeroCirclesAndPulsesWithLampZeroOnIt)
{
    moveLights(hall, 0.0);
    EXPECT_EQ(hall.lights[0]->position, glm::vec4(1500, 1200, 0, 1));
    EXPECT_EQ(hall.lights[0]->ambientColor, glm::vec4(0.05f, 0.1f, 0.1f, 1));
    EXPECT_EQ(hall.lights[0]->diffuseColor, glm::vec4(0.2f, 0.2f, 0.2f, 1));
    EXPECT_EQ(hall.lights[0]->specularColor, glm::vec4(1, 1, 1, 1));
    EXPECT_EQ(hall.lamps[0]->material->ambientColor, glm::vec4(10, 6, 6, 1));
    expectVec3Near(*hall.lamps[0]->position, glm::vec3(1500, 1200, 0));

    moveLights(hall, M_PI);
    EXPECT_NEAR(hall.lights[0]->ambientColor.g, 0.0f, 1e-6f);
    EXPECT_NEAR(hall.lights[0]->diffuseColor.b, 0.0f, 1e-6f);
    EXPECT_NEAR(hall.lights[0]->specularColor.g, 0.0f, 1e-6f);
    EXPECT_EQ(hall.lights[0]->specularColor.r, 1.0f);
    EXPECT_NEAR(hall.lamps[0]->material->ambientColor.g, 2.0f, 1e-5f);

    moveLights(hall, 5.0 * M_PI);
    expectVec3Near(glm::vec3(hall.lights[0]->position), glm::vec3(0, 1200, 1500), 1e-3f);
    expectVec3Near(*hall.lamps[0]->position, glm::vec3(0, 1200, 1500), 1e-3f);
    expectVec3Near(translationOf(*hall.lamps[0]), glm::vec3(0, 1200, 1500), 1e-2f);
    EXPECT_EQ(hall.lamps[1]->material->ambientColor, glm::vec4(10.0f)) << "lamp 1 never changes";

    // The circle and the pulse are the light's row's: another row moves it otherwise.
    HallDescription description = builtInHall();
    CircleAndPulseMotion& circle = description.lights[0].circle;
    circle.radius = 600.0;
    circle.height = 900.0f;
    circle.counterClockwise = true;
    circle.pulsePhase = 0.5 * M_PI;
    circle.glowFrom = glm::vec4(1.0f);
    Hall other;
    buildHall(other, description, defaultAssets(), {});
    moveLights(other, 5.0 * M_PI);
    expectVec3Near(glm::vec3(other.lights[0]->position), glm::vec3(0, 900, -600), 1e-3f);
    EXPECT_NEAR(other.lights[0]->specularColor.g, 1.0f, 1e-6f) << "a quarter turn of phase: white at 5 pi";
    EXPECT_NEAR(other.lamps[0]->material->ambientColor.r, 1.0f, 1e-6f);
}

TEST_F(HallLayout, HalfASecondTurnsEveryExhibitFiveDegreesAndLeavesTheArchitecture)
{
    std::map<int, glm::mat4> before;
    for (auto& [id, object] : hall.sceneObjects)
        before[id] = object->modelMatrix;
    for (auto& [id, object] : hall.reflectingObjects)
        before[id] = object->modelMatrix;
    spinExhibits(hall, 0.5);
    for (auto& [id, object] : hall.sceneObjects) {
        if (id < 15) {
            EXPECT_EQ(object->modelMatrix, before[id]) << "architecture " << id;
        } else {
            const glm::mat4 expected = glm::rotate(before[id], glm::radians(5.0f), glm::vec3(0, 1, 0));
            for (int c = 0; c < 4; ++c)
                for (int r = 0; r < 4; ++r)
                    EXPECT_NEAR(object->modelMatrix[c][r], expected[c][r], 1e-3f) << "exhibit " << id;
        }
    }
    for (auto& [id, object] : hall.reflectingObjects)
        EXPECT_NE(object->modelMatrix, before[id]) << "reflecting objects turn too";
}

TEST_F(HallLayout, TheThreeToriSpinAboutWorldYXAndZ)
{
    const glm::vec3 worldAxes[3] = {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}};
    for (int i = 0; i < 3; ++i) {
        const EngineObject& torus = *hall.sceneObjects.at(24 + i);
        const glm::vec3 spinAxis = glm::normalize(glm::vec3(torus.modelMatrix * glm::vec4(0, 1, 0, 0)));
        EXPECT_NEAR(std::abs(glm::dot(spinAxis, worldAxes[i])), 1.0f, 1e-5f) << "torus " << 24 + i;
    }
}

// Another exhibit is one more row of the table: it is registered after the others and
// turns with them, while the architecture stands still.
TEST_F(HallLayout, AFourteenthExhibitIsOneRowAndTurnsWithTheOthers)
{
    HallDescription description = builtInHall();
    description.objects.push_back({ObjectRole::Exhibit, 4, 9, 10, 11, 0, glm::vec3(0.5f), {300, 600, 300}});
    Hall wider;
    buildHall(wider, description, defaultAssets(), {});
    ASSERT_EQ(wider.sceneObjects.size(), hall.sceneObjects.size() + 1);
    EngineObject& added = *wider.sceneObjects.rbegin()->second;
    EXPECT_EQ(added.role, ObjectRole::Exhibit);
    EXPECT_EQ(added.normalMap->key, 10);
    const glm::mat4 before = added.modelMatrix;
    const glm::mat4 room = wider.sceneObjects.begin()->second->modelMatrix;
    spinExhibits(wider, 0.5);
    EXPECT_NE(added.modelMatrix, before);
    EXPECT_EQ(wider.sceneObjects.begin()->second->modelMatrix, room);
    expectVec3Near(translationOf(added), glm::vec3(300, 600, 300));
}

namespace {

// A lopsided model whose origin is not at its middle, so a wrong lowest point shows.
const std::vector<glm::vec4> lopsided = {{-10, 20, -10, 1}, {30, 50, 0, 1}, {0, -40, 20, 1}, {10, 10, 10, 1},
                                         {-20, 5, 30, 1}};
constexpr short lopsidedKey = 51;

// The pedestal model's own vertices: a box 220 wide and 520 high standing on its origin.
std::vector<glm::vec4> pedestalBox()
{
    std::vector<glm::vec4> corners;
    for (float x : {-110.0f, 110.0f})
        for (float y : {0.0f, 520.0f})
            for (float z : {-110.0f, 110.0f})
                corners.emplace_back(x, y, z, 1.0f);
    return corners;
}

// A hall of exhibits of the lopsided model, one material, one still light.
HallDescription plainHall()
{
    HallDescription description;
    description.materials = {{glm::vec4(1.0f), glm::vec4(1.0f), glm::vec4(1.0f), 16.0f}};
    description.lights = {{glm::vec4(0, 800, 0, 1), glm::vec4(1, 0, 5e-7f, 0), glm::vec4(0.1f), glm::vec4(0.3f),
                           glm::vec4(1.0f)}};
    return description;
}

ObjectRow standing(glm::vec3 floorPoint, int pedestal, int exhibit)
{
    ObjectRow row{ObjectRole::Exhibit, lopsidedKey, 5, 0, 0, 0, glm::vec3(1.0f), floorPoint};
    row.stands = true;
    row.pedestal = pedestal;
    row.exhibit = exhibit;
    return row;
}

class PlacedHall : public HallLayout {
protected:
    void SetUp() override
    {
        HallLayout::SetUp();
        models[lopsidedKey] = new ModelData();
        models[lopsidedKey]->positions = lopsided;
        models[3]->positions = pedestalBox();
    }
    void TearDown() override
    {
        delete models[lopsidedKey];
        models.erase(lopsidedKey);
        models[3]->positions.clear();
    }
};

} // namespace

// Whatever its pedestal, height, scale and tilt, an exhibit rests with its lowest point on
// its pedestal's top (or the floor), and its own spin turns it about the vertical through
// it, which keeps it resting there.
TEST_F(PlacedHall, AnExhibitRestsOnItsPedestalAndSpinsAboutTheVertical)
{
    struct Case {
        const char* name;
        int pedestal;  // 0: a box of `size`, 1: the pedestal model scaled by `size`, -1: none
        glm::vec3 size;
        glm::vec3 axis;
        float degrees, height, scale, spin, top;
    };
    const Case cases[] = {
        {"upright on a box", 0, {100, 110, 100}, {0, 1, 0}, 30, 120, 1, 10, 110},
        {"tilted on the pedestal model", 1, {1, 0.5f, 1}, {1, 0, 0}, 30, 0, 2, -20, 260},
        {"tilted obliquely on a box", 0, {300, 80, 200}, glm::normalize(glm::vec3(1, 1, 0)), 45, 80, 1.5f, 45, 80},
        {"on the floor", -1, {}, {0, 0, 1}, 60, 0, 3, 90, 0},
    };
    const glm::vec3 floorPoint(300, 0, -200);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HallDescription description = plainHall();
        if (c.pedestal >= 0) {
            ObjectRow pedestal{ObjectRole::Architecture, 3, 5, 0, 0, 0, c.size, floorPoint};
            pedestal.box = c.pedestal == 0;
            description.objects.push_back(pedestal);
        }
        ObjectRow row = standing(floorPoint, c.pedestal >= 0 ? 0 : -1, 0);
        row.turnAxis = c.axis;
        row.turnDegrees = c.degrees;
        row.height = c.height;
        row.scale = glm::vec3(c.scale);
        row.spin = c.spin;
        description.objects.push_back(row);
        Hall placed;
        buildHall(placed, description, defaultAssets(), {});
        EngineObject& exhibit = *placed.sceneObjects.rbegin()->second;
        if (c.pedestal >= 0) {
            const Extent pedestal = extentOf(placed.sceneObjects.begin()->second->model,
                                             placed.sceneObjects.begin()->second->modelMatrix);
            EXPECT_NEAR(pedestal.high.y, c.top, 1e-3f);
            EXPECT_NEAR(pedestal.low.y, 0.0f, 1e-3f);
            if (c.pedestal == 0)
                expectVec3Near(pedestal.high - pedestal.low, c.size, 1e-3f);
        }
        const Extent before = extentOf(exhibit.model, exhibit.modelMatrix);
        EXPECT_NEAR(before.low.y, c.top, 1e-3f) << "its lowest point on the top";
        if (c.height > 0.0f) {
            EXPECT_NEAR(before.high.y - before.low.y, c.height * c.scale, 1e-3f);
        }
        const glm::mat4 start = exhibit.modelMatrix;
        spinExhibits(placed, 1.5);
        const glm::mat3 turn(glm::rotate(glm::mat4(1.0f), glm::radians(1.5f * c.spin), glm::vec3(0, 1, 0)));
        const glm::mat3 expected = turn * glm::mat3(start);
        for (int col = 0; col < 3; ++col)
            expectVec3Near(glm::mat3(exhibit.modelMatrix)[col], expected[col], 1e-3f);
        expectVec3Near(glm::vec3(exhibit.modelMatrix[3]), glm::vec3(start[3]), 1e-4f);
        EXPECT_NEAR(extentOf(exhibit.model, exhibit.modelMatrix).low.y, c.top, 1e-3f) << "still resting";
    }
}

// Stood by its footprint, the lopsided exhibit's box is centred over its floor point and
// it spins about the vertical there, so its footprint stays over the pedestal; by its
// origin, the origin is over the point, as before.
TEST_F(PlacedHall, AnExhibitStandsCentredOnItsFootprintAndSpinsAboutIt)
{
    struct Case {
        const char* name;
        bool footprint;
        glm::vec3 axis;
        float degrees, spin;
    };
    const Case cases[] = {
        {"footprint, upright", true, {0, 1, 0}, 0, 30},
        {"footprint, model z up", true, {1, 0, 0}, -90, 25},
        {"footprint, turned, at the hall's rate", true, {0, 1, 0}, 40, -1},
        {"origin", false, {0, 1, 0}, 0, 30},
    };
    const glm::vec3 floorPoint(300, 0, -200);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HallDescription description = plainHall();
        description.spinDegreesPerSecond = 20.0f;
        ObjectRow pedestal{ObjectRole::Architecture, 3, 5, 0, 0, 0, glm::vec3(100, 110, 100), floorPoint};
        pedestal.box = true;
        description.objects.push_back(pedestal);
        ObjectRow row = standing(floorPoint, 0, 0);
        row.footprint = c.footprint;
        row.turnAxis = c.axis;
        row.turnDegrees = c.degrees;
        row.scale = glm::vec3(2.0f);
        if (c.spin >= 0.0f)
            row.spin = c.spin;
        description.objects.push_back(row);
        Hall placed;
        buildHall(placed, description, defaultAssets(), {});
        EngineObject& exhibit = *placed.sceneObjects.rbegin()->second;
        const Extent box = extentOf(exhibit.model, exhibit.modelMatrix);
        EXPECT_NEAR(box.low.y, 110.0f, 1e-3f) << "its lowest point on the pedestal";
        const glm::vec2 centre(0.5f * (box.low.x + box.high.x), 0.5f * (box.low.z + box.high.z));
        const glm::vec2 origin(exhibit.modelMatrix[3].x, exhibit.modelMatrix[3].z);
        const glm::vec2 over = c.footprint ? centre : origin;
        EXPECT_NEAR(glm::distance(over, glm::vec2(floorPoint.x, floorPoint.z)), 0.0f, 1e-3f);
        if (c.footprint) {
            EXPECT_GT(glm::distance(origin, over), 1.0f) << "the lopsided origin is off its centre";
        }
        // Every point of the vertical through the floor point keeps its place as it spins.
        const glm::vec4 onAxis(floorPoint.x, 300.0f, floorPoint.z, 1.0f);
        const glm::vec4 own = glm::inverse(exhibit.modelMatrix) * onAxis;
        for (int second = 0; second < 3; ++second)
            spinExhibits(placed, 1.5);
        expectVec3Near(glm::vec3(exhibit.modelMatrix * own), glm::vec3(onAxis), 1e-2f);
        EXPECT_NEAR(extentOf(exhibit.model, exhibit.modelMatrix).low.y, 110.0f, 1e-3f) << "still resting";
    }
}

// Files as curators bring them (Debian's assimp-testmodels): a Z-up STL figure stands
// upright on its feet with "up": "z", and a CAD export whose origin lies 36 units off its
// middle stands with its footprint centred over its position.
TEST(ThirdPartyModels, AZUpFigureStandsUprightAndAnOffCentreOneStandsCentred)
{
    const std::string folder = "/usr/share/assimp/models/STL";
    if (!std::filesystem::exists(folder + "/Wuson.stl") || !std::filesystem::exists(folder + "/3DSMaxExport.STL"))
        GTEST_SKIP() << "needs the package assimp-testmodels (tools/setup.sh installs it)";
    const Exhibition read = readExhibitionText(R"({"format": "pinakora-exhibition/1",
      "room": {"size": [3000, 900, 2400]}, "lights": [{"position": [0, 800, 0]}],
      "exhibits": [{"model": "Wuson.stl", "position": [100, 0, -50], "height": 300, "up": "z"},
                   {"model": "3DSMaxExport.STL", "position": [-200, 0, 300]}]})",
                                               "exhibition.json", folder);
    ASSERT_EQ(read.error, "");
    ASSERT_EQ(read.modelFiles.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(read.modelFiles[i].file);
        ModelData model;
        std::string problem;
        ASSERT_EQ(importModelFile(folder + "/" + read.modelFiles[i].file, folder, true, true, model, problem),
                  ModelImport::Loaded)
            << problem;
        const ObjectRow& described = read.hall.objects[i];
        const Extent placed = extentOf(&model, placedMatrix(plainRow(described, &model, 0.0f)));
        const glm::vec3 size = placed.high - placed.low;
        EXPECT_NEAR(placed.low.y, 0.0f, 1e-2f) << "on the floor";
        EXPECT_NEAR(0.5f * (placed.low.x + placed.high.x), described.point.x, 1e-2f);
        EXPECT_NEAR(0.5f * (placed.low.z + placed.high.z), described.point.z, 1e-2f);
        if (i == 0) {
            EXPECT_NEAR(size.y, 300.0f, 1e-2f);
            EXPECT_GT(size.y, 2.0f * std::max(size.x, size.z)) << "upright, not lying on its side";
        } else {
            const Extent own = extentOf(&model, glm::mat4(1.0f));
            EXPECT_GT(glm::length(glm::vec2(own.low.x + own.high.x, own.low.z + own.high.z)), 20.0f)
                << "its origin lies off its middle";
        }
    }
}

// An orbiting light circles its position counter-clockwise seen from above (from +x
// towards -z), its lamp on it, while its colours pulse towards red and back.
TEST_F(PlacedHall, AnOrbitingLightCirclesAndPulsesWithItsLamp)
{
    HallDescription description = plainHall();
    LightRow& light = description.lights[0];
    light.position = glm::vec4(900, 600, 400, 1);
    light.orbitRadius = 500.0f;
    light.orbitSeconds = 20.0f;
    light.pulseColor = glm::vec3(1, 0, 0);
    light.pulseSeconds = 4.0f;
    description.materials.push_back({glm::vec4(10.0f), glm::vec4(0.0f), glm::vec4(0.0f), 1.0f});
    ObjectRow lamp{ObjectRole::Lamp, 1, 5, 99, 5, 1, glm::vec3(0.5f), glm::vec3(light.position)};
    lamp.light = 0;
    description.objects.push_back(lamp);
    Hall placed;
    buildHall(placed, description, defaultAssets(), {});
    struct When {
        double t;
        glm::vec3 at;
        float redness;  // 0: the light's own colours, 1: all red
    };
    const float c = static_cast<float>(500 * std::cos(0.2 * M_PI)), s = static_cast<float>(500 * std::sin(0.2 * M_PI));
    const When table[] = {{0, {1400, 600, 400}, 0},       {5, {900, 600, -100}, 0.5f}, {10, {400, 600, 400}, 1},
                          {15, {900, 600, 900}, 0.5f},    {22, {900 + c, 600, 400 - s}, 1}};
    for (const When& w : table) {
        SCOPED_TRACE("t = " + std::to_string(w.t));
        moveLights(placed, w.t);
        expectVec3Near(glm::vec3(placed.lights[0]->position), w.at, 1e-2f);
        expectVec3Near(*placed.lamps[0]->position, w.at, 1e-2f);
        expectVec3Near(translationOf(*placed.lamps[0]), w.at, 1e-2f);
        const glm::vec3 diffuse = glm::mix(glm::vec3(0.3f), glm::vec3(0.3f, 0, 0), w.redness);
        expectVec3Near(glm::vec3(placed.lights[0]->diffuseColor), diffuse, 1e-5f);
        expectVec3Near(glm::vec3(placed.lamps[0]->material->ambientColor),
                       glm::mix(glm::vec3(10.0f), glm::vec3(10, 0, 0), w.redness), 1e-4f);
    }
}

// Without a tour of its own, a hall is toured from the entrance and then exhibit by
// exhibit, each seen from the room's middle filling about two thirds of the picture.
TEST_F(PlacedHall, AMadeUpTourVisitsEachExhibit)
{
    HallDescription description = plainHall();
    description.roomSize = glm::vec3(3000, 900, 2400);
    const glm::vec3 points[] = {{-1000, 0, -800}, {900, 0, 500}, {-900, 0, 700}};
    for (int e = 0; e < 3; ++e)
        description.objects.push_back(standing(points[e], -1, e));
    std::vector<glm::vec4> unitBox;
    for (float x : {-1.0f, 1.0f})
        for (float y : {0.0f, 1.0f})
            for (float z : {-1.0f, 1.0f})
                unitBox.emplace_back(x, y, z, 1.0f);
    models[2]->positions = unitBox;
    Hall placed;
    buildHall(placed, description, defaultAssets(), {});
    models[2]->positions.clear();
    expectVec3Near(placed.roomExtent.low, glm::vec3(-1500, 0, -1200));
    expectVec3Near(placed.roomExtent.high, glm::vec3(1500, 900, 1200));

    ASSERT_TRUE(tourNeedsHall(description.tour));
    Tour tour;
    tour.script = placedTour(description.tour, placed);
    EXPECT_FALSE(tourNeedsHall(tour.script));
    Camera camera;
    startTour(tour, 0.0);
    std::vector<double> seenAt(3, -1.0);
    for (double t = 0.0; t < 60.0; t += 0.25) {
        updateTour(tour, camera, t, 0.25);
        for (size_t e = 0; e < 3; ++e) {
            const glm::vec4 sphere = placed.exhibitSpheres[e];
            if (seenAt[e] >= 0.0 || glm::distance(camera.target, glm::vec3(sphere)) > 1e-3f)
                continue;
            seenAt[e] = t;
            const float halfAngle = glm::degrees(std::asin(sphere.w / glm::distance(camera.eye, camera.target)));
            EXPECT_NEAR(halfAngle, 40.0f / 3.0f, 0.5f) << "exhibit " << e << " fills two thirds of the picture";
            const glm::vec2 out(sphere.x, sphere.z), eye(camera.eye.x, camera.eye.z);
            EXPECT_LT(glm::length(eye), glm::length(out) + 1e-3f) << "seen from the side towards the middle";
            EXPECT_TRUE(glm::all(glm::lessThanEqual(glm::abs(camera.eye), glm::vec3(1500, 900, 1200))));
        }
    }
    EXPECT_GT(seenAt[0], 0.0);
    EXPECT_GT(seenAt[1], seenAt[0]) << "in turn";
    EXPECT_GT(seenAt[2], seenAt[1]);
    // The loop starts again at the entrance, on the front wall's side.
    updateTour(tour, camera, 2.0 * 4 * 7.0, 0.25);  // two loops of four places, 4 s walking and 3 s at each
    EXPECT_GT(camera.eye.z, 900.0f);
    EXPECT_NEAR(camera.eye.y, 300.0f, 1e-3f) << "a third of the way up";
}

// A caption is any bytes a file gave: each byte that starts or continues no valid sequence
// becomes one U+FFFD, and a sequence cut off by the end is read no further than the end.
TEST(TextLayout, BadUtf8BecomesReplacementCharacters)
{
    const struct {
        const char* name;
        std::string bytes;
        std::u32string expected;
    } cases[] = {
        {"two-byte letter", "caf\xC3\xA9", U"caf\u00E9"},
        {"four-byte", "\xF0\x9F\x8F\x9B", U"\U0001F3DB"},
        {"stray continuation", "a\x80" "b", U"a\uFFFDb"},
        {"cut off at the end", "ab\xE2\x82", U"ab\uFFFD"},
        {"cut off by a letter", "\xE2\x82x", U"\uFFFDx"},
        {"overlong slash", "\xC0\xAF", U"\uFFFD"},
        {"surrogate", "\xED\xA0\x80", U"\uFFFD"},
        {"past U+10FFFF", "\xF4\x90\x80\x80", U"\uFFFD"},
        {"no lead at all", "\xFF", U"\uFFFD"},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(decodeUtf8(c.bytes) == c.expected) << c.name;
}

// Text a file gave, on its way to a console or a page: what could forge a line, drive the
// terminal or turn the text around is shown as bytes; any script's letters pass.
TEST(TextLayout, FileTextReachesTheConsoleAsPrintableText)
{
    const struct {
        const char* name;
        std::string text, shown;
    } cases[] = {
        {"plain path", "res/models/teapot.obj", "res/models/teapot.obj"},
        {"forged line", "a.obj\nModel file /etc/shadow loaded fine", "a.obj\\x0aModel file /etc/shadow loaded fine"},
        {"carriage return and tab", "a\rb\tc", "a\\x0db\\x09c"},
        {"clear screen", "\x1b[2J\x1b[H", "\\x1b[2J\\x1b[H"},
        {"terminal title", "\x1b]0;owned\x07", "\\x1b]0;owned\\x07"},
        {"nul and DEL", std::string("a\0b\x7f", 4), "a\\x00b\\x7f"},
        {"C1 control as UTF-8", "\xc2\x9b" "2J", "\\xc2\\x9b2J"},
        {"right-to-left override", "abc\xe2\x80\xaetxt.exe", "abc\\xe2\\x80\\xaetxt.exe"},
        {"isolate and mark", "\xe2\x81\xa6x\xe2\x80\x8f\xd8\x9c", "\\xe2\\x81\\xa6x\\xe2\\x80\\x8f\\xd8\\x9c"},
        {"lone C1 byte", "a\x9b" "b", "a\\x9bb"},
        {"cut-off sequence", "ab\xe2\x82", "ab\\xe2\\x82"},
        {"overlong slash", "\xc0\xaf", "\\xc0\\xaf"},
        {"surrogate", "\xed\xa0\x80", "\\xed\\xa0\\x80"},
        {"Greek, CJK and emoji", "\xce\x91\xce\xb8\xce\xae\xce\xbd\xce\xb1 \xe6\x9d\xb1\xe4\xba\xac \xf0\x9f\x8f\x9b",
         "\xce\x91\xce\xb8\xce\xae\xce\xbd\xce\xb1 \xe6\x9d\xb1\xe4\xba\xac \xf0\x9f\x8f\x9b"},
        {"backslash and accents", "C:\\caf\xc3\xa9", "C:\\caf\xc3\xa9"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(printableText(c.text), c.shown) << c.name;
}

// Tags meeting on the screen: the farther one goes above the nearer; with no room above it
// is left out; one past the edge comes back onto the screen.
TEST(LabelLayout, TagsNeverOverlapNorLeaveTheScreen)
{
    const glm::vec2 size(100, 20);
    std::vector<LabelBox> placed = placeLabels(
        {{1, {200, 100}, size, 900.0f}, {0, {210, 105}, size, 500.0f}, {2, {-30, 300}, size, 700.0f},
         {3, {205, 128}, size, 950.0f}},
        400, 150);
    ASSERT_EQ(placed.size(), 3u);
    EXPECT_EQ(placed[0].exhibit, 0);
    EXPECT_EQ(placed[0].at, glm::vec2(160, 105));
    EXPECT_EQ(placed[1].exhibit, 2);
    EXPECT_EQ(placed[1].at, glm::vec2(0, 130)) << "kept on the screen";
    EXPECT_EQ(placed[2].exhibit, 1);
    EXPECT_EQ(placed[2].at, glm::vec2(150, 126)) << "moved above the nearer tag";
    // Exhibit 3 meets tag 1, and above it would leave the screen.
}

