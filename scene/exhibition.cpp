#include "scene/exhibition.h"

#include "assets/assetFiles.h"
#include "scene/exhibitionFiles.h"
#include "scene/exhibitionTour.h"
#include "scene/jsonFields.h"

#include <glm/gtc/quaternion.hpp>

#include <cctype>
#include <cmath>

using nlohmann::json;

namespace {

const glm::vec4 one(1.0f);
// A matte material's highlight when it names no `specular`: a third of the light's, so
// that walls and plinths under several lights show a sheen rather than a glare.
const glm::vec4 matteSpecular(0.3f, 0.3f, 0.3f, 1.0f);
constexpr unsigned int whiteTexture = 5;  // white.jpg: a colour alone shows as it is

struct Pending {
    ObjectRow row;
    MaterialRow material;
    bool sharesMaterial = true;  // a lamp's material changes with its light, so it has its own
};

bool sameMaterial(const MaterialRow& a, const MaterialRow& b)
{
    return a.ambient == b.ambient && a.diffuse == b.diffuse && a.specular == b.specular && a.exponent == b.exponent;
}

// What a material or surface names itself, over a model file's own materials.
unsigned int givenFields(const JsonObject& m)
{
    unsigned int given = 0;
    given |= m.has("texture") ? givenTexture : 0u;
    given |= m.has("normalMap") && m.has("specularMap") ? givenMaps : 0u;
    given |= m.has("color") || m.has("ambient") ? givenAmbient : 0u;
    given |= m.has("color") || m.has("diffuse") ? givenDiffuse : 0u;
    given |= m.has("specular") ? givenSpecular : 0u;
    given |= m.has("shininess") ? givenExponent : 0u;
    return given;
}

// A number of stops (±10) brighter than the fixed exposure, "auto" (the default) or "off".
Exposure readExposure(const JsonObject& top)
{
    const json& value = top.at("exposure");
    if (!top.has("exposure") || value == "auto")
        return {ExposureMode::Automatic, 0.0f};
    if (value == "off")
        return {ExposureMode::Off, 0.0f};
    if (!value.is_number())
        failField("exposure", value, "an exposure", "a number of stops, \"auto\" or \"off\"");
    return {ExposureMode::Fixed, static_cast<float>(checkedNumber(value, "exposure", {-10.0, 10.0}, "an exposure"))};
}

class Reader {
public:
    Reader(Exhibition& out, const ExhibitionLimits& limits) : out(out), limits(limits) {}

    void read(const json& document);

private:
    Exhibition& out;
    const ExhibitionLimits& limits;
    ExhibitionFiles files{out.folder, out.modelFiles, out.textureFiles};
    std::vector<Pending> architecture, pedestals, exhibits, lamps;
    int reflecting = 0;

    NumberRange anywhere() const { return {-limits.maxCoordinate, limits.maxCoordinate}; }
    NumberRange positive(double high) const { return {0.0, high, false}; }
    JsonObject object(const json& value, const std::string& path, const char* what, std::vector<std::string> keys)
    {
        return JsonObject(value, path, what, std::move(keys), out.warnings);
    }

