#include "scene/composition.h"

#include "assets/assets.h"
#include "assets/models.h"
#include "assets/textures.h"
#include "scene/exhibitionFiles.h"
#include "scene/hall.h"
#include "scene/hallTable.h"
#include "scene/placement.h"

#include <iostream>
#include <string>

namespace {

// A texture the table names but the loader does not hold would leave a dangling
// record; an unregistered empty one keeps the object drawable (it samples black). The
// line names the object's field in its exhibition.
Texture* textureByKey(Hall& hall, const Assets& assets, unsigned int key, const std::string& user)
{
    if (Texture* texture = findTexture(assets, key))
        return texture;
    std::cerr << user << ": texture " << key << " is missing; drawing without it." << std::endl;
    return &hall.ownTextures.emplace_back(Texture{0, static_cast<int>(key)});
}

ModelData* modelByKey(Hall& hall, const Assets& assets, short key, const std::string& user)
{
    if (ModelData* model = getModel(assets, key))
        return model;
    std::cerr << user << ": model " << key << " is missing; drawing without it." << std::endl;
    return &hall.standInModels.emplace_back();
}

// The plain light grey of the boxes that stand in for models that could not be loaded.
int standInMaterial(Hall& hall, int& index)
{
    if (index < 0) {
        index = static_cast<int>(hall.materials.size());
        const glm::vec4 grey(0.75f, 0.75f, 0.75f, 1.0f);
        hall.materials.push_back(Material{grey, grey, glm::vec4(0.2f, 0.2f, 0.2f, 1.0f), 16.0f});
    }
    return index;
}

Material* materialAt(Hall& hall, int index)
{
    if (index >= 0 && index < static_cast<int>(hall.materials.size()))
        return &hall.materials[static_cast<size_t>(index)];
    std::cerr << "Material " << index << " is missing; drawing with a white one." << std::endl;
    return &hall.materials.emplace_back(Material{glm::vec4(1.0f), glm::vec4(1.0f), glm::vec4(1.0f), 16.0f});
}

// white.jpg: the flat specular map of a model material with a normal map and none of its own.
constexpr unsigned int whiteTextureKey = 5;

// The parts of an object whose model file has materials: each range with the file's
// material, except what the row's own material names (row.materialGiven); a range
// without a material of the file's takes the object's own.
void makeParts(Hall& hall, const Assets& assets, EngineObject& object, const ObjectRow& row)
{
    const ModelData& model = *object.model;
    const unsigned int given = row.materialGiven;
    const std::string user = objectUser(row);
    std::vector<ObjectPart> ofMaterial(model.materials.size());
    for (size_t i = 0; i < model.materials.size(); ++i) {
        const ModelMaterial& m = model.materials[i];
        Material mixed = *object.material;
        if (!(given & givenAmbient))
            mixed.ambientColor = m.diffuse;
        if (!(given & givenDiffuse))
            mixed.diffuseColor = m.diffuse;
        if (!(given & givenSpecular))
            mixed.specularColor = m.specular;
        if (!(given & givenExponent))
            mixed.specularExponent = m.exponent;
        ObjectPart& part = ofMaterial[i];
        part.material = &hall.materials.emplace_back(mixed);
        part.texture = !(given & givenTexture) && m.textureKey ? textureByKey(hall, assets, m.textureKey, user)
                                                               : object.texture;
        part.normalMap = object.normalMap;
        part.specularMap = object.specularMap;
        if (!(given & givenMaps)) {
            const bool mapped = m.normalMapKey != 0;
            part.normalMap = mapped ? textureByKey(hall, assets, m.normalMapKey, user) : nullptr;
            const unsigned int specularKey = m.specularMapKey ? m.specularMapKey : whiteTextureKey;
            part.specularMap = mapped ? textureByKey(hall, assets, specularKey, user) : nullptr;
        }
    }
    for (const ModelRange& range : model.ranges) {
        ObjectPart part{0, 0, object.material, object.texture, object.normalMap, object.specularMap};
        if (range.material < ofMaterial.size())
            part = ofMaterial[range.material];
        part.first = range.first;
        part.count = range.count;
        object.parts.push_back(part);
    }
}

// `row` is plain: no height, box or standing left to work out.
EngineObject& makeObject(Hall& hall, const Assets& assets, const ObjectRow& row, ModelData* model,
                         unsigned int environmentMap)
{
    const bool reflecting = row.role == ObjectRole::Reflecting;
    const std::string user = objectUser(row);
    Texture* texture = reflecting ? &hall.ownTextures.emplace_back(Texture{environmentMap, 0})
                                  : textureByKey(hall, assets, row.texture, user);
    EngineObject& object = hall.objects.emplace_back(hall.nextObjectId++, model, texture,
                                                     materialAt(hall, row.material), row.shading);
    object.role = row.role;
    if (model)
        object.captureModel = captureTwin(assets, *model);
    if (row.role == ObjectRole::Exhibit || row.role == ObjectRole::Reflecting)
        object.spin = row.spin;
    if (row.normalMap != 0 && row.specularMap != 0) {
        object.normalMap = textureByKey(hall, assets, row.normalMap, user);
        object.specularMap = textureByKey(hall, assets, row.specularMap, user);
    }
    if ((row.role == ObjectRole::Exhibit || row.role == ObjectRole::Architecture) && model &&
        hasModelMaterials(*model))
        makeParts(hall, assets, object, row);
    if (row.scale != glm::vec3(1.0f))
        object.scale(row.scale);
    if (row.point != glm::vec3(0.0f))
        object.translate(row.point);
    if (row.turnDegrees != 0.0f)
        object.rotate(row.turnDegrees, row.turnAxis);
    if (row.spinAxisAt)
        object.spinCentre = glm::vec3(glm::inverse(object.modelMatrix) * glm::vec4(*row.spinAxisAt, 1.0f));
    return object;
}

void registerObject(Hall& hall, EngineObject& object, const ObjectRow& row)
{
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

// The height the object of row `index` stands on: its pedestal's top, or its own point's.
float groundOf(const HallDescription& description, size_t index, const std::vector<EngineObject*>& byRow)
{
    const ObjectRow& row = description.objects[index];
    if (row.pedestal < 0)
        return row.point.y;
    if (static_cast<size_t>(row.pedestal) >= index) {
        std::cerr << "Object " << index << " stands on object " << row.pedestal
                  << ", which is not made before it; standing it on the floor." << std::endl;
        return row.point.y;
    }
    const EngineObject& pedestal = *byRow[static_cast<size_t>(row.pedestal)];
    return extentOf(pedestal.model, pedestal.modelMatrix).high.y;
}

void grow(Extent& extent, bool& empty, const Extent& more)
{
    extent.low = empty ? more.low : glm::min(extent.low, more.low);
    extent.high = empty ? more.high : glm::max(extent.high, more.high);
    empty = false;
}

// The exhibits' bounding spheres and the room's box, as the tour's views need them.
// `exhibitOfObject` runs from the hall's object `first` on.
void measureHall(Hall& hall, size_t first, const std::vector<int>& exhibitOfObject)
{
    std::vector<Extent> exhibits;
    std::vector<bool> emptyExhibit;
    Extent room, everything;
    bool emptyRoom = true, emptyEverything = true;
    for (size_t i = first; i < hall.objects.size(); ++i) {
        const EngineObject& object = hall.objects[i];
        const int exhibit = exhibitOfObject[i - first];
        if (object.role == ObjectRole::Lamp)
            continue;
        const Extent extent = extentOf(object.model, object.modelMatrix);
        grow(everything, emptyEverything, extent);
        if (object.role == ObjectRole::Architecture) {
            grow(room, emptyRoom, extent);
        } else if (exhibit >= 0) {
            if (static_cast<size_t>(exhibit) >= exhibits.size()) {
                exhibits.resize(static_cast<size_t>(exhibit) + 1);
                emptyExhibit.resize(static_cast<size_t>(exhibit) + 1, true);
            }
            bool empty = emptyExhibit[static_cast<size_t>(exhibit)];
            grow(exhibits[static_cast<size_t>(exhibit)], empty, extent);
            emptyExhibit[static_cast<size_t>(exhibit)] = empty;
        }
    }
    hall.roomExtent = emptyRoom ? everything : room;
    for (size_t e = 0; e < exhibits.size(); ++e) {
        const Extent& extent = exhibits[e];
        const float radius = emptyExhibit[e] ? 0.0f : 0.5f * glm::length(extent.high - extent.low);
        hall.exhibitSpheres.emplace_back(0.5f * (extent.low + extent.high), radius);
    }
}

} // namespace

void buildHall(Hall& hall, const HallDescription& description, const Assets& assets,
               const std::vector<unsigned int>& environmentMaps)
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

