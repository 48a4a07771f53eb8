#include "scene/exhibitionTour.h"

#include "scene/jsonFields.h"

using nlohmann::json;

namespace {

struct Pose {
    glm::vec3 eye, target;
};

Pose readPose(const JsonObject& o, NumberRange range)
{
    if (!o.has("eye") || !o.has("target"))
        throw FieldError(o.path() + ": want \"eye\" and \"target\", each [x, y, z]");
    return {o.vec3("eye", glm::vec3(0.0f), range, "a position"), o.vec3("target", glm::vec3(0.0f), range, "a position")};
}

} // namespace

TourScript readTour(const json& value, int exhibitCount, size_t maxKeyframes, double maxCoordinate,
                    std::vector<std::string>& warnings)
{
    const NumberRange anywhere{-maxCoordinate, maxCoordinate};
    TourScript script;
    if (value.is_array()) {
        if (value.size() > maxKeyframes)
            throw FieldError("tour: " + std::to_string(value.size()) + " entries; want at most " +
                             std::to_string(maxKeyframes));
        for (size_t i = 0; i < value.size(); ++i) {
            const JsonObject o(value[i], "tour[" + std::to_string(i) + "]", "a place of the tour",
                               {"eye", "target", "exhibit", "seconds"}, warnings);
            TourKeyframe keyframe;
            if (o.has("exhibit")) {
                if (o.has("eye") || o.has("target"))
                    throw FieldError(o.path() + ": give \"exhibit\" or \"eye\" and \"target\", not both");
                if (exhibitCount == 0)
                    throw FieldError(o.pathOf("exhibit") + ": there are no exhibits to visit");
                keyframe.exhibit = o.integer("exhibit", 0, 0, exhibitCount - 1, "an exhibit's number");
            } else {
                const Pose pose = readPose(o, anywhere);
                keyframe.eye = pose.eye;
                keyframe.target = pose.target;
            }
            keyframe.seconds = static_cast<float>(o.number("seconds", 5.0, {0.0, 1e5}, "a time in seconds"));
            script.keyframes.push_back(keyframe);
        }
        return script;
    }
    const JsonObject o(value, "tour", "a tour", {"start", "orbitRate", "steps"}, warnings);
    if (!o.has("start"))
        throw FieldError("tour: no \"start\"; want the pose the tour begins with");
    const Pose start = readPose(JsonObject(o.at("start"), "tour.start", "a pose", {"eye", "target"}, warnings), anywhere);
    script.startEye = start.eye;
    script.startTarget = start.target;
    script.orbitRate = static_cast<float>(o.number("orbitRate", 0.0, {-10.0, 10.0}, "an orbit rate"));
    const json& steps = o.array("steps", maxKeyframes, "a list of steps");
    float lastEnd = 0.0f;
    for (size_t i = 0; i < steps.size(); ++i) {
        const std::string path = "tour.steps[" + std::to_string(i) + "]";
        const JsonObject s(steps[i], path, "a step", {"until", "glideTo", "speed", "then", "sumInDouble"}, warnings);
        TourStep step{};
        step.endTime = static_cast<float>(s.number("until", 0.0, {lastEnd, 1e5, false}, "a time in seconds"));
        if (!s.has("until"))
            throw FieldError(path + ": no \"until\"; want the seconds from the tour's start when the step ends");
        lastEnd = step.endTime;
        step.motion = s.has("glideTo") ? TourMotion::Glide : TourMotion::Orbit;
        step.glidePoint = s.vec3("glideTo", glm::vec3(0.0f), anywhere, "a position");
        step.glideSpeed = static_cast<float>(s.number("speed", 0.0, {0.0, 1e6}, "a speed"));
        step.setsPose = s.has("then");
        if (step.setsPose) {
            const Pose next = readPose(JsonObject(s.at("then"), s.pathOf("then"), "a pose", {"eye", "target"}, warnings),
                                       anywhere);
            step.nextEye = next.eye;
            step.nextTarget = next.target;
        }
        step.endSumsInDouble = s.flag("sumInDouble", false);
        script.steps.push_back(step);
    }
    return script;
}