    short modelKey(const JsonObject& o, const char* key);
    unsigned int textureKey(const JsonObject& o, const char* key, unsigned int fallback);
    void readMaps(const JsonObject& o, unsigned int& texture, unsigned int& normalMap, unsigned int& specularMap,
                  unsigned int fallbackTexture);
    bool anchor(const JsonObject& o, bool fallback);
    void place(const JsonObject& o, ObjectRow& row, glm::vec3 fallbackPoint, bool fallbackStands,
               bool fallbackFootprint);
    Pending shaped(const json& value, const std::string& path, const char* what, std::vector<std::string> keys,
                   glm::vec3 fallbackPoint, bool fallbackStands, bool fallbackFootprint, bool mayReflect);
    void readRoom(const JsonObject& room);
    void readLight(const json& value, const std::string& path, int index);
    void readExhibit(const json& value, const std::string& path, int index);
    void finish();
};

short Reader::modelKey(const JsonObject& o, const char* key)
{
    return files.model(o.pathOf(key), o.at(key));
}

unsigned int Reader::textureKey(const JsonObject& o, const char* key, unsigned int fallback)
{
    return o.has(key) ? files.texture(o.pathOf(key), o.at(key)) : fallback;
}

void Reader::readMaps(const JsonObject& o, unsigned int& texture, unsigned int& normalMap, unsigned int& specularMap,
                      unsigned int fallbackTexture)
{
    texture = textureKey(o, "texture", fallbackTexture);
    normalMap = textureKey(o, "normalMap", 0);
    specularMap = textureKey(o, "specularMap", 0);
}

// Whether a model placed by `position` stands by its footprint's centre ("footprint") or
// by its origin ("origin").
bool Reader::anchor(const JsonObject& o, bool fallback)
{
    const std::string anchor = o.text("anchor", fallback ? "footprint" : "origin", 16, "an anchor");
    if (anchor != "footprint" && anchor != "origin")
        failField(o.pathOf("anchor"), o.at("anchor"), "an anchor", "\"footprint\" or \"origin\"");
    return anchor == "footprint";
}

// Scale, height, point and turn: `at` puts the model's origin on a point; `position` stands
// the model on the floor point (or its pedestal) below it, its footprint centred over it
// unless its anchor is its origin; `up` "z" turns the model's +z up before its rotation.
void Reader::place(const JsonObject& o, ObjectRow& row, glm::vec3 fallbackPoint, bool fallbackStands,
                   bool fallbackFootprint)
{
    if (o.has("at") && o.has("position"))
        throw FieldError(o.path() + ": give \"position\" or \"at\", not both");
    if (o.has("height") && o.has("scale"))
        throw FieldError(o.path() + ": give \"height\" or \"scale\", not both");
    row.stands = o.has("position") || (!o.has("at") && fallbackStands);
    row.point = o.vec3(o.has("at") ? "at" : "position", fallbackPoint, anywhere(), "a position");
    row.footprint = row.stands && anchor(o, fallbackFootprint);
    row.height = static_cast<float>(o.number("height", 0.0, positive(limits.maxCoordinate), "a height"));
    row.scale = o.scale("scale", glm::vec3(1.0f), positive(1e4));
    const glm::vec3 rotation = o.vec3("rotation", glm::vec3(0.0f), {-3600.0, 3600.0}, "a rotation in degrees");
    const int turned = (rotation.x != 0.0f) + (rotation.y != 0.0f) + (rotation.z != 0.0f);
    const std::string up = o.text("up", "y", 8, "an up axis");
    if (up != "y" && up != "z")
        failField(o.pathOf("up"), o.at("up"), "an up axis", "\"y\" or \"z\"");
    if (up == "z") {
        // The model's +z turned to +y first, then the rotation, as one turn.
        const glm::quat q = glm::angleAxis(glm::radians(rotation.z), glm::vec3(0, 0, 1)) *
                            glm::angleAxis(glm::radians(rotation.y), glm::vec3(0, 1, 0)) *
                            glm::angleAxis(glm::radians(rotation.x), glm::vec3(1, 0, 0)) *
                            glm::angleAxis(glm::radians(-90.0f), glm::vec3(1, 0, 0));
        row.turnDegrees = glm::degrees(glm::angle(q));
        row.turnAxis = glm::axis(q);
    } else if (turned == 1) {
        const int axis = rotation.x != 0.0f ? 0 : rotation.y != 0.0f ? 1 : 2;
        row.turnAxis = glm::vec3(0.0f);
        row.turnAxis[axis] = 1.0f;
        row.turnDegrees = rotation[axis];
    } else if (turned > 1) {
        // About x first, then y, then z, as one turn about one axis.
        const glm::quat q = glm::angleAxis(glm::radians(rotation.z), glm::vec3(0, 0, 1)) *
                            glm::angleAxis(glm::radians(rotation.y), glm::vec3(0, 1, 0)) *
                            glm::angleAxis(glm::radians(rotation.x), glm::vec3(1, 0, 0));
        row.turnDegrees = glm::degrees(glm::angle(q));
        row.turnAxis = glm::axis(q);
    }
}

// A model with a placement and a material: a fixture of the room or a part of an exhibit.
Pending Reader::shaped(const json& value, const std::string& path, const char* what, std::vector<std::string> keys,
                       glm::vec3 fallbackPoint, bool fallbackStands, bool fallbackFootprint, bool mayReflect)
{
    for (const char* key : {"model", "position", "at", "height", "scale", "rotation", "material", "anchor", "up"})
        keys.push_back(key);
    const JsonObject o = object(value, path, what, keys);
    Pending made;
    ObjectRow& row = made.row;
    row.role = ObjectRole::Exhibit;
    if (!o.has("model") && !o.has("parts"))
        throw FieldError(path + ": no \"model\"; want the model file it shows");
    if (o.has("model"))
        row.model = modelKey(o, "model");
    place(o, row, fallbackPoint, fallbackStands, fallbackFootprint);

    const json noMaterial = json::object();
    const JsonObject m = object(o.has("material") ? o.at("material") : noMaterial, o.pathOf("material"), "a material",
                                {"kind", "texture", "normalMap", "specularMap", "color", "shininess", "ambient",
                                 "diffuse", "specular", "refraction"});
    const std::string kind = m.text("kind", "matte", 16, "a material kind");
    const NumberRange colours{0.0, 100.0};
    const glm::vec4 colour = m.colour("color", one, colours);
    MaterialRow& material = made.material;
    if (kind == "matte") {
        readMaps(m, row.texture, row.normalMap, row.specularMap, whiteTexture);
        material = {colour, colour, matteSpecular, 16.0f};
    } else if (kind == "mirror" || kind == "glass") {
        // Each reflecting exhibit gets an environment map made from its centre; a fixture or
        // one part among others would get none and draw as a flat glowing panel.
        if (!mayReflect)
            throw FieldError(m.pathOf("kind") + ": \"" + kind + "\": only an exhibit of one model can reflect");
        row.role = ObjectRole::Reflecting;
        row.texture = row.normalMap = row.specularMap = 0;
        material = kind == "mirror" ? MaterialRow{one, glm::vec4(0.0f), glm::vec4(10.0f), 16.0f}
                                    : MaterialRow{glm::vec4(5.0f), glm::vec4(0.0f), glm::vec4(10.0f), 32.0f};
        row.shading.refraction = static_cast<float>(
            m.number("refraction", kind == "glass" ? 0.666 : 0.0, {0.0, 1.0}, "a ratio of refraction"));
        if (++reflecting > limits.maxReflecting)
            throw FieldError(m.pathOf("kind") + ": \"" + kind + "\" makes " + std::to_string(reflecting) +
                             " mirror or glass objects; want at most " + std::to_string(limits.maxReflecting));
    } else {
        failField(m.pathOf("kind"), m.at("kind"), "a material kind", "\"matte\", \"mirror\" or \"glass\"");
    }
    material.exponent = static_cast<float>(m.number("shininess", material.exponent, {1.0, 1000.0}, "a shininess"));
    material.ambient = m.colour("ambient", material.ambient, colours);
    material.diffuse = m.colour("diffuse", material.diffuse, colours);
    material.specular = m.colour("specular", material.specular, colours);
    row.materialGiven = givenFields(m);
    return made;
}

void Reader::readRoom(const JsonObject& room)
{
    out.hall.roomSize = room.vec3("size", glm::vec3(0.0f), {0.0, limits.maxCoordinate}, "a room size");
    if (!room.has("size") && !room.has("model"))
        throw FieldError(room.pathOf("size") + ": missing; want the room's width, height and depth");
    const json none = json::object();
    const JsonObject walls = object(room.has("walls") ? room.at("walls") : none, room.pathOf("walls"), "a surface",
                                    {"texture", "normalMap", "specularMap"});
    const JsonObject floor = object(room.has("floor") ? room.at("floor") : none, room.pathOf("floor"), "a surface",
                                    {"texture", "normalMap", "specularMap", "model", "scale"});
    SurfaceMaps& w = out.hall.walls;
    SurfaceMaps& f = out.hall.floor;
    readMaps(walls, w.texture, w.normalMap, w.specularMap, 0);
    readMaps(floor, f.texture, f.normalMap, f.specularMap, 0);
    const MaterialRow white{one, one, one, 16.0f};
    for (const auto& [o, maps] : {std::pair<const JsonObject*, SurfaceMaps*>{&room, &w}, {&floor, &f}}) {
        if (!o->has("model"))
            continue;
        ObjectRow row{ObjectRole::Architecture, modelKey(*o, "model"), maps->texture ? maps->texture : whiteTexture,
                      maps->normalMap, maps->specularMap, 0};
        row.scale = o->scale("scale", glm::vec3(1.0f), positive(1e4));
        row.materialGiven = givenFields(o == &room ? walls : floor);
        architecture.push_back({row, white});
    }
    const json& fixtures = room.array("fixtures", limits.maxFixtures, "a list of fixtures");
    for (size_t i = 0; i < fixtures.size(); ++i) {
        Pending fixture = shaped(fixtures[i], room.pathOf("fixtures") + "[" + std::to_string(i) + "]", "a fixture",
                                 {}, glm::vec3(0.0f), false, true, false);
        fixture.row.role = ObjectRole::Architecture;
        fixture.row.fixture = static_cast<int>(i);
        architecture.push_back(fixture);
    }
}

void Reader::readLight(const json& value, const std::string& path, int index)
{
    const JsonObject o = object(value, path, "a light",
                                {"position", "color", "orbit", "pulse", "ambient", "diffuse", "specular",
                                 "attenuation", "motion", "circle", "lamp"});
    if (!o.has("position"))
        throw FieldError(path + ": no \"position\"; want where the light is, [x, y, z]");
    LightRow light;
    const glm::vec3 position = o.vec3("position", glm::vec3(0.0f), anywhere(), "a position");
    light.position = glm::vec4(position, 1.0f);
    const glm::vec4 colour = o.colour("color", one, {0.0, 100.0});
    light.ambient = o.colour("ambient", 0.1f * colour, {0.0, 100.0});
    light.diffuse = o.colour("diffuse", 0.3f * colour, {0.0, 100.0});
    light.specular = o.colour("specular", colour, {0.0, 100.0});
    light.attenuation = glm::vec4(o.vec3("attenuation", glm::vec3(1.0f, 0.0f, 5e-7f), {0.0, 1e6}, "an attenuation"), 0.0f);
    const std::string motion = o.text("motion", "still", 32, "a light motion");
    if (motion == "circleAndPulse")
        light.motion = LightMotion::CircleAndPulse;
    else if (motion != "still")
        failField(o.pathOf("motion"), o.at("motion"), "a light motion", "\"still\" or \"circleAndPulse\"");
    if (o.has("circle")) {
        const JsonObject circle =
            object(o.at("circle"), o.pathOf("circle"), "a circle", {"radius", "height", "seconds", "clockwise"});
        CircleAndPulseMotion& m = light.circle;
        m.radius = circle.number("radius", m.radius, {0.0, limits.maxCoordinate}, "a radius");
        m.height = static_cast<float>(circle.number("height", m.height, anywhere(), "a height"));
        // Unsaid, the turn stays the hall's t / 10 exactly.
        if (circle.has("seconds"))
            m.secondsPerRadian = circle.number("seconds", 1.0, positive(1e5), "a time in seconds") / (2.0 * M_PI);
        m.counterClockwise = !circle.flag("clockwise", true);
    }
    if (o.has("orbit")) {
        const JsonObject orbit = object(o.at("orbit"), o.pathOf("orbit"), "an orbit", {"radius", "seconds"});
        light.orbitRadius = static_cast<float>(orbit.number("radius", 0.0, {0.0, limits.maxCoordinate}, "a radius"));
        light.orbitSeconds = static_cast<float>(orbit.number("seconds", 20.0, positive(1e5), "a time in seconds"));
    }
    if (o.has("pulse")) {
        const JsonObject pulse = object(o.at("pulse"), o.pathOf("pulse"), "a pulse", {"color", "seconds"});
        light.pulseColor = glm::vec3(pulse.colour("color", one, {0.0, 100.0}));
        light.pulseSeconds = static_cast<float>(pulse.number("seconds", 4.0, positive(1e5), "a time in seconds"));
    }
    out.hall.lights.push_back(light);

    if (o.has("lamp") && o.at("lamp").is_boolean() && !o.at("lamp").get<bool>())
        return;
    const json plainLamp = json::object();
    const JsonObject lamp = object(o.has("lamp") && !o.at("lamp").is_boolean() ? o.at("lamp") : plainLamp,
                                   o.pathOf("lamp"), "a lamp",
                                   {"model", "at", "scale", "glow", "texture", "normalMap", "specularMap"});
    // A small white ball that glows by its ambient colour alone, lit by its inverted normals.
    ObjectRow row{ObjectRole::Lamp, lamp.has("model") ? modelKey(lamp, "model") : short(1), 0, 0, 0, 0};
    row.texture = textureKey(lamp, "texture", whiteTexture);
    row.normalMap = textureKey(lamp, "normalMap", 99);
    row.specularMap = textureKey(lamp, "specularMap", whiteTexture);
    row.scale = lamp.scale("scale", glm::vec3(0.5f), positive(1e4));
    row.point = lamp.vec3("at", position, anywhere(), "a position");
    row.light = index;
    const glm::vec4 glow = lamp.colour("glow", glm::vec4(10.0f), {0.0, 100.0});
    lamps.push_back({row, {glow, glm::vec4(0.0f), glm::vec4(0.0f), 1.0f}, false});
}

void Reader::readExhibit(const json& value, const std::string& path, int index)
{
    std::vector<std::string> keys{"model", "position", "at", "height", "scale", "rotation", "material",
                                  "spin", "pedestal", "caption", "parts", "anchor", "up"};
    const JsonObject e = object(value, path, "an exhibit", keys);
    std::vector<std::string> repeated;  // shaped() reads the same keys again
    std::optional<float> spin;
    if (e.has("spin"))
        spin = static_cast<float>(e.number("spin", 0.0, {-3600.0, 3600.0}, "a spin in degrees per second"));
    if (e.has("at") && e.has("position"))
        throw FieldError(path + ": give \"position\" or \"at\", not both");
    const bool stands = !e.has("at");
    const glm::vec3 point = e.vec3(stands ? "position" : "at", glm::vec3(0.0f), anywhere(), "a position");
    const bool footprint = anchor(e, true);

    int pedestal = -1;
    if (e.has("pedestal")) {
        const JsonObject p = object(e.at("pedestal"), e.pathOf("pedestal"), "a pedestal",
                                    {"size", "model", "scale", "texture", "normalMap", "specularMap"});
        if (p.has("size") == p.has("model"))
            throw FieldError(p.path() + ": give \"size\" (a box) or \"model\", one of them");
        ObjectRow row{ObjectRole::Architecture, 0, 0, 0, 0, 0};
        readMaps(p, row.texture, row.normalMap, row.specularMap, whiteTexture);
        row.materialGiven = givenFields(p);
        row.point = glm::vec3(point.x, 0.0f, point.z);
        if (p.has("model")) {
            row.model = modelKey(p, "model");
            row.scale = p.scale("scale", glm::vec3(1.0f), positive(1e4));
        } else {
            row.box = true;
            row.scale = p.vec3("size", glm::vec3(1.0f), positive(limits.maxCoordinate), "a pedestal size");
        }
        row.exhibit = index;
        pedestal = static_cast<int>(pedestals.size());
        pedestals.push_back({row, {one, one, one, 16.0f}});
    }

    std::vector<Pending> made;
    if (e.has("parts")) {
        if (e.has("model"))
            throw FieldError(path + ": give \"model\" or \"parts\", not both");
        for (const char* key : {"height", "scale", "rotation", "material", "up"})
            if (e.has(key))
                throw FieldError(e.pathOf(key) + ": an exhibit of parts gives this for each part");
        const json& parts = e.array("parts", limits.maxParts, "a list of parts");
        for (size_t i = 0; i < parts.size(); ++i) {
            made.push_back(shaped(parts[i], e.pathOf("parts") + "[" + std::to_string(i) + "]", "a part", {}, point,
                                  stands, footprint, false));
            made.back().row.part = static_cast<int>(i);
        }
    } else {
        std::vector<std::string> saved;
        saved.swap(out.warnings);
        made.push_back(shaped(value, path, "an exhibit", keys, point, stands, footprint, true));
        saved.swap(out.warnings);  // the exhibit's own keys were checked above
    }
    for (Pending& part : made) {
        part.row.exhibit = index;
        part.row.spin = spin;
        part.row.pedestal = part.row.stands ? pedestal : -1;
        exhibits.push_back(part);
    }

    Caption& caption = out.hall.captions.emplace_back();
    if (e.has("caption")) {
        const JsonObject c = object(e.at("caption"), e.pathOf("caption"), "a caption",
                                    {"title", "maker", "date", "text", "alt"});
        const size_t most = limits.maxStringBytes;
        caption = {c.text("title", "", most, "a title"), c.text("maker", "", most, "a maker"),
                   c.text("date", "", most, "a date"), c.text("text", "", most, "a text"),
                   c.text("alt", "", most, "a description")};
    }
}

void Reader::read(const json& document)
{
    const JsonObject top = object(document, "", "an exhibition",
                                  {"format", "title", "room", "lights", "exhibits", "tour", "spin", "exposure"});
    if (!top.has("format"))
        throw FieldError("format: missing; want \"pinakora-exhibition/1\"");
    if (top.at("format") != "pinakora-exhibition/1")
        failField("format", top.at("format"), "a format this viewer reads", "\"pinakora-exhibition/1\"");
    HallDescription& hall = out.hall;
    hall.title = top.text("title", "", limits.maxStringBytes, "a title");
    hall.spinDegreesPerSecond = static_cast<float>(top.number("spin", 0.0, {-3600.0, 3600.0}, "a spin"));
    hall.exposure = readExposure(top);
    if (!top.has("room"))
        throw FieldError("room: missing; want at least its \"size\"");
    readRoom(object(top.at("room"), "room", "a room", {"size", "model", "scale", "walls", "floor", "fixtures"}));

    const json& lights = top.array("lights", static_cast<size_t>(limits.maxLights), "a list of lights");
    if (lights.empty())
        throw FieldError("lights: none; want 1 to " + std::to_string(limits.maxLights));
    for (size_t i = 0; i < lights.size(); ++i)
        readLight(lights[i], "lights[" + std::to_string(i) + "]", static_cast<int>(i));

    const json& list = top.array("exhibits", limits.maxExhibits, "a list of exhibits");
    for (size_t i = 0; i < list.size(); ++i)
        readExhibit(list[i], "exhibits[" + std::to_string(i) + "]", static_cast<int>(i));
    if (top.has("tour"))
        hall.tour = readTour(top.at("tour"), static_cast<int>(list.size()), limits.maxKeyframes, limits.maxCoordinate,
                             out.warnings);
    finish();
}

// Rows in creation order: the room, its fixtures, the pedestals, the exhibits, the lamps;
// equal materials shared in the order they are first used.
void Reader::finish()
{
    HallDescription& hall = out.hall;
    const int firstPedestal = static_cast<int>(architecture.size());
    for (std::vector<Pending>* group : {&architecture, &pedestals, &exhibits, &lamps}) {
        for (Pending& pending : *group) {
            int index = -1;
            for (size_t m = 0; pending.sharesMaterial && m < hall.materials.size() && index < 0; ++m)
                if (sameMaterial(hall.materials[m], pending.material))
                    index = static_cast<int>(m);
            if (index < 0) {
                index = static_cast<int>(hall.materials.size());
                hall.materials.push_back(pending.material);
            }
            pending.row.material = index;
            if (group == &exhibits && pending.row.pedestal >= 0)
                pending.row.pedestal += firstPedestal;
            hall.objects.push_back(pending.row);
        }
    }
}

} // namespace