    const size_t firstObject = hall.objects.size();
    std::vector<int> exhibitOfObject;  // by creation order
    if (glm::all(glm::greaterThan(description.roomSize, glm::vec3(0.0f)))) {
        const int white = static_cast<int>(hall.materials.size());
        hall.materials.push_back(Material{glm::vec4(1.0f), glm::vec4(1.0f), glm::vec4(1.0f), 16.0f});
        for (const ObjectRow& row : roomRows(description.roomSize, getModel(assets, roomModelKey),
                                             getModel(assets, floorModelKey),
                                             description.walls, description.floor, white)) {
            registerObject(hall, makeObject(hall, assets, row, modelByKey(hall, assets, row.model, "room"), 0), row);
            exhibitOfObject.push_back(-1);
        }
    }

    size_t reflecting = 0;
    int greyMaterial = -1;
    std::vector<EngineObject*> byRow;
    for (size_t i = 0; i < description.objects.size(); ++i) {
        ObjectRow row = description.objects[i];
        if (row.box)
            row.model = pedestalModelKey;
        ModelData* model = modelByKey(hall, assets, row.model, objectUser(row));
        // An exhibit whose own model file could not be loaded (its line printed then) still
        // shows where it stands.
        if (model->positions.empty() && row.model >= firstModelKey && row.exhibit >= 0 &&
            row.role != ObjectRole::Lamp && !row.box) {
            row = standInRow(row, row.stands ? groundOf(description, i, byRow) : 0.0f,
                             standInMaterial(hall, greyMaterial));
            model = modelByKey(hall, assets, row.model, objectUser(row));
        }
        if (row.box || row.height > 0.0f || row.stands)
            row = plainRow(row, model, row.stands ? groundOf(description, i, byRow) : 0.0f);
        unsigned int environmentMap = 0;
        if (row.role == ObjectRole::Reflecting && reflecting < environmentMaps.size())
            environmentMap = environmentMaps[reflecting++];
        EngineObject& object = makeObject(hall, assets, row, model, environmentMap);
        registerObject(hall, object, row);
        byRow.push_back(&object);
        exhibitOfObject.push_back(row.exhibit);
    }

    hall.lightRows = description.lights;
    for (EngineObject* lamp : hall.lampOfLight)
        hall.lampGlows.push_back(lamp ? lamp->material->ambientColor : glm::vec4(0.0f));
    measureHall(hall, firstObject, exhibitOfObject);
    for (const Caption& caption : description.captions)
        hall.exhibitTitles.push_back(caption.title);
}
