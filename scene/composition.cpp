#include "scene/composition.h"

#include "assets/models.h"
#include "assets/textures.h"
#include "render/renderTargets.h"
#include "scene/sceneObjects.h"

#include <deque>
#include <glm/glm.hpp>
#include <iostream>

namespace {

using glm::vec3;
using glm::vec4;

// Everything the layout makes lives here until the process ends; the registries and
// the objects refer into these (a deque never moves what it holds).
std::deque<EngineObject> objects;
std::deque<Material> materials;
std::deque<Light> lightRecords;
std::deque<Texture> ownTextures;
std::deque<ModelData> standInModels;

// A texture the layout names but the loader does not hold would leave a dangling
// record; an unregistered empty one keeps the object drawable (it samples black).
Texture* textureByKey(unsigned int key)
{
    if (Texture* texture = findTexture(key))
        return texture;
    std::cerr << "Texture " << key << " is missing; drawing without it." << std::endl;
    return &ownTextures.emplace_back(Texture{0, static_cast<int>(key)});
}

ModelData* modelByKey(short key)
{
    if (ModelData* model = getModel(key))
        return model;
    std::cerr << "Model " << key << " is missing; drawing without it." << std::endl;
    return &standInModels.emplace_back();
}

Material* makeMaterial(vec4 ambient, vec4 diffuse, vec4 specular, float exponent)
{
    Material* material = &materials.emplace_back();
    material->ambientColor = ambient;
    material->diffuseColor = diffuse;
    material->specularColor = specular;
    material->specularExponent = exponent;
    return material;
}

Material* variantOf(const Material& base, vec4 color)
{
    Material* material = &materials.emplace_back(base);
    material->ambientColor = color;
    material->diffuseColor = color;
    return material;
}

EngineObject* makeObject(short modelKey, unsigned int textureKey, Material* material)
{
    return &objects.emplace_back(modelByKey(modelKey), textureByKey(textureKey), material, 0.0f);
}

void store(std::map<int, EngineObject*>& registry, EngineObject* object)
{
    registry[*object->id] = object;
}

const vec3 pedestalPoints[13] = {
    {620, 0, 620},     {-620, 0, 620},   {620, 0, -620},   {-620, 0, -620}, {0, 0, 0},
    {-1240, 0, -1240}, {-1240, 0, 1240}, {1240, 0, 1240},  {1240, 0, -1240}, {1240, 0, 0},
    {0, 0, 1240},      {0, 0, -1240},    {-1240, 0, 0},
};

// Exhibits on the pedestals, in creation order (ids 15 to 23 and 27; the tori follow).
struct ExhibitPlacement {
    short model;
    unsigned int texture;
    float scale;  // 1 means not scaled
    vec3 point;
};

} // namespace

void buildScene()
{
    const vec4 one(1, 1, 1, 1);
    Material* white = makeMaterial(one, one, one, 16.0f);
    Material* green = variantOf(*white, vec4(0, 1, 0, 1));
    Material* red = variantOf(*white, vec4(1, 0, 0, 1));
    Material* blue = variantOf(*white, vec4(0, 0, 1, 1));
    Material* mirror = makeMaterial(one, vec4(0.0f), vec4(10.0f), 16.0f);
    Material* glass = makeMaterial(vec4(5.0f), vec4(0.0f), vec4(10.0f), 32.0f);

    EngineObject* room = makeObject(2, 24, white);
    room->scale(vec3(1.1f, 1.0f, 1.3f));
    store(sceneObjects, room);

    EngineObject* plane = makeObject(9, 21, white);
    plane->scale(vec3(7.5f, 1.0f, 6.5f));
    store(sceneObjects, plane);

    for (const vec3& point : pedestalPoints) {
        EngineObject* pedestal = makeObject(3, 15, white);
        pedestal->translate(point);
        store(sceneObjects, pedestal);
    }

    const ExhibitPlacement exhibits[] = {
        {1, 12, 1.0f, {620, 650, 620}},    {1, 6, 1.0f, {-1240, 650, -1240}}, {8, 9, 0.8f, {-1240, 750, 1240}},
        {1, 9, 1.0f, {1240, 650, 1240}},   {1, 18, 1.0f, {1240, 650, -1240}}, {10, 15, 0.5f, {1240, 720, 0}},
        {10, 6, 0.5f, {0, 720, 1240}},     {11, 9, 0.8f, {0, 550, -1240}},    {11, 12, 0.8f, {-1240, 550, 0}},
    };
    for (const ExhibitPlacement& e : exhibits) {
        EngineObject* exhibit = makeObject(e.model, e.texture, white);
        if (e.scale != 1.0f)
            exhibit->scale(e.scale);
        exhibit->translate(e.point);
        store(sceneObjects, exhibit);
    }

    // Three tori around one centre, each given a quarter turn about a different axis so
    // their spins about their own Y axes run about world Y, X and Z.
    const struct {
        Material* material;
        float scale;
        void (EngineObject::*quarterTurn)(float);
    } tori[] = {
        {green, 10.0f, &EngineObject::rotateY},
        {red, 5.0f, &EngineObject::rotateZ},
        {blue, 2.5f, &EngineObject::rotateX},
    };
    for (const auto& t : tori) {
        EngineObject* torus = makeObject(6, 5, t.material);
        torus->scale(t.scale);
        torus->translate(vec3(-620, 640, 620));
        (torus->*t.quarterTurn)(90.0f);
        store(sceneObjects, torus);
    }

    EngineObject* multicube = makeObject(4, 6, white);
    multicube->translate(vec3(-620, 530, -620));
    store(sceneObjects, multicube);

    Texture* teapotMap = &ownTextures.emplace_back(Texture{environmentCubeMaps[0], 0});
    EngineObject* teapot = &objects.emplace_back(modelByKey(5), teapotMap, mirror, 0.0f);
    teapot->scale(10.0f);
    teapot->translate(vec3(0, 520, 0));
    store(reflectingObjects, teapot);

    Texture* lensMap = &ownTextures.emplace_back(Texture{environmentCubeMaps[1], 0});
    EngineObject* lens = &objects.emplace_back(modelByKey(7), lensMap, glass, 0.666f);
    lens->scale(12.0f);
    lens->translate(vec3(620, 620, -620));
    lens->rotateY(90.0f);
    store(reflectingObjects, lens);

    lights[0] = &lightRecords.emplace_back(Light{vec4(2500, 1800, 0, 1), vec4(1, 0, 1e-7f, 0), vec4(0.1f, 0, 0, 1), vec4(0.5f, 0, 0, 1),
                          vec4(1, 0, 0, 1)});
    lights[1] = &lightRecords.emplace_back(Light{vec4(0, 1800, 0, 1), vec4(1, 0, 5e-7f, 0), vec4(0.1f), vec4(0.3f), vec4(1)});

    // The lamps glow by their ambient colour alone; their exponent only has to be valid.
    for (int i = 0; i < 2; ++i) {
        Material* lampMaterial = makeMaterial(vec4(10.0f), vec4(0.0f), vec4(0.0f), 1.0f);
        lamps[i] = makeObject(1, 5, lampMaterial);
        lamps[i]->scale(0.5f);
        lamps[i]->translate(i == 0 ? vec3(1500, 1800, 0) : vec3(0, 1800, 0));
    }
}