Exhibition readExhibitionText(const std::string& text, const std::string& fileName, const std::string& folder,
                              const ExhibitionLimits& limits)
{
    Exhibition result;
    result.folder = resolvedPath(folder);
    if (result.folder.empty()) {
        result.error = folder + ": the folder cannot be opened";
        return result;
    }
    json document;
    try {
        document = json::parse(text);
    } catch (const json::exception& error) {
        const std::string problem = jsonSyntaxProblem(text, error);
        result.error = fileName + (std::isdigit(static_cast<unsigned char>(problem[0])) ? ":" : ": ") + problem;
        return result;
    }
    try {
        Reader(result, limits).read(document);
    } catch (const FieldError& error) {
        result.error = error.what();
        result.hall = HallDescription{};
    }
    // A file full of unknown keys (a different format, a generated one) would bury the
    // console; the first few say what is wrong.
    constexpr size_t warningsShown = 20;
    if (result.warnings.size() > warningsShown) {
        const size_t more = result.warnings.size() - warningsShown;
        result.warnings.resize(warningsShown);
        result.warnings.push_back("... and " + std::to_string(more) + " more unknown keys");
    }
    return result;
}

Exhibition readExhibition(const std::string& path, const ExhibitionLimits& limits)
{
    std::string file = path;
    std::string folder = path;
    const bool namesJson = path.size() > 5 && path.compare(path.size() - 5, 5, ".json") == 0;
    const bool namesFile = namesJson || notARegularFile(path).empty();
    if (namesFile)
        folder = folderOf(path);
    else
        file = path + "/exhibition.json";
    const std::string name = file.substr(file.find_last_of('/') + 1);
    std::string text, problem;
    // A file named on its own is read where it is; the one a folder holds is read inside it.
    if (namesFile ? !readWholeFile(file, limits.maxFileBytes, text, problem)
                  : !readInsideFolder(resolvedPath(folder), file, limits.maxFileBytes, text, problem)) {
        Exhibition result;
        result.error = file + ": " + problem;
        return result;
    }
    return readExhibitionText(text, name, folder, limits);
}
