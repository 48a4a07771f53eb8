#pragma once
// The things the hall is made of: materials, point lights and placed objects, and the
// registries through which the layout hands them to the animation and the passes.
#include "programs/objectUniforms.h"

#include <glm/glm.hpp>
#include <map>
#include <memory>
#include <optional>
#include <vector>

struct ModelData;
struct Texture;

struct Material {
    glm::vec4 ambientColor{0.0f};
    glm::vec4 diffuseColor{0.0f};
    glm::vec4 specularColor{0.0f};
    float specularExponent = 1.0f;
};

struct Light {
    glm::vec4 position;
    glm::vec4 attenuation;  // constant, linear, quadratic, unused
    glm::vec4 ambientColor;
    glm::vec4 diffuseColor;
    glm::vec4 specularColor;
};

// A run of an object's triangles drawn with one material and its pictures: one material
// of its model file, with what the object's own material says over it.
struct ObjectPart {
    unsigned int first = 0;  // in the model's index array
    unsigned int count = 0;
    Material* material = nullptr;
    Texture* texture = nullptr;
    // Both set: drawn normal- and specular-mapped; otherwise plainly.
    Texture* normalMap = nullptr;
    Texture* specularMap = nullptr;
};

// The id the next object of the default hall receives.
extern int& nextObjectId;

// What an object is to the hall: architecture stands still, exhibits and reflecting
// objects turn, reflecting objects show an environment map of their own, and a lamp
// glows where its light shines.
enum class ObjectRole { Architecture, Exhibit, Reflecting, Lamp };

// How a light moves: it stands still, or circles above the hall pulsing red to white
// with its lamp on it.
enum class LightMotion { Still, CircleAndPulse };

// One mesh placed in the world. Every placement multiplies on the right, so it acts in
// the object's own frame; translate divides by the scaling gathered so far, so a scaled
// object still lands on the world point it is given.
class EngineObject {
public:
    std::unique_ptr<int> id;
    bool visible = true;
    ObjectShading shading;
    std::unique_ptr<glm::vec3> position;
    glm::vec3 scaling{1.0f};
    Material* material;
    glm::mat4 modelMatrix{1.0f};
    ModelData* model;
    Texture* texture;
    ObjectRole role = ObjectRole::Exhibit;
    // Both set: drawn normal- and specular-mapped; otherwise plainly.
    Texture* normalMap = nullptr;
    Texture* specularMap = nullptr;
    // Degrees per second about the vertical through the object; unset: the hall's rate
    // about its own Y (an exhibit or reflecting object).
    std::optional<float> spin;
    // Set: it spins about the vertical through this point of its own frame (the centre of
    // its footprint), not through its origin.
    std::optional<glm::vec3> spinCentre;
    // Where the model file has materials of its own: the parts it is drawn in, covering
    // the whole model. Empty: drawn whole with the object's material and maps.
    std::vector<ObjectPart> parts;
    // The finer twin of its model that the environment captures draw once it is uploaded
    // (assets/modelTable.h); null: the captures draw the model itself.
    const ModelData* captureModel = nullptr;

    // Takes its id from nextObjectId.
    EngineObject(ModelData* model, Texture* texture, Material* material, const ObjectShading& shading = {});
    EngineObject(int id, ModelData* model, Texture* texture, Material* material, const ObjectShading& shading = {});

    void translate(const glm::vec3& offset);
    void scale(float factor);
    void scale(const glm::vec3& factors);
    void rotateX(float degrees);
    void rotateY(float degrees);
    void rotateZ(float degrees);
    void rotate(float degrees, const glm::vec3& axis);
};

// The default hall's registries (hall.h holds them).
extern std::map<int, EngineObject*>& sceneObjects;
extern std::map<int, EngineObject*>& reflectingObjects;
extern std::vector<EngineObject*>& lamps;
extern std::vector<Light*>& lights;
