#pragma once
// The hall's pictures. A surface material comes with the height field its normal map
// is derived from and a specular map, so bumps, colour and shine agree.
#include "image.h"

struct SurfaceMaps {
    Image colour;
    Field height;    // 0 = deepest (mortar, cracks), 1 = highest
    Field specular;  // bright where smooth or wet
    float bumpStrength;
    explicit SurfaceMaps(int size) : colour(size), height(size), specular(size), bumpStrength(1.0f) {}
};

// Colour maps on their own.
Image makeShipHull(int size);
Image makePlaster(int size);
Image makeMarble(int size);
Image makeBlueTiles(int size);
Image makeWhite(int size);

// Normal-mapped materials.
SurfaceMaps makeRock(int size);
SurfaceMaps makeBrushedMetal(int size);
SurfaceMaps makeSlabPaving(int size);
SurfaceMaps makeCobbles(int size);
SurfaceMaps makeTreadPlate(int size);
SurfaceMaps makeFloorBricks(int size);
SurfaceMaps makeWallBricks(int size);

// The lamps' normal map: shallow dimples.
Image makeDimples(int size);

// Shared by the brick and tile patterns: position inside a rectangular unit of a
// running bond and the distance (in pixels) to the unit's border.
struct BondSample {
    int column = 0, row = 0;
    glm::vec2 local{0.0f};  // [0, 1) inside the unit
    float edge = 0.0f;      // pixels to the nearest border
};
BondSample runningBond(float u, float v, int across, int rows, float shift, int size);
