#pragma once
// The fixed layout of the hall: six materials, the room, the floor, thirteen pedestals
// with their exhibits, the mirror teapot and the glass lens, two lights and their lamps.

void buildScene();
