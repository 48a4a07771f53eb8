#include "scene/sceneObjects.h"

#include <glm/gtc/matrix_transform.hpp>

namespace {

float toRadians(float degrees)
{
    return degrees * (3.1415927f / 180.0f);
}

} // namespace

EngineObject::EngineObject(ModelData* model, Texture* texture, Material* material, const ObjectShading& shading)
    : EngineObject(nextObjectId++, model, texture, material, shading)
{
}

EngineObject::EngineObject(int id, ModelData* model, Texture* texture, Material* material,
                           const ObjectShading& shading)
    : id(std::make_unique<int>(id)),
      shading(shading),
      position(std::make_unique<glm::vec3>(0.0f)),
      material(material),
      model(model),
      texture(texture)
{
}

void EngineObject::translate(const glm::vec3& offset)
{
    *position += offset;
    modelMatrix = glm::translate(modelMatrix, offset / scaling);
}

void EngineObject::scale(float factor)
{
    scale(glm::vec3(factor));
}

void EngineObject::scale(const glm::vec3& factors)
{
    scaling *= factors;
    modelMatrix = glm::scale(modelMatrix, factors);
}

void EngineObject::rotateX(float degrees)
{
    rotate(degrees, glm::vec3(1.0f, 0.0f, 0.0f));
}

void EngineObject::rotateY(float degrees)
{
    rotate(degrees, glm::vec3(0.0f, 1.0f, 0.0f));
}

void EngineObject::rotateZ(float degrees)
{
    rotate(degrees, glm::vec3(0.0f, 0.0f, 1.0f));
}

void EngineObject::rotate(float degrees, const glm::vec3& axis)
{
    modelMatrix = glm::rotate(modelMatrix, toRadians(degrees), axis);
}
