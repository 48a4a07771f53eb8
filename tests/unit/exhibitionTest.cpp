// The exhibition reader: the built-in hall written as a file reads back as the built-in
// description, and each kind of mistake in a file ends in the one line a curator reads.
#include "scene/exhibition.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <tuple>
#include <unistd.h>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

void expectSameRow(const ObjectRow& a, const ObjectRow& b, size_t i)
{
    SCOPED_TRACE("object " + std::to_string(i));
    EXPECT_EQ(a.role, b.role);
    EXPECT_EQ(a.model, b.model);
    EXPECT_EQ(a.texture, b.texture);
    EXPECT_EQ(a.normalMap, b.normalMap);
    EXPECT_EQ(a.specularMap, b.specularMap);
    EXPECT_EQ(a.material, b.material);
    EXPECT_EQ(a.scale, b.scale);
    EXPECT_EQ(a.point, b.point);
    EXPECT_EQ(a.turnAxis, b.turnAxis);
    EXPECT_EQ(a.turnDegrees, b.turnDegrees);
    EXPECT_EQ(a.shading.refraction, b.shading.refraction);
    EXPECT_EQ(a.light, b.light);
    EXPECT_EQ(a.exhibit, b.exhibit);
    EXPECT_EQ(a.stands, b.stands);
    EXPECT_EQ(a.pedestal, b.pedestal);
    EXPECT_EQ(a.height, b.height);
    EXPECT_EQ(a.box, b.box);
    EXPECT_EQ(a.spin, b.spin);
}

void expectSameLight(const LightRow& a, const LightRow& b)
{
    EXPECT_EQ(a.position, b.position);
    EXPECT_EQ(a.attenuation, b.attenuation);
    EXPECT_EQ(a.ambient, b.ambient);
    EXPECT_EQ(a.diffuse, b.diffuse);
    EXPECT_EQ(a.specular, b.specular);
    EXPECT_EQ(a.motion, b.motion);
    EXPECT_EQ(a.orbitSeconds, b.orbitSeconds);
    EXPECT_EQ(a.pulseSeconds, b.pulseSeconds);
    EXPECT_EQ(a.circle.radius, b.circle.radius);
    EXPECT_EQ(a.circle.height, b.circle.height);
    EXPECT_EQ(a.circle.secondsPerRadian, b.circle.secondsPerRadian);
    EXPECT_EQ(a.circle.counterClockwise, b.circle.counterClockwise);
}

void expectSameStep(const TourStep& a, const TourStep& b, size_t i)
{
    SCOPED_TRACE("tour step " + std::to_string(i));
    EXPECT_EQ(a.endTime, b.endTime);
    EXPECT_EQ(a.motion, b.motion);
    EXPECT_EQ(a.glidePoint, b.glidePoint);
    EXPECT_EQ(a.glideSpeed, b.glideSpeed);
    EXPECT_EQ(a.setsPose, b.setsPose);
    EXPECT_EQ(a.nextEye, b.nextEye);
    EXPECT_EQ(a.nextTarget, b.nextTarget);
    EXPECT_EQ(a.endSumsInDouble, b.endSumsInDouble);
}

} // namespace

TEST(Exhibition, TheHallWrittenAsAFileIsTheBuiltInHall)
{
    const Exhibition read = readExhibition(PINAKORA_SOURCE_DIR "/examples/hall");
    ASSERT_EQ(read.error, "");
    EXPECT_TRUE(read.warnings.empty()) << read.warnings.front();
    // Only the viewer's own files, under their own keys.
    EXPECT_TRUE(read.modelFiles.empty());
    EXPECT_TRUE(read.textureFiles.empty());
    const HallDescription& file = read.hall;
    const HallDescription built = builtInHall();

    ASSERT_EQ(file.materials.size(), built.materials.size());
    for (size_t i = 0; i < built.materials.size(); ++i) {
        SCOPED_TRACE("material " + std::to_string(i));
        EXPECT_EQ(file.materials[i].ambient, built.materials[i].ambient);
        EXPECT_EQ(file.materials[i].diffuse, built.materials[i].diffuse);
        EXPECT_EQ(file.materials[i].specular, built.materials[i].specular);
        EXPECT_EQ(file.materials[i].exponent, built.materials[i].exponent);
    }
    ASSERT_EQ(file.objects.size(), built.objects.size());
    for (size_t i = 0; i < built.objects.size(); ++i)
        expectSameRow(file.objects[i], built.objects[i], i);
    ASSERT_EQ(file.lights.size(), built.lights.size());
    for (size_t i = 0; i < built.lights.size(); ++i)
        expectSameLight(file.lights[i], built.lights[i]);
    EXPECT_EQ(file.spinDegreesPerSecond, built.spinDegreesPerSecond);
    EXPECT_EQ(file.roomSize, built.roomSize);
    EXPECT_EQ(file.tour.startEye, built.tour.startEye);
    EXPECT_EQ(file.tour.startTarget, built.tour.startTarget);
    EXPECT_EQ(file.tour.orbitRate, built.tour.orbitRate);
    EXPECT_TRUE(file.tour.keyframes.empty());
    ASSERT_EQ(file.tour.steps.size(), built.tour.steps.size());
    for (size_t i = 0; i < built.tour.steps.size(); ++i)
        expectSameStep(file.tour.steps[i], built.tour.steps[i], i);
    // Our captions, one per exhibit as a visitor counts them, the same in the file.
    ASSERT_EQ(built.captions.size(), 13u);
    ASSERT_EQ(file.captions.size(), built.captions.size());
    for (size_t i = 0; i < built.captions.size(); ++i) {
        const Caption &a = file.captions[i], &b = built.captions[i];
        EXPECT_EQ(std::tie(a.title, a.maker, a.date, a.text, a.alt), std::tie(b.title, b.maker, b.date, b.text, b.alt))
            << "caption " << i;
    }
}

