// generateAssets <outputDir>: writes the hall's models to <outputDir>/models and its
// pictures to <outputDir>/textures; generateAssets --court <dir> writes the example
// exhibition examples/court, and --scaling <dir> the exhibitions that measure the frame against
// exhibit and triangle counts. The output depends on nothing but this code, so
// running it twice gives the same bytes.
#include "models.h"
#include "textures.h"

#include <FreeImage.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {
constexpr int textureSize = 512;
constexpr int colourQuality = 90;
// Normal maps carry directions; keep their compression error small.
constexpr int normalQuality = 95;

bool ok = true;

void check(bool written, const std::string& path)
{
    if (!written) {
        std::fprintf(stderr, "Could not write %s\n", path.c_str());
        ok = false;
    }
}

void writeModels(const std::string& dir)
{
    struct Entry {
        const char* file;
        Mesh (*make)();
        bool normals;  // smooth models carry their own normals, so creases stay crisp
    };
    const Entry entries[] = {
        {"roomt.obj", makeRoom, false},       {"plane.obj", makeFloor, false},
        {"roomtFine.obj", makeFineRoom, false}, {"planeFine.obj", makeFineFloor, false},
        {"podest2.obj", makePedestal, false}, {"podest2TopFirst.obj", makePedestalTopFirst, false},
        {"multicube.obj", makeMultiCube, false},
        {"teapot.obj", makeTeapot, true},     {"torus.obj", makeTorus, true},
        {"lens.obj", makeLens, true},         {"weapon.obj", makeSword, false},
        {"biztorus.obj", makeKnot, true},     {"figure.obj", makeFigure, true},
    };
    for (const Entry& e : entries)
        check(writeObj(e.make(), dir + e.file, e.normals), dir + e.file);
    check(writeCollada(makeSphere(), dir + "Sphere.dae"), dir + "Sphere.dae");
}

void writeSurface(const SurfaceMaps& maps, const std::string& dir, const std::string& name)
{
    check(writeJpeg(maps.colour, dir + name + ".jpg", colourQuality), dir + name + ".jpg");
    check(writeJpeg(normalMap(maps.height, maps.bumpStrength), dir + name + "n.jpg", normalQuality),
          dir + name + "n.jpg");
    check(writeJpeg(greyImage(maps.specular), dir + name + "s.jpg", colourQuality), dir + name + "s.jpg");
}

void writeTextures(const std::string& dir)
{
    const int s = textureSize;
    auto colour = [&](const Image& image, const char* file) {
        check(writeJpeg(image, dir + file, colourQuality), dir + file);
    };
    colour(makeShipHull(s), "shiphull.jpg");
    colour(makePlaster(s), "room.jpg");
    colour(makeMarble(s), "marble.jpg");
    colour(makeBlueTiles(s), "blue03.jpg");
    colour(makeWhite(s), "white.jpg");
    writeSurface(makeRock(s), dir, "rock");
    writeSurface(makeBrushedMetal(s), dir, "metal06");
    writeSurface(makeSlabPaving(s), dir, "paving02");
    writeSurface(makeCobbles(s), dir, "paving05");
    writeSurface(makeTreadPlate(s), dir, "metal09");
    writeSurface(makeFloorBricks(s), dir, "brick13");
    writeSurface(makeWallBricks(s), dir, "brick01");
    check(writeJpeg(makeDimples(s), dir + "reversen.jpg", normalQuality), dir + "reversen.jpg");
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--court") {
        check(writeCourt(argv[2]), argv[2]);
        return ok ? 0 : 1;
    }
    if (argc == 3 && std::string(argv[1]) == "--scaling") {
        check(writeScaling(argv[2]), argv[2]);
        return ok ? 0 : 1;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: generateAssets <outputDir> | --court <dir> | --scaling <dir>\n");
        return 2;
    }
    const std::filesystem::path root(argv[1]);
    std::error_code error;
    std::filesystem::create_directories(root / "models", error);
    std::filesystem::create_directories(root / "textures", error);
    FreeImage_Initialise();
    writeModels((root / "models").string() + "/");
    writeTextures((root / "textures").string() + "/");
    FreeImage_DeInitialise();
    return ok ? 0 : 1;
}
