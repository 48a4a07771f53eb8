#include "scene/hall.h"

Hall& defaultHall()
{
    static Hall hall;
    return hall;
}

int& nextObjectId = defaultHall().nextObjectId;
std::map<int, EngineObject*>& sceneObjects = defaultHall().sceneObjects;
std::map<int, EngineObject*>& reflectingObjects = defaultHall().reflectingObjects;
std::vector<EngineObject*>& lamps = defaultHall().lamps;
std::vector<Light*>& lights = defaultHall().lights;
