// Placement arithmetic of scene objects and the fixed layout they build, without GL:
// models and textures are stand-ins, the layout only needs their addresses and keys.
#include "assets/models.h"
#include "assets/textures.h"
#include "scene/animation.h"
#include "scene/composition.h"
#include "scene/hall.h"
#include "scene/hallTable.h"
#include "scene/sceneObjects.h"

#include <cmath>
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
    EngineObject a(nullptr, nullptr, &material, 0.0f);
    EngineObject b(nullptr, nullptr, &material, 0.0f);
    EngineObject c(nullptr, nullptr, &material, 0.0f);
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
    EngineObject lamp(nullptr, nullptr, &material, 0.0f);
    lamp.scale(0.5f);
    lamp.translate(glm::vec3(1500, 1800, 0));
    EXPECT_EQ(translationOf(lamp), glm::vec3(1500, 1800, 0));
    EXPECT_EQ(glm::mat3(lamp.modelMatrix), glm::mat3(0.5f));
    EXPECT_EQ(*lamp.position, glm::vec3(1500, 1800, 0));
}

TEST(EngineObject, StretchedObjectTranslatesInWorldUnits)
{
    Material material;
    EngineObject plane(nullptr, nullptr, &material, 0.0f);
    plane.scale(glm::vec3(7.5f, 1.0f, 6.5f));
    EXPECT_EQ(glm::vec3(plane.modelMatrix * glm::vec4(1, 1, 1, 1)), glm::vec3(7.5f, 1.0f, 6.5f));
    plane.translate(glm::vec3(7.5f, 0, 0));
    expectVec3Near(translationOf(plane), glm::vec3(7.5f, 0, 0), 1e-5f);
}

TEST(EngineObject, RotateYAfterPlacementTurnsInPlaceAndMapsXOntoMinusZ)
{
    Material material;
    EngineObject o(nullptr, nullptr, &material, 0.0f);
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
        for (const TextureListEntry& entry : textureList)
            TextureLoader::getInstance().textures[entry.key] = new Texture{100u + entry.key, entry.key};
    }
    // A fresh hall for every case, built from the table.
    void SetUp() override { buildHall(hall, builtInHall(), {}); }

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
    }
    const EngineObject& teapot = *hall.reflectingObjects.at(28);
    const EngineObject& lens = *hall.reflectingObjects.at(29);
    EXPECT_EQ(*teapot.position, glm::vec3(0, 520, 0));
    EXPECT_EQ(*lens.position, glm::vec3(620, 620, -620));
    EXPECT_EQ(teapot.texture->key, 0);
    EXPECT_EQ(teapot.refraction, 0.0f);
    EXPECT_EQ(lens.refraction, 0.666f);
    for (auto& [id, object] : hall.sceneObjects)
        EXPECT_EQ(object->refraction, 0.0f) << "only the lens refracts";
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
    buildHall(wider, description, {});
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
