#include "scene/composition.h"

#include "scene/hall.h"
#include "scene/hallTable.h"

#include <iostream>

namespace {

// A texture the table names but the loader does not hold would leave a dangling
// record; an unregistered empty one keeps the object drawable (it samples black).
Texture* textureByKey(Hall& hall, unsigned int key)
{
    if (Texture* texture = findTexture(key))
        return texture;
    std::cerr << "Texture " << key << " is missing; drawing without it." << std::endl;
    return &hall.ownTextures.emplace_back(Texture{0, static_cast<int>(key)});
}

ModelData* modelByKey(Hall& hall, short key)
{
    if (ModelData* model = getModel(key))
        return model;
    std::cerr << "Model " << key << " is missing; drawing without it." << std::endl;
    return &hall.standInModels.emplace_back();
}

Material* materialAt(Hall& hall, int index)
{
    if (index >= 0 && index < static_cast<int>(hall.materials.size()))
        return &hall.materials[static_cast<size_t>(index)];
    std::cerr << "Material " << index << " is missing; drawing with a white one." << std::endl;
    return &hall.materials.emplace_back(Material{glm::vec4(1.0f), glm::vec4(1.0f), glm::vec4(1.0f), 16.0f});
}

EngineObject& makeObject(Hall& hall, const ObjectRow& row, unsigned int environmentMap)
{
    const bool reflecting = row.role == ObjectRole::Reflecting;
    Texture* texture = reflecting ? &hall.ownTextures.emplace_back(Texture{environmentMap, 0})
                                  : textureByKey(hall, row.texture);
    EngineObject& object = hall.objects.emplace_back(hall.nextObjectId++, modelByKey(hall, row.model), texture,
                                                     materialAt(hall, row.material), row.refraction);
    object.role = row.role;
    if (row.normalMap != 0 && row.specularMap != 0) {
        object.normalMap = textureByKey(hall, row.normalMap);
        object.specularMap = textureByKey(hall, row.specularMap);
    }
    if (row.scale != glm::vec3(1.0f))
        object.scale(row.scale);
    if (row.point != glm::vec3(0.0f))
        object.translate(row.point);
    if (row.turnDegrees != 0.0f)
        object.rotate(row.turnDegrees, row.turnAxis);
    return object;
}

} // namespace

void buildHall(Hall& hall, const HallDescription& description, const std::vector<unsigned int>& environmentMaps)
{
    for (const MaterialRow& row : description.materials)
        hall.materials.push_back(Material{row.ambient, row.diffuse, row.specular, row.exponent});
    for (const LightRow& row : description.lights) {
        hall.lights.push_back(
            &hall.lightRecords.emplace_back(Light{row.position, row.attenuation, row.ambient, row.diffuse, row.specular}));
        hall.lightMotions.push_back(row.motion);
    }
    hall.lampOfLight.assign(hall.lights.size(), nullptr);
    hall.spinDegreesPerSecond = description.spinDegreesPerSecond;

    size_t reflecting = 0;
    for (const ObjectRow& row : description.objects) {
        unsigned int environmentMap = 0;
        if (row.role == ObjectRole::Reflecting && reflecting < environmentMaps.size())
            environmentMap = environmentMaps[reflecting++];
        EngineObject& object = makeObject(hall, row, environmentMap);
        switch (row.role) {
        case ObjectRole::Architecture:
        case ObjectRole::Exhibit:
            hall.sceneObjects[*object.id] = &object;
            break;
        case ObjectRole::Reflecting:
            hall.reflectingObjects[*object.id] = &object;
            break;
        case ObjectRole::Lamp:
            hall.lamps.push_back(&object);
            if (row.light >= 0 && row.light < static_cast<int>(hall.lampOfLight.size()))
                hall.lampOfLight[static_cast<size_t>(row.light)] = &object;
            break;
        }
    }
}