namespace {

std::string exhibition(const std::string& exhibit, const std::string& lights = R"([{"position": [0, 800, 0]}])",
                       const std::string& more = "")
{
    return R"({"format": "pinakora-exhibition/1", "room": {"size": [3000, 900, 2400]}, "lights": )" + lights +
           R"(, "exhibits": [)" + exhibit + "]" + more + "}";
}

std::string repeated(const std::string& item, int count)
{
    std::string list;
    for (int i = 0; i < count; ++i)
        list += (i ? ", " : "") + item;
    return list;
}

struct BadExhibition {
    const char* name;
    std::string text;  // exhibition.json; empty: there is none
    std::string line;  // the error, or with warning set the one warning; {folder} is the folder
    bool warning = false;
};

const std::string bust = R"({"model": "models/bust.glb", "position": [0, 0, -600])";

// `count` keys no reader knows, each with a comma before it.
std::string manyKeys(int count)
{
    std::string keys;
    for (int i = 0; i < count; ++i)
        keys += ", \"zz" + std::to_string(i) + "\": 0";
    return keys;
}

std::vector<BadExhibition> badExhibitions()
{
    return {
        {"malformed", "{\n  \"format\": \"pinakora-exhibition/1\"\n    \"room\": {}\n}",
         "exhibition.json:3:5: expected ',' or '}'"},
        {"unfinished word", "{\"format\": tru}", "exhibition.json:1:12: invalid literal"},
        {"number too large", exhibition(bust + R"(, "height": 1e400})"),
         "exhibition.json:1:191: number overflow parsing '1e400'"},
        {"not an object", "[1, 2]", "exhibition: [1,2] is not an exhibition; want an object {...}"},
        {"other format", R"({"format": "pinakora-exhibition/2"})",
         "format: \"pinakora-exhibition/2\" is not a format this viewer reads; want \"pinakora-exhibition/1\""},
        {"wrong type", exhibition(R"({"model": "models/bust.glb", "position": "left"})"),
         "exhibits[0].position: \"left\" is not a position; want 3 numbers [x, y, z]"},
        {"negative height", exhibition(bust + R"(, "height": -5})"),
         "exhibits[0].height: -5 is not a height; want a number above 0"},
        {"height and scale", exhibition(bust + R"(, "height": 5, "scale": 2})"),
         "exhibits[0]: give \"height\" or \"scale\", not both"},
        {"colour out of range", exhibition(bust + R"(, "material": {"color": [1, -0.5, 0]}})"),
         "exhibits[0].material.color[1]: -0.5 is not a colour component; want a number of at least 0"},
        {"unknown kind", exhibition(bust + R"(, "material": {"kind": "chrome"}})"),
         "exhibits[0].material.kind: \"chrome\" is not a material kind; want \"matte\", \"mirror\" or \"glass\""},
        {"exposure neither stops nor a word", exhibition(bust + "}", R"([{"position": [0, 800, 0]}])", R"(, "exposure": "bright")"),
         "exposure: \"bright\" is not an exposure; want a number of stops, \"auto\" or \"off\""},
        {"unknown key", exhibition(bust + R"(, "heigth": 120})"),
         "exhibits[0]: unknown key \"heigth\" (did you mean \"height\"?)", true},
        {"unknown key far from any", exhibition(bust + R"(, "weight": 120, "zzz": 1})"),
         "exhibits[0]: unknown key \"zzz\"", true},
        {"climbing out", exhibition(R"({"model": "../outside.obj"})"),
         "exhibits[0].model: \"../outside.obj\" is not a model file; want a path inside the exhibition's folder, "
         "relative to it, without \"..\""},
        {"absolute path", exhibition(bust + R"(, "material": {"texture": "/etc/hostname"}})"),
         "exhibits[0].material.texture: \"/etc/hostname\" is not an image file; want a path inside the exhibition's "
         "folder, relative to it, without \"..\""},
        {"link leading out", exhibition(R"({"model": "out/hostname"})"),
         "exhibits[0].model: \"out/hostname\" is not a model file; want a file inside the exhibition's folder (this "
         "one leads out of it)"},
        {"not one of ours", exhibition(R"({"model": "pinakora:models/bust.glb"})"),
         "exhibits[0].model: \"pinakora:models/bust.glb\" is not a model; want one of the viewer's own, such as "
         "\"pinakora:models/Sphere.dae\""},
        {"no lights", exhibition(bust + "}", "[]"), "lights: none; want 1 to 4"},
        {"five lights", exhibition(bust + "}", "[" + repeated(R"({"position": [0, 800, 0]})", 5) + "]"),
         "lights: 5 entries; want at most 4"},
        {"five mirrors", exhibition(repeated(R"({"model": "a.obj", "material": {"kind": "mirror"}})", 5)),
         "exhibits[4].material.kind: \"mirror\" makes 5 mirror or glass objects; want at most 4"},
        {"mirror fixture",
         R"({"format": "pinakora-exhibition/1", "room": {"size": [3000, 900, 2400], "fixtures": [{"model": "a.obj"},
            {"model": "a.obj", "material": {"kind": "mirror"}}]}, "lights": [{"position": [0, 800, 0]}]})",
         "room.fixtures[1].material.kind: \"mirror\": only an exhibit of one model can reflect"},
        {"glass part", exhibition(R"({"position": [0, 0, 0], "parts": [{"model": "a.obj", "material": {"kind": "glass"}}]})"),
         "exhibits[0].parts[0].material.kind: \"glass\": only an exhibit of one model can reflect"},
        {"unknown anchor", exhibition(bust + R"(, "anchor": "centre"})"),
         "exhibits[0].anchor: \"centre\" is not an anchor; want \"footprint\" or \"origin\""},
        {"unknown up", exhibition(bust + R"(, "up": "x"})"), "exhibits[0].up: \"x\" is not an up axis; want \"y\" or \"z\""},
        {"caption too long", exhibition(bust + R"(, "caption": {"title": ")" + std::string(5000, 'x') + "\"}}"),
         "exhibits[0].caption.title: \"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx... is not a title; want at most 4096 "
         "bytes"},
        {"tour to a missing exhibit", exhibition(bust + "}", R"([{"position": [0, 800, 0]}])",
                                                 R"(, "tour": [{"exhibit": 1, "seconds": 8}])"),
         "tour[0].exhibit: 1 is not an exhibit's number; want a number of at most 0"},
        {"no exhibition.json", "", "{folder}/exhibition.json: it does not exist"},
        {"file too large", exhibition(bust + "}") + std::string(1 << 20, ' '),
         "{folder}/exhibition.json: it is larger than 1 MiB"},
        {"thousands of unknown keys", exhibition(bust + manyKeys(5000) + "}"), "... and 4980 more unknown keys", true},
        // Held as a float it would be 0: the same as 0 is.
        {"height that is 0 as a float", exhibition(bust + R"(, "height": 1e-300})"),
         "exhibits[0].height: 1e-300 is not a height; want a number above 0"},
    };
}

} // namespace

