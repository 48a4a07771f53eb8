#pragma once
// A hall written as data: its materials, its objects with their roles and placements,
// its lights with their lamps, the rule by which exhibits turn, and its guided tour. The scene builder
// (composition.h) reads one of these; the built-in hall is one table among possible others.
#include "navigation/tour.h"
#include "scene/sceneObjects.h"

#include <glm/glm.hpp>
#include <optional>
#include <string>
#include <vector>

struct MaterialRow {
    glm::vec4 ambient;
    glm::vec4 diffuse;
    glm::vec4 specular;
    float exponent;
};

// What an object's own material and maps say over the materials of its model file, where
// the file has any (bits of ObjectRow::materialGiven): the rest comes from the file.
enum MaterialGiven : unsigned int {
    givenTexture = 1,      // one picture for the whole model
    givenMaps = 2,         // its normal and specular maps for the whole model
    givenAmbient = 4,
    givenDiffuse = 8,
    givenSpecular = 16,
    givenExponent = 32,
};

// One object, placed right after it is made: scaled, moved to `point` (in world units
// whatever the scale) and then turned in its own frame.
struct ObjectRow {
    ObjectRole role;
    short model;
    unsigned int texture;      // the picture; reflecting objects show their environment map
    unsigned int normalMap;    // with specularMap: drawn normal- and specular-mapped; 0: plain
    unsigned int specularMap;
    int material;              // index into the hall's materials
    glm::vec3 scale{1.0f};
    glm::vec3 point{0.0f};
    glm::vec3 turnAxis{0.0f, 1.0f, 0.0f};
    float turnDegrees = 0.0f;
    ObjectShading shading{};   // handed to the object whole
    int light = -1;            // a lamp: the light it glows for
    int exhibit = -1;          // the exhibit (what stands on one pedestal) it is part of
    // Set: `point` is the floor point under the object, which stands with its lowest point
    // on the top of row `pedestal` (on the floor at -1) instead of its origin at `point`.
    bool stands = false;
    int pedestal = -1;
    float height = 0.0f;       // above 0: scaled uniformly to this height first, then by `scale`
    bool box = false;          // a box of `scale` standing on `point`, in place of a model
    std::optional<float> spin{}; // degrees per second about the vertical; unset: the hall's rate
    // With `stands`: the x/z centre of the placed footprint, not the origin, goes over `point`.
    bool footprint = false;
    // Set: the object spins about the vertical through this world point, not its origin.
    std::optional<glm::vec3> spinAxisAt{};
    int fixture = -1;          // a fixture of the room: its index there
    int part = -1;             // a part of an exhibit of parts: its index there
    unsigned int materialGiven = 0;  // MaterialGiven bits
};

// The field that describes `row` in an exhibition ("exhibits[2]", "room.fixtures[0]",
// "lights[1].lamp", "room"), for the lines about it.
std::string objectUser(const ObjectRow& row);

// The motion of a CircleAndPulse light (the built-in hall's red one): it circles the
// vertical through the origin at `radius` and `height`, the angle being t / secondsPerRadian
// (a turn in 2π times that), from +x towards +z (clockwise seen from above) or, with
// `counterClockwise`, towards -z. Its colours pulse by k = cos²(t / pulseSecondsPerRadian +
// pulsePhase), 1 at the start: each term is `from + k * swing`, its lamp's glow too. These
// values make the hall's light as it has always moved.
struct CircleAndPulseMotion {
    double radius = 1500.0;
    float height = 1200.0f;
    double secondsPerRadian = 10.0;
    bool counterClockwise = false;
    double pulseSecondsPerRadian = 2.0;
    double pulsePhase = 0.0;
    glm::vec4 ambientFrom{0.05f, 0.0f, 0.0f, 1.0f}, ambientSwing{0.0f, 0.1f, 0.1f, 0.0f};
    glm::vec4 diffuseFrom{0.2f, 0.0f, 0.0f, 1.0f}, diffuseSwing{0.0f, 0.2f, 0.2f, 0.0f};
    glm::vec4 specularFrom{1.0f, 0.0f, 0.0f, 1.0f}, specularSwing{0.0f, 1.0f, 1.0f, 0.0f};
    glm::vec4 glowFrom{10.0f, 2.0f, 2.0f, 1.0f}, glowSwing{0.0f, 4.0f, 4.0f, 0.0f};
};

struct LightRow {
    glm::vec4 position;
    glm::vec4 attenuation;  // constant, linear, quadratic, unused
    glm::vec4 ambient;
    glm::vec4 diffuse;
    glm::vec4 specular;
    LightMotion motion = LightMotion::Still;
    // Circling `position` in the horizontal plane, counter-clockwise seen from above.
    float orbitRadius = 0.0f;
    float orbitSeconds = 0.0f;  // one turn; 0: no orbit
    // Blending the colours towards pulseColor and back once per pulseSeconds; 0: no pulse.
    glm::vec3 pulseColor{1.0f};
    float pulseSeconds = 0.0f;
    CircleAndPulseMotion circle{};  // how it moves when `motion` is CircleAndPulse
};

// The pictures of a surface by texture key; 0: none.
struct SurfaceMaps {
    unsigned int texture = 0;
    unsigned int normalMap = 0;
    unsigned int specularMap = 0;
};

struct Caption {
    std::string title, maker, date, text, alt;
};

// How the lit picture is exposed. Off: the fixed exposure and curve the built-in hall was
// made with. Fixed: `stops` brighter (or darker, below 0) than that, with the soft
// highlight shoulder. Automatic: the shoulder, and an exposure that follows what the
// picture shows.
enum class ExposureMode { Off, Fixed, Automatic };
struct Exposure {
    ExposureMode mode = ExposureMode::Off;
    float stops = 0.0f;
};

struct HallDescription {
    std::vector<MaterialRow> materials;
    std::vector<ObjectRow> objects;  // in creation order, which is the order ids are given in
    std::vector<LightRow> lights;    // 1 to maxLights
    float spinDegreesPerSecond = 10.0f;  // exhibits and reflecting objects turn about their own Y
    TourScript tour;
    std::string title;
    // A room given by its size (floor at y = 0, centred on the origin) that the builder makes
    // with these maps, instead of or besides room objects; zero: none.
    glm::vec3 roomSize{0.0f};
    SurfaceMaps walls, floor;
    std::vector<Caption> captions;  // by exhibit; empty titles where none is given
    Exposure exposure;  // an exhibition's is Automatic unless it says
};

// The hall the viewer shows by default: the room, the floor, thirteen pedestals with
// their exhibits, the mirror teapot and the glass lens, two lights and their lamps, and
// the 90-second tour.
HallDescription builtInHall();

inline int reflectingCount(const HallDescription& hall)
{
    int count = 0;
    for (const ObjectRow& row : hall.objects)
        count += row.role == ObjectRole::Reflecting ? 1 : 0;
    return count;
}
