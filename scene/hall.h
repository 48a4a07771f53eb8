#pragma once
// One hall: every material, light and placed object it is made of, owned here, and the
// registries the animation and the passes read. Built from a description (hallTable.h);
// a hall replaced or gone takes all of it along.
#include "assets/models.h"
#include "assets/textures.h"
#include "scene/hallTable.h"
#include "scene/placement.h"
#include "scene/sceneObjects.h"

#include <deque>
#include <map>
#include <vector>

// A hall has 1 to maxLights lights, each with its shadow map, and 0 to maxReflecting
// reflecting objects, each with its environment map.
constexpr int maxLights = 4;
constexpr int maxReflecting = 4;

struct Hall {
    std::deque<Material> materials;
    std::deque<EngineObject> objects;    // everything placed, in creation order
    std::deque<Light> lightRecords;
    std::deque<Texture> ownTextures;     // environment-map records and stand-ins for missing images
    std::deque<ModelData> standInModels; // empty stand-ins for missing models
    // Architecture and exhibits (by id, so in creation order), the reflecting objects, the
    // lights with how each moves, and the lamps in creation order.
    std::map<int, EngineObject*> sceneObjects;
    std::map<int, EngineObject*> reflectingObjects;
    std::vector<Light*> lights;
    std::vector<LightMotion> lightMotions;
    std::vector<EngineObject*> lamps;
    std::vector<EngineObject*> lampOfLight;  // null where a light has no lamp
    float spinDegreesPerSecond = 10.0f;
    int nextObjectId = 0;
    // Each light as described (its orbit's centre, its colours before any pulse) and its
    // lamp's glow, for the lights that orbit or pulse.
    std::vector<LightRow> lightRows;
    std::vector<glm::vec4> lampGlows;
    // Where the tour looks: each exhibit's bounding sphere as built (centre, radius; radius
    // 0 where it has nothing), and the box of the room (its architecture).
    std::vector<glm::vec4> exhibitSpheres;
    Extent roomExtent;
    // The name tag of each exhibit, by exhibit (its caption's title); empty: none.
    std::vector<std::string> exhibitTitles;

    Hall() = default;
    Hall(const Hall&) = delete;
    Hall& operator=(const Hall&) = delete;
    // Moving keeps every object where it is: the registries stay valid.
    Hall(Hall&&) = default;
    Hall& operator=(Hall&&) = default;
};

// The hall the viewer shows and the named registries (sceneObjects ...) refer to.
Hall& defaultHall();