TEST(Exhibition, EachBadFileEndsInTheOneLineThatSaysWhatIsWrong)
{
    const fs::path folder = fs::temp_directory_path() / ("exhibitionTest" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::create_directory_symlink("/etc", folder / "out");
    for (const BadExhibition& bad : badExhibitions()) {
        SCOPED_TRACE(bad.name);
        fs::remove(folder / "exhibition.json");
        if (!bad.text.empty())
            std::ofstream(folder / "exhibition.json") << bad.text;
        const Exhibition read = readExhibition(folder.string());
        std::string line = bad.line;
        if (line.rfind("{folder}", 0) == 0)
            line = folder.string() + line.substr(8);
        if (bad.warning) {
            EXPECT_EQ(read.error, "");
            ASSERT_FALSE(read.warnings.empty());
            EXPECT_EQ(read.warnings.back(), line);
        } else {
            EXPECT_EQ(read.error, line);
            EXPECT_TRUE(read.hall.objects.empty()) << "a file with an error gives no hall";
        }
    }
    fs::remove_all(folder);
}

TEST(Exhibition, TheCoreFieldsLandInTheDescription)
{
    const char* text = R"({
      "format": "pinakora-exhibition/1",
      "room": { "size": [3000, 900, 2400], "walls": { "texture": "images/plaster.jpg" }, "floor": { "texture": "images/oak.jpg" } },
      "lights": [ { "position": [0, 800, 0], "color": [1, 0.5, 0.25], "motion": "circleAndPulse",
                    "circle": { "radius": 800, "seconds": 40, "clockwise": false } },
                  { "position": [900, 600, 400], "orbit": { "radius": 500, "seconds": 20 },
                    "pulse": { "color": [1, 0, 0], "seconds": 3 }, "lamp": false } ],
      "exhibits": [
        { "model": "models/bust.glb", "position": [0, 0, -600], "height": 120, "rotation": [0, 30, 0], "spin": 5,
          "pedestal": { "size": [100, 110, 100], "texture": "images/marble.jpg" },
          "material": { "texture": "images/bronze.jpg", "shininess": 40 },
          "caption": { "title": "Head of a youth", "alt": "A bronze head" } },
        { "model": "models/vase.obj", "position": [600, 0, 0], "scale": 2.5, "material": { "kind": "mirror" } },
        { "model": "models/bust.glb", "at": [0, 300, 600], "material": { "color": [0, 0, 1] } }
      ],
      "tour": [ { "eye": [0, 300, 1800], "target": [0, 100, 0], "seconds": 6 }, { "exhibit": 1, "seconds": 8 } ]
    })";
    const Exhibition read = readExhibitionText(text, "exhibition.json", ".");
    ASSERT_EQ(read.error, "");
    EXPECT_TRUE(read.warnings.empty());
    // One key per file, however often it is named.
    ASSERT_EQ(read.modelFiles.size(), 2u);
    EXPECT_EQ(read.modelFiles[0].file, "models/bust.glb");
    EXPECT_EQ(read.modelFiles[1].key, firstModelKey + 1);
    EXPECT_EQ(read.textureFiles.size(), 4u);
    const HallDescription& hall = read.hall;
    EXPECT_EQ(hall.roomSize, glm::vec3(3000, 900, 2400));
    EXPECT_EQ(hall.walls.texture, firstTextureKey + 0u);
    EXPECT_EQ(hall.spinDegreesPerSecond, 0.0f) << "exhibits stand still unless they say otherwise";

    ASSERT_EQ(hall.objects.size(), 5u);  // the pedestal, three exhibits, one lamp
    const ObjectRow& pedestal = hall.objects[0];
    EXPECT_TRUE(pedestal.box);
    EXPECT_EQ(pedestal.scale, glm::vec3(100, 110, 100));
    EXPECT_EQ(pedestal.point, glm::vec3(0, 0, -600));
    const ObjectRow& bust = hall.objects[1];
    EXPECT_EQ(bust.model, firstModelKey);
    EXPECT_TRUE(bust.stands);
    EXPECT_EQ(bust.pedestal, 0);
    EXPECT_EQ(bust.height, 120.0f);
    EXPECT_EQ(bust.turnAxis, glm::vec3(0, 1, 0));
    EXPECT_EQ(bust.turnDegrees, 30.0f);
    EXPECT_EQ(bust.spin, 5.0f);
    EXPECT_EQ(hall.materials[static_cast<size_t>(bust.material)].exponent, 40.0f);
    const ObjectRow& vase = hall.objects[2];
    EXPECT_EQ(vase.role, ObjectRole::Reflecting);
    EXPECT_EQ(vase.exhibit, 1);
    EXPECT_TRUE(vase.stands);
    EXPECT_EQ(vase.pedestal, -1) << "on the floor";
    const ObjectRow& blue = hall.objects[3];
    EXPECT_FALSE(blue.stands);
    EXPECT_EQ(blue.point, glm::vec3(0, 300, 600));
    EXPECT_EQ(blue.texture, 5u) << "a colour alone is drawn on the white picture";
    EXPECT_EQ(hall.materials[static_cast<size_t>(blue.material)].diffuse, glm::vec4(0, 0, 1, 1));
    EXPECT_EQ(hall.materials[static_cast<size_t>(blue.material)].specular, glm::vec4(0.3f, 0.3f, 0.3f, 1))
        << "a matte material naming no specular shines softly";
    EXPECT_EQ(hall.exposure.mode, ExposureMode::Automatic) << "an exhibition is exposed automatically by default";
    EXPECT_EQ(hall.objects[4].role, ObjectRole::Lamp);
    EXPECT_EQ(hall.objects[4].point, glm::vec3(0, 800, 0));

    ASSERT_EQ(hall.lights.size(), 2u);
    EXPECT_EQ(hall.lights[0].specular, glm::vec4(1, 0.5f, 0.25f, 1));
    EXPECT_EQ(hall.lights[0].circle.radius, 800.0);
    EXPECT_EQ(hall.lights[0].circle.height, 1200.0f) << "what the circle does not say stays the hall's";
    EXPECT_DOUBLE_EQ(2.0 * M_PI * hall.lights[0].circle.secondsPerRadian, 40.0);
    EXPECT_TRUE(hall.lights[0].circle.counterClockwise);
    EXPECT_EQ(hall.lights[1].circle.secondsPerRadian, 10.0);
    EXPECT_EQ(hall.lights[1].orbitRadius, 500.0f);
    EXPECT_EQ(hall.lights[1].orbitSeconds, 20.0f);
    EXPECT_EQ(hall.lights[1].pulseColor, glm::vec3(1, 0, 0));
    EXPECT_TRUE(bust.footprint && vase.footprint) << "stood by the centre of their footprints by default";
    ASSERT_EQ(hall.tour.keyframes.size(), 2u);
    EXPECT_EQ(hall.tour.keyframes[1].exhibit, 1);
    EXPECT_EQ(hall.tour.keyframes[1].seconds, 8.0f);
    ASSERT_EQ(hall.captions.size(), 3u);
    EXPECT_EQ(hall.captions[0].title, "Head of a youth");
}

