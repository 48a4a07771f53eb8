#include "scene/placement.h"

#include "assets/modelData.h"

#include <glm/gtc/matrix_transform.hpp>

namespace {

constexpr unsigned int whiteTexture = 5;

glm::mat4 turnOf(const ObjectRow& row)
{
    if (row.turnDegrees == 0.0f)
        return glm::mat4(1.0f);
    return glm::rotate(glm::mat4(1.0f), glm::radians(row.turnDegrees), row.turnAxis);
}

// Per axis, what scales `extent` to `size`; a flat axis keeps its scale.
glm::vec3 scaleTo(const Extent& extent, glm::vec3 size)
{
    const glm::vec3 span = extent.high - extent.low;
    glm::vec3 scale(1.0f);
    for (int axis = 0; axis < 3; ++axis)
        if (span[axis] > 0.0f)
            scale[axis] = size[axis] / span[axis];
    return scale;
}

// The point that puts the middle of the scaled extent's bottom on `floorPoint`.
glm::vec3 bottomCentreOn(const Extent& extent, glm::vec3 scale, glm::vec3 floorPoint)
{
    const glm::vec3 bottom(0.5f * (extent.low.x + extent.high.x), extent.low.y, 0.5f * (extent.low.z + extent.high.z));
    return floorPoint - scale * bottom;
}

ObjectRow surfaceRow(short model, const SurfaceMaps& maps, int material)
{
    return {ObjectRole::Architecture, model, maps.texture ? maps.texture : whiteTexture, maps.normalMap,
            maps.specularMap, material};
}

} // namespace

Extent extentOf(const ModelData* model, const glm::mat4& transform)
{
    if (!model || model->positions.empty()) {
        const glm::vec3 origin(transform[3]);
        return {origin, origin};
    }
    Extent extent{glm::vec3(transform * model->positions.front()), glm::vec3(transform * model->positions.front())};
    for (const glm::vec4& position : model->positions) {
        const glm::vec3 p(transform * position);
        extent.low = glm::min(extent.low, p);
        extent.high = glm::max(extent.high, p);
    }
    return extent;
}

ObjectRow plainRow(ObjectRow row, const ModelData* model, float groundY)
{
    if (row.box) {
        // Placed as makeObject does: world = point + scale * (turn * vertex).
        const Extent native = extentOf(model, glm::mat4(1.0f));
        const glm::vec3 scale = scaleTo(native, row.scale);
        row.scale = scale;
        row.point = bottomCentreOn(native, scale, row.point);
        row.turnDegrees = 0.0f;
        row.box = false;
        return row;
    }
    const glm::mat4 turn = turnOf(row);
    if (row.height > 0.0f) {
        const Extent turned = extentOf(model, turn);
        const float span = turned.high.y - turned.low.y;
        if (span > 0.0f)
            row.scale *= row.height / span;
        row.height = 0.0f;
    }
    if (row.stands) {
        const Extent placed = extentOf(model, glm::scale(glm::mat4(1.0f), row.scale) * turn);
        row.point.y = groundY - placed.low.y;
        const glm::vec2 centre(0.5f * (placed.low.x + placed.high.x), 0.5f * (placed.low.z + placed.high.z));
        if (row.footprint && centre != glm::vec2(0.0f)) {
            row.spinAxisAt = glm::vec3(row.point.x, groundY, row.point.z);
            row.point.x -= centre.x;
            row.point.z -= centre.y;
        }
        row.stands = false;
    }
    return row;
}

glm::mat4 placedMatrix(const ObjectRow& plain)
{
    return glm::translate(glm::mat4(1.0f), plain.point) * glm::scale(glm::mat4(1.0f), plain.scale) * turnOf(plain);
}

ObjectRow standInRow(ObjectRow row, float groundY, int material)
{
    const float side = row.height > 0.0f ? row.height : standInSide;
    if (row.stands)
        row.point.y = groundY;
    if (row.role == ObjectRole::Reflecting)
        row.role = ObjectRole::Exhibit;
    row.model = pedestalModelKey;
    row.texture = whiteTexture;
    row.normalMap = row.specularMap = 0;
    row.material = material;
    row.shading = {};
    row.scale = glm::vec3(side);
    row.height = 0.0f;
    row.box = true;
    row.stands = false;
    row.spin = 0.0f;
    return row;
}

std::vector<ObjectRow> roomRows(glm::vec3 size, const ModelData* room, const ModelData* floor, const SurfaceMaps& walls,
                                const SurfaceMaps& floorMaps, int material)
{
    ObjectRow roomRow = surfaceRow(roomModelKey, walls, material);
    const Extent roomExtent = extentOf(room, glm::mat4(1.0f));
    roomRow.scale = scaleTo(roomExtent, size);
    roomRow.point = bottomCentreOn(roomExtent, roomRow.scale, glm::vec3(0.0f));

    ObjectRow floorRow = surfaceRow(floorModelKey, floorMaps, material);
    const Extent floorExtent = extentOf(floor, glm::mat4(1.0f));
    floorRow.scale = scaleTo(floorExtent, size);
    floorRow.point = bottomCentreOn(floorExtent, floorRow.scale, glm::vec3(0.0f));
    return {roomRow, floorRow};
}
