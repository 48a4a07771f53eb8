// The exhibition reader: the built-in hall written as a file reads back as the built-in
// description, and each kind of mistake in a file ends in the one line a curator reads.
#include "scene/exhibition.h"

#include <gtest/gtest.h>

#include <cstdio>
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
    EXPECT_EQ(a.refraction, b.refraction);
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
    // Our captions, one per exhibit as a visitor counts them.
    EXPECT_EQ(file.captions.size(), 13u);
}
