#include "scene/animation.h"

#include "scene/hall.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

namespace {

void circleAndPulse(Light& light, EngineObject* lamp, const CircleAndPulseMotion& m, double t)
{
    const double angle = (m.counterClockwise ? -t : t) / m.secondsPerRadian;
    light.position = glm::vec4(static_cast<float>(m.radius * std::cos(angle)), m.height,
                               static_cast<float>(m.radius * std::sin(angle)), 1.0f);

    const float k = static_cast<float>(std::pow(std::cos(t / m.pulseSecondsPerRadian + m.pulsePhase), 2.0));
    light.ambientColor = m.ambientFrom + k * m.ambientSwing;
    light.diffuseColor = m.diffuseFrom + k * m.diffuseSwing;
    light.specularColor = m.specularFrom + k * m.specularSwing;
    if (lamp) {
        lamp->material->ambientColor = m.glowFrom + k * m.glowSwing;
        lamp->translate(glm::vec3(light.position) - *lamp->position);
    }
}

// `colour` blended by k towards `towards` at its own strength (its brightest component).
glm::vec4 blended(const glm::vec4& colour, const glm::vec3& towards, float k)
{
    const float strength = glm::max(colour.r, glm::max(colour.g, colour.b));
    return glm::vec4(glm::mix(glm::vec3(colour), strength * towards, k), colour.a);
}

// Counter-clockwise seen from above (a positive turn about +y), from +x at t = 0, and the
// colours towards the pulse colour and back once a period, the lamp following both.
void orbitAndPulse(Light& light, EngineObject* lamp, const LightRow& row, const glm::vec4& glow, double t)
{
    const glm::vec3 before(light.position);
    if (row.orbitSeconds > 0.0f) {
        const double angle = 2.0 * M_PI * t / static_cast<double>(row.orbitSeconds);
        const glm::vec3 offset(static_cast<float>(std::cos(angle)), 0.0f, static_cast<float>(-std::sin(angle)));
        light.position = glm::vec4(glm::vec3(row.position) + row.orbitRadius * offset, 1.0f);
    }
    if (row.pulseSeconds > 0.0f) {
        const float k = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * M_PI * t / static_cast<double>(row.pulseSeconds)));
        light.ambientColor = blended(row.ambient, row.pulseColor, k);
        light.diffuseColor = blended(row.diffuse, row.pulseColor, k);
        light.specularColor = blended(row.specular, row.pulseColor, k);
        if (lamp)
            lamp->material->ambientColor = blended(glow, row.pulseColor, k);
    }
    if (lamp && glm::vec3(light.position) != before)
        lamp->translate(glm::vec3(light.position) - before);
}

// A turn about the world's vertical through the object's origin (or its spin centre, where
// it has one): its own axes turn, its origin stays. An object whose own Y is vertical and whose scale is the same across it
// turns the same about its own Y, which keeps its matrix as the hall has always made it.
void spinAboutVertical(EngineObject& object, float degrees)
{
    glm::mat4& m = object.modelMatrix;
    if (object.spinCentre) {
        // The pivot is a point of the object's own frame, so the axis stays where it is
        // however long it turns; the origin goes round it.
        const glm::vec3 pivot(m * glm::vec4(*object.spinCentre, 1.0f));
        const glm::mat4 turn = glm::translate(glm::mat4(1.0f), pivot) *
                               glm::rotate(glm::mat4(1.0f), glm::radians(degrees), glm::vec3(0.0f, 1.0f, 0.0f)) *
                               glm::translate(glm::mat4(1.0f), -pivot);
        m = turn * m;
        *object.position = glm::vec3(m[3]);
        return;
    }
    if (m[1].x == 0.0f && m[1].z == 0.0f && glm::length(glm::vec3(m[0])) == glm::length(glm::vec3(m[2]))) {
        object.rotateY(degrees);
        return;
    }
    const glm::mat3 turn(glm::rotate(glm::mat4(1.0f), glm::radians(degrees), glm::vec3(0.0f, 1.0f, 0.0f)));
    for (int axis = 0; axis < 3; ++axis)
        m[axis] = glm::vec4(turn * glm::vec3(m[axis]), m[axis].w);
}

void spin(EngineObject& object, float hallAngle, double dt)
{
    if (object.spin)
        spinAboutVertical(object, static_cast<float>(dt * static_cast<double>(*object.spin)));
    else if (object.spinCentre)
        spinAboutVertical(object, hallAngle);
    else
        object.rotateY(hallAngle);
}

} // namespace

void moveLights(Hall& hall, double t)
{
    for (size_t i = 0; i < hall.lights.size(); ++i) {
        if (hall.lightMotions[i] == LightMotion::CircleAndPulse) {
            static const CircleAndPulseMotion hallsOwn;
            const CircleAndPulseMotion& motion = i < hall.lightRows.size() ? hall.lightRows[i].circle : hallsOwn;
            circleAndPulse(*hall.lights[i], hall.lampOfLight[i], motion, t);
        } else if (i < hall.lightRows.size() &&
                   (hall.lightRows[i].orbitSeconds > 0.0f || hall.lightRows[i].pulseSeconds > 0.0f)) {
            const glm::vec4 glow = i < hall.lampGlows.size() ? hall.lampGlows[i] : glm::vec4(0.0f);
            orbitAndPulse(*hall.lights[i], hall.lampOfLight[i], hall.lightRows[i], glow, t);
        }
    }
}

void spinExhibits(Hall& hall, double dt)
{
    const float angle = static_cast<float>(dt * static_cast<double>(hall.spinDegreesPerSecond));
    for (const auto& [id, object] : hall.sceneObjects)
        if (object->role != ObjectRole::Architecture)
            spin(*object, angle, dt);
    for (const auto& [id, object] : hall.reflectingObjects)
        spin(*object, angle, dt);
}

void moveLights(double t)
{
    moveLights(defaultHall(), t);
}

void spinExhibits(double dt)
{
    spinExhibits(defaultHall(), dt);
}