// `up` "z" turns the model's +z up before its rotation; `anchor` "origin" stands a model
// by its origin, for an exhibit and for each of its parts.
TEST(Exhibition, UpAndAnchorTurnAndStandTheModel)
{
    const char* text = R"({
      "format": "pinakora-exhibition/1", "room": { "size": [3000, 900, 2400] }, "lights": [ { "position": [0, 800, 0] } ],
      "exhibits": [
        { "model": "a.stl", "position": [0, 0, 0], "up": "z" },
        { "model": "a.stl", "position": [0, 0, 0], "up": "z", "rotation": [0, 90, 0], "anchor": "origin" },
        { "position": [0, 0, 0], "anchor": "origin", "parts": [ { "model": "a.stl" }, { "model": "a.stl", "anchor": "footprint" } ] },
        { "model": "a.stl", "at": [0, 100, 0] }
      ]
    })";
    const Exhibition read = readExhibitionText(text, "exhibition.json", ".");
    ASSERT_EQ(read.error, "");
    const std::vector<ObjectRow>& rows = read.hall.objects;
    ASSERT_EQ(rows.size(), 6u);  // five models and the lamp
    auto turned = [](const ObjectRow& row, glm::vec3 v) {
        return glm::vec3(glm::rotate(glm::mat4(1.0f), glm::radians(row.turnDegrees), row.turnAxis) * glm::vec4(v, 0));
    };
    const glm::vec3 up = turned(rows[0], glm::vec3(0, 0, 1));
    EXPECT_NEAR(glm::distance(up, glm::vec3(0, 1, 0)), 0.0f, 1e-5f) << "+z turned up";
    EXPECT_NEAR(glm::distance(turned(rows[1], glm::vec3(0, 0, 1)), glm::vec3(0, 1, 0)), 0.0f, 1e-5f);
    EXPECT_NEAR(glm::distance(turned(rows[1], glm::vec3(1, 0, 0)), glm::vec3(0, 0, -1)), 0.0f, 1e-5f)
        << "then turned 90 degrees about the vertical";
    EXPECT_TRUE(rows[0].footprint);
    EXPECT_FALSE(rows[1].footprint);
    EXPECT_FALSE(rows[2].footprint) << "a part takes its exhibit's anchor";
    EXPECT_TRUE(rows[3].footprint) << "unless it gives its own";
    EXPECT_EQ(rows[3].part, 1);
    EXPECT_EQ(objectUser(rows[3]), "exhibits[2].parts[1]");
    EXPECT_FALSE(rows[4].footprint) << "\"at\" keeps the origin where it is";
}
