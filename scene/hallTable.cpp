#include "scene/hallTable.h"

namespace {

using glm::vec3;
using glm::vec4;

enum MaterialIndex { White, Green, Red, Blue, Mirror, Glass, Lamp0, Lamp1 };

constexpr ObjectRole Architecture = ObjectRole::Architecture;
constexpr ObjectRole Exhibit = ObjectRole::Exhibit;
constexpr ObjectRole Reflecting = ObjectRole::Reflecting;
constexpr ObjectRole Lamp = ObjectRole::Lamp;

const vec3 X(1, 0, 0), Y(0, 1, 0), Z(0, 0, 1);

// Picture, normal map and specular map of the hall's normal-mapped materials.
struct Maps {
    unsigned int texture, normal, specular;
};
constexpr Maps brick{24, 25, 26}, floorTiles{21, 22, 23}, stone{15, 16, 17}, marble6{6, 7, 8}, marble9{9, 10, 11},
    marble12{12, 13, 14}, marble18{18, 19, 20};

ObjectRow pedestal(vec3 point)
{
    return {Architecture, 3, stone.texture, stone.normal, stone.specular, White, vec3(1.0f), point};
}

// `number`: the exhibit as a visitor counts them, one per pedestal.
ObjectRow exhibit(int number, short model, Maps maps, float scale, vec3 point)
{
    ObjectRow row{Exhibit, model, maps.texture, maps.normal, maps.specular, White, vec3(scale), point};
    row.exhibit = number;
    return row;
}

// Three tori around one centre, each given a quarter turn about a different axis so their
// spins about their own Y axes run about world Y, X and Z.
ObjectRow torus(int material, float scale, vec3 axis)
{
    ObjectRow row{Exhibit, 6, 5, 0, 0, material, vec3(scale), vec3(-620, 640, 620), axis, 90.0f};
    row.exhibit = 9;
    return row;
}

ObjectRow reflecting(int number, ObjectRow row)
{
    row.exhibit = number;
    return row;
}

// Its shading named, not placed: ObjectShading gains members in any order.
ObjectRow refracting(ObjectRow row, float refraction)
{
    row.shading.refraction = refraction;
    return row;
}

ObjectRow lamp(int light, int material, vec3 point)
{
    // The lamps glow by their ambient colour alone, lit by the lamp maps.
    ObjectRow row{Lamp, 1, 5, 99, 5, material, vec3(0.5f), point};
    row.light = light;
    return row;
}

} // namespace

