#pragma once
// Where a described object goes once its model's vertices are known, without GL: a height
// turned into a scale, a box pedestal made of the pedestal model, an object stood with its
// lowest point on what is below it, and a room of a given size made of the room and floor
// models; extents of placed models for the tour's views.
#include "scene/hallTable.h"

#include <glm/glm.hpp>
#include <vector>

struct ModelData;

// The smallest box around a model's vertices under `transform`; a model without vertices
// is the point its origin goes to.
struct Extent {
    glm::vec3 low{0.0f};
    glm::vec3 high{0.0f};
};
Extent extentOf(const ModelData* model, const glm::mat4& transform);

// The built-in models a box pedestal and a room of a given size are made of.
constexpr short pedestalModelKey = 3;
constexpr short roomModelKey = 2;
constexpr short floorModelKey = 9;

// `row` with its height, box and standing turned into a plain scale and point; `model` is
// its model (the pedestal model for a box) and `groundY` the height it stands on. A row
// standing by its footprint gets the point that puts its footprint's centre over the
// floor point, and spins about the vertical there.
ObjectRow plainRow(ObjectRow row, const ModelData* model, float groundY);

// Where a plain row's model goes: moved to its point, scaled, turned (as makeObject does).
glm::mat4 placedMatrix(const ObjectRow& plain);

// What shows in place of a row whose model could not be loaded: a box of the pedestal
// model, as high, wide and deep as the row's height (else standInSide), with the white
// picture and `material`, standing where the model would (on `groundY` when it stands),
// still. The row is plain afterwards only once plainRow has made its box.
constexpr float standInSide = 100.0f;
ObjectRow standInRow(ObjectRow row, float groundY, int material);

// The room and floor rows of a room of `size` (floor at y = 0, centred on x = z = 0) from
// the room and floor models' own extents, drawn with the given maps and material.
std::vector<ObjectRow> roomRows(glm::vec3 size, const ModelData* room, const ModelData* floor, const SurfaceMaps& walls,
                                const SurfaceMaps& floorMaps, int material);