HallDescription builtInHall()
{
    const vec4 one(1, 1, 1, 1);
    HallDescription hall;
    hall.materials = {
        {one, one, one, 16.0f},
        {vec4(0, 1, 0, 1), vec4(0, 1, 0, 1), one, 16.0f},
        {vec4(1, 0, 0, 1), vec4(1, 0, 0, 1), one, 16.0f},
        {vec4(0, 0, 1, 1), vec4(0, 0, 1, 1), one, 16.0f},
        {one, vec4(0.0f), vec4(10.0f), 16.0f},
        {vec4(5.0f), vec4(0.0f), vec4(10.0f), 32.0f},
        // The lamps' exponent only has to be valid.
        {vec4(10.0f), vec4(0.0f), vec4(0.0f), 1.0f},
        {vec4(10.0f), vec4(0.0f), vec4(0.0f), 1.0f},
    };
    hall.objects = {
        {Architecture, 2, brick.texture, brick.normal, brick.specular, White, vec3(1.1f, 1.0f, 1.3f)},
        {Architecture, 9, floorTiles.texture, floorTiles.normal, floorTiles.specular, White, vec3(7.5f, 1.0f, 6.5f)},
        pedestal({620, 0, 620}),
        pedestal({-620, 0, 620}),
        pedestal({620, 0, -620}),
        pedestal({-620, 0, -620}),
        pedestal({0, 0, 0}),
        pedestal({-1240, 0, -1240}),
        pedestal({-1240, 0, 1240}),
        pedestal({1240, 0, 1240}),
        pedestal({1240, 0, -1240}),
        pedestal({1240, 0, 0}),
        pedestal({0, 0, 1240}),
        pedestal({0, 0, -1240}),
        pedestal({-1240, 0, 0}),
        exhibit(0, 1, marble12, 1.0f, {620, 650, 620}),
        exhibit(1, 1, marble6, 1.0f, {-1240, 650, -1240}),
        exhibit(2, 8, marble9, 0.8f, {-1240, 750, 1240}),
        exhibit(3, 1, marble9, 1.0f, {1240, 650, 1240}),
        exhibit(4, 1, marble18, 1.0f, {1240, 650, -1240}),
        exhibit(5, 10, stone, 0.5f, {1240, 720, 0}),
        exhibit(6, 10, marble6, 0.5f, {0, 720, 1240}),
        exhibit(7, 11, marble9, 0.8f, {0, 550, -1240}),
        exhibit(8, 11, marble12, 0.8f, {-1240, 550, 0}),
        torus(Green, 10.0f, Y),
        torus(Red, 5.0f, Z),
        torus(Blue, 2.5f, X),
        exhibit(10, 4, marble6, 1.0f, {-620, 530, -620}),
        reflecting(11, {Reflecting, 5, 0, 0, 0, Mirror, vec3(10.0f), vec3(0, 520, 0)}),
        reflecting(12,
                   refracting({Reflecting, 7, 0, 0, 0, Glass, vec3(12.0f), vec3(620, 620, -620), Y, 90.0f}, 0.666f)),
        lamp(0, Lamp0, {1500, 1800, 0}),
        lamp(1, Lamp1, {0, 1800, 0}),
    };
    hall.lights = {
        {vec4(2500, 1800, 0, 1), vec4(1, 0, 1e-7f, 0), vec4(0.1f, 0, 0, 1), vec4(0.5f, 0, 0, 1), vec4(1, 0, 0, 1),
         LightMotion::CircleAndPulse},
        {vec4(0, 1800, 0, 1), vec4(1, 0, 5e-7f, 0), vec4(0.1f), vec4(0.3f), vec4(1)},
    };
    // Each glide's length over its speed is its step's duration, so it arrives as the step
    // ends; the next pose then removes any drift. 0.18 * 145 = 26.1 degrees per second, a
    // slow circle.
    constexpr TourMotion Orbit = TourMotion::Orbit;
    constexpr TourMotion Glide = TourMotion::Glide;
    hall.tour.startEye = vec3(-1200.0f, 1100.0f, -1200.0f);
    hall.tour.startTarget = vec3(0.0f, 520.0f, 0.0f);
    hall.tour.orbitRate = 0.18f;
    hall.tour.steps = {
        {20.0f, Orbit, {}, 0.0f, true, {-1050, 840, 1050}, {-620, 640, 620}},
        {30.0f, Orbit, {}, 0.0f, true, {-1450, 840, 620}, {-620, 620, 620}},
        {35.0f, Glide, {-1450, 840, -620}, 248.0f, true, {-1450, 840, -620}, {-620, 620, -620}},
        {45.0f, Orbit, {}, 0.0f, true, {-620, 650, -1800}, {-620, 620, -620}},
        {50.0f, Glide, {620, 650, -1800}, 248.0f, true, {620, 650, -1800}, {620, 620, -620}},
        {60.0f, Orbit, {}, 0.0f, true, {1050, 1050, -620}, {620, 620, -620}},
        {65.0f, Glide, {1050, 1050, 620}, 248.0f, true, {1050, 1050, 620}, {620, 620, 620}},
        {75.0f, Orbit, {}, 0.0f, true, {620, 620, 1040}, {620, 620, 420}},
        {77.5f, Glide, {0, 620, 1040}, 248.0f, false, {}, {}, true},
        {80.0f, Glide, {0, 620, 620}, 168.0f, false, {}, {}},
        {90.0f, Orbit, {}, 0.0f, false, {}, {}},
    };
    // What a visitor reads on each exhibit's plaque, by exhibit.
    const std::string maker = "Pinakora workshop", date = "2025";
    hall.captions = {
        {"Paved globe", maker, date,
         "A ball clad in worn grey paving stones, each stone cut to follow the curve.",
         "A sphere covered in grey paving stones"},
        {"Boulder", maker, date,
         "A ball wrapped in rough grey rock, uneven as a stone from a riverbed.",
         "A sphere of rough grey rock"},
        {"Sword", maker, date,
         "A sword modelled in dull metal plate, from hilt to point.",
         "A sword of dull metal"},
        {"Riveted sphere", maker, date,
         "A ball built of metal plates, its seams catching the light.",
         "A sphere of dull metal plates"},
        {"Hammered sphere", maker, date,
         "A ball of beaten metal; the lamps shine back from its dents.",
         "A sphere of beaten metal"},
        {"Knot in stone", maker, date,
         "A closed ring tied into a knot, carved in grey stone.",
         "A twisted ring of grey stone"},
        {"Knot in rock", maker, date,
         "The same knot as its twin across the hall, here in rough grey rock.",
         "A twisted ring of grey rock"},
        {"Standing figure", maker, date,
         "A jointed figure like an artist's mannequin, cast in metal.",
         "A human figure in metal"},
        {"Figure in paving", maker, date,
         "The jointed figure again, dressed in grey paving stones.",
         "A human figure in grey stone"},
        {"Three rings", maker, date,
         "Green, red and blue rings nested one inside the other. Each ring turns about its own axis.",
         "Green, red and blue rings nested inside each other"},
        {"Stacked cubes", maker, date,
         "Cubes of rough rock stacked into one block.",
         "A cluster of cubes in rock"},
        {"Mirror teapot", maker, date,
         "A teapot polished to a mirror. It shows the hall around it, curved over its body.",
         "A teapot of polished mirror"},
        {"Lens", maker, date,
         "A clear glass lens standing on its edge. The hall seen through it bends.",
         "A clear glass lens standing on edge"},
    };
    return hall;
}

std::string objectUser(const ObjectRow& row)
{
    if (row.exhibit >= 0) {
        const std::string exhibit = "exhibits[" + std::to_string(row.exhibit) + "]";
        return row.part >= 0 ? exhibit + ".parts[" + std::to_string(row.part) + "]" : exhibit;
    }
    if (row.role == ObjectRole::Lamp)
        return "lights[" + std::to_string(row.light) + "].lamp";
    if (row.fixture >= 0)
        return "room.fixtures[" + std::to_string(row.fixture) + "]";
    return "room";
}
