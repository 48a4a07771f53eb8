// The viewer started on a copy of its files with one of them missing or broken: it
// names the problem, keeps drawing the rest of the hall, and exits with 0 when closed.
// An exhibition's models that cannot be loaded stand as grey boxes, each named once.
#include "app/application.h"
#include "app/exhibitionLoading.h"
#include "assets/models.h"
#include "navigation/camera.h"
#include "render/frameCapture.h"
#include "scene/animation.h"
#include "scene/placement.h"
#include "scene/sceneObjects.h"
#include "tests/gl/hallFixture.h"
#include "tests/gl/viewerProcess.h"

#include <FreeImage.h>
#include <gtest/gtest.h>
// X11 after gtest: its macros (None, Bool) would clash with gtest names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <csignal>
#include <thread>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct BrokenFile {
    const char* name;
    std::function<void(const fs::path& root)> breakIt;
    const char* expectedOut;  // must appear on standard output (empty: no demand)
    const char* expectedErr;  // must appear on standard error (empty: no demand)
    bool noGLError = false;   // what was refused or worked around must raise no GL error
    const char* environment = nullptr;  // "NAME=value" the viewer runs with, for a driver that lacks something
    const char* hall = nullptr;  // an exhibition folder under the copy the viewer shows (--hall)
};

void writeBytes(const fs::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

void truncateTo(const fs::path& file, double fraction)
{
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    bytes.resize(static_cast<size_t>(static_cast<double>(bytes.size()) * fraction));
    writeBytes(file, bytes);
}

std::string garbage(size_t size)
{
    std::string bytes(size, '\0');
    unsigned int state = 12345;
    for (char& c : bytes) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 16);
    }
    return bytes;
}

// Rewrites the file with `from` replaced by `to`, at the first place or everywhere.
void edit(const fs::path& file, const std::string& from, const std::string& to, bool everywhere)
{
    std::ifstream in(file, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (size_t at = text.find(from); at != std::string::npos; at = everywhere ? text.find(from, at + to.size()) : std::string::npos)
        text.replace(at, from.size(), to);
    writeBytes(file, text);
}

// A black image of the given size and form under `file`.
void image(const fs::path& file, FREE_IMAGE_TYPE type, int width, int height, FREE_IMAGE_FORMAT format)
{
    FIBITMAP* bitmap = type == FIT_BITMAP ? FreeImage_Allocate(width, height, 24) : FreeImage_AllocateT(type, width, height);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_TRUE(FreeImage_Save(format, bitmap, file.string().c_str(), 0)) << file;
    FreeImage_Unload(bitmap);
}

// A bitmap file header that declares width x height 24-bit pixels and holds none.
std::string bmpHeader(uint32_t width, uint32_t height)
{
    std::string h(54, '\0');
    const auto put = [&h](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) h[at + i] = static_cast<char>(v >> (8 * i)); };
    h[0] = 'B', h[1] = 'M';
    put(2, 54), put(10, 54), put(14, 40), put(18, width), put(22, height);
    h[26] = 1, h[28] = 24;
    return h;
}

// A fuzzing seed of tests/fuzz/seeds/image/ in place of `file`.
void copySeed(const char* seed, const fs::path& file)
{
    fs::copy_file(fs::path(PINAKORA_SOURCE_DIR) / "tests/fuzz/seeds/image" / seed, file,
                  fs::copy_options::overwrite_existing);
}

void replaceByDirectory(const fs::path& file)
{
    fs::remove(file);
    fs::create_directory(file);
}

void replaceByFifo(const fs::path& file)
{
    fs::remove(file);
    ASSERT_EQ(mkfifo(file.string().c_str(), 0644), 0) << file;
}

// A valid COLLADA file whose nodes instance each other in a fan, `levels` deep with
// `fan` instances at each level and one triangle at the leaves: fan^levels nodes to
// build from about 200 KB.
std::string instanceFan(int levels, int fan)
{
    std::string dae = R"(<?xml version="1.0" encoding="utf-8"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
  <library_geometries><geometry id="leaf"><mesh>
    <source id="leaf-p"><float_array id="leaf-a" count="9">0 0 0 1 0 0 0 1 0</float_array>
      <technique_common><accessor source="#leaf-a" count="3" stride="3">
        <param name="X" type="float"/><param name="Y" type="float"/><param name="Z" type="float"/>
      </accessor></technique_common></source>
    <vertices id="leaf-v"><input semantic="POSITION" source="#leaf-p"/></vertices>
    <triangles count="1"><input semantic="VERTEX" source="#leaf-v" offset="0"/><p>0 1 2</p></triangles>
  </mesh></geometry></library_geometries>
  <library_nodes>
)";
    for (int k = 0; k < levels; ++k) {
        dae += "    <node id=\"level" + std::to_string(k) + "\">\n";
        for (int i = 0; i < fan; ++i)
            dae += "      <instance_node url=\"#level" + std::to_string(k + 1) + "\"/>\n";
        dae += "    </node>\n";
    }
    dae += "    <node id=\"level" + std::to_string(levels) + "\"><instance_geometry url=\"#leaf\"/></node>\n";
    return dae + R"(  </library_nodes>
  <library_visual_scenes><visual_scene id="scene">
    <node id="root"><instance_node url="#level0"/></node>
  </visual_scene></library_visual_scenes>
  <scene><instance_visual_scene url="#scene"/></scene>
</COLLADA>
)";
}

// An exhibition in `root`/show of one model whose own material names `picture` for its
// colour: a square on a pedestal, from an OBJ file of ours and its material file.
void exhibitModelNaming(const fs::path& root, const std::string& picture)
{
    fs::create_directories(root / "show/models");
    writeBytes(root / "show/models/square.obj", "mtllib square.mtl\nv -1 0 0\nv 1 0 0\nv 1 2 0\nv -1 2 0\n"
                                                "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nusemtl painted\nf 1/1 2/2 3/3 4/4\n");
    writeBytes(root / "show/models/square.mtl", "newmtl painted\nKd 0.8 0.6 0.4\nmap_Kd " + picture + "\n");
    writeBytes(root / "show/exhibition.json", R"({ "format": "pinakora-exhibition/1", "room": { "size": [2000, 900, 2000] },
        "lights": [ { "position": [0, 800, 600] } ],
        "exhibits": [ { "model": "models/square.obj", "height": 200, "pedestal": { "size": [200, 100, 200] } } ] })");
}

// Test listings name the case instead of dumping its bytes.
void PrintTo(const BrokenFile& c, std::ostream* out) { *out << c.name; }

// Rewrites an image in another form under the same name.
void resave(const fs::path& file, FREE_IMAGE_FORMAT format, bool greyscale)
{
    FIBITMAP* image = FreeImage_Load(FIF_JPEG, file.string().c_str(), 0);
    ASSERT_NE(image, nullptr) << file;
    if (greyscale) {
        FIBITMAP* grey = FreeImage_ConvertToGreyscale(image);
        FreeImage_Unload(image);
        image = grey;
    }
    EXPECT_TRUE(FreeImage_Save(format, image, file.string().c_str(), 0)) << file;
    FreeImage_Unload(image);
}

const BrokenFile brokenFiles[] = {
    {"missingModel", [](const fs::path& r) { fs::remove(r / "res/models/teapot.obj"); }, "",
     "Model file ./res/models/teapot.obj could not be loaded"},
    {"truncatedColladaModel", [](const fs::path& r) { truncateTo(r / "res/models/Sphere.dae", 0.5); }, "",
     "Model file ./res/models/Sphere.dae"},
    {"garbageModel", [](const fs::path& r) { writeBytes(r / "res/models/figure.obj", garbage(4096)); }, "",
     "Model file ./res/models/figure.obj"},
    // The alert's line is ended before anything else is printed.
    {"missingImage", [](const fs::path& r) { fs::remove(r / "res/textures/marble.jpg"); }, "\nALERT\n",
     "Image file ./res/textures/marble.jpg does not exist.\n"},
    {"emptyImage", [](const fs::path& r) { writeBytes(r / "res/textures/brick13.jpg", ""); }, "\nALERT",
     "Image file ./res/textures/brick13.jpg could not be read as an image.\n"},
    {"truncatedImage", [](const fs::path& r) { truncateTo(r / "res/textures/brick01.jpg", 0.3); }, "",
     "Image file ./res/textures/brick01.jpg: "},
    // Readable after all: drawn with their own colours, nothing to report.
    {"pngNamedJpg", [](const fs::path& r) { resave(r / "res/textures/paving02.jpg", FIF_PNG, false); }, "", ""},
    {"greyscaleJpg", [](const fs::path& r) { resave(r / "res/textures/brick13.jpg", FIF_JPEG, true); }, "", ""},
    // Damage the importer or the decoder cannot take: one line naming the file, no signal, no hang.
    {"colladaNegativeCount", [](const fs::path& r) { edit(r / "res/models/Sphere.dae", "count=\"6435\"", "count=\"-1\"", false); },
     "", "Model file ./res/models/Sphere.dae could not be loaded: "},
    {"colladaHugeStrides",
     [](const fs::path& r) {
         for (int n = 1; n <= 4; ++n)
             edit(r / "res/models/Sphere.dae", "stride=\"" + std::to_string(n) + "\"", "stride=\"1000000\"", true);
     },
     "", "Model file ./res/models/Sphere.dae could not be loaded: "},
    // Costs only itself: the importer's memory cap stops it, and a fresh importer takes the
    // models after it.
    {"colladaInstanceFan", [](const fs::path& r) { writeBytes(r / "res/models/Sphere.dae", instanceFan(20, 250)); },
     "", "Model file ./res/models/Sphere.dae could not be loaded: it needs more memory than an import may use"},
    // Material files outside the model's folder are refused; the model still loads.
    {"objMaterialUpTheTree",
     [](const fs::path& r) {
         edit(r / "res/models/teapot.obj", "# Pinakora generated model", "mtllib ../../../../../../../../../../../../etc/passwd", false);
     },
     "", "Model file ./res/models/teapot.obj: refused to read /etc/passwd"},
    {"objMaterialLinkedOutside",
     [](const fs::path& r) {
         edit(r / "res/models/weapon.obj", "# Pinakora generated model", "mtllib weapon.mtl", false);
         fs::create_symlink("/etc/passwd", r / "res/models/weapon.mtl");
     },
     "", "Model file ./res/models/weapon.obj: refused to read /etc/passwd: outside the model's folder.\n"},
    // A picture a model's own material names: outside the exhibition's folder, or missing.
    {"modelTextureLeadingOut",
     [](const fs::path& r) {
         exhibitModelNaming(r, "../../res/textures/marble.jpg");
     },
     "", "exhibits[0]: model file models/square.obj: texture ../../res/textures/marble.jpg leads out of the "
         "exhibition's folder; drawing with its base colour.\n", false, nullptr, "show"},
    {"missingModelTexture", [](const fs::path& r) { exhibitModelNaming(r, "paint.jpg"); }, "",
     "exhibits[0]: model file models/square.obj: texture paint.jpg does not exist; drawing with its base colour.\n",
     false, nullptr, "show"},
    {"directoryForModel", [](const fs::path& r) { replaceByDirectory(r / "res/models/teapot.obj"); }, "",
     "Model file ./res/models/teapot.obj could not be loaded: it is a directory, not a file\n"},
    {"fifoForModel", [](const fs::path& r) { replaceByFifo(r / "res/models/weapon.obj"); }, "",
     "Model file ./res/models/weapon.obj could not be loaded: it is a FIFO, not a file\n"},
    {"ppmHeaderOf60000Squared", [](const fs::path& r) { writeBytes(r / "res/textures/white.jpg", "P6 60000 60000 255\n"); },
     "\nALERT", "Image file ./res/textures/white.jpg was refused: its format (PNM) is not taken", true},
    {"jpegWiderThanGLTakes", [](const fs::path& r) { image(r / "res/textures/marble.jpg", FIT_BITMAP, 17000, 8, FIF_JPEG); },
     "\nALERT", "Image file ./res/textures/marble.jpg was refused: it is 17000 x 8 pixels", true},
    {"bmpHeaderOf30000Squared", [](const fs::path& r) { writeBytes(r / "res/textures/room.jpg", bmpHeader(30000, 30000)); },
     "\nALERT", "Image file ./res/textures/room.jpg was refused: it is 30000 x 30000 pixels, larger than the 16384 x 16384", true},
    // A run-length TGA cut off mid-packet: refused before stb_image reads past the end.
    {"cutOffRunLengthTgaAsJpg", [](const fs::path& r) { copySeed("tgaRleCutOff.tga", r / "res/textures/metal09.jpg"); },
     "\nALERT", "Image file ./res/textures/metal09.jpg was refused: it is cut off before the end of its pixels.\n", true},
    // Inputs that made FreeImage's readers write past a buffer (ICO) or abort (TIFF).
    {"icoHeapOverflowAsJpg", [](const fs::path& r) { copySeed("icoHeapOverflow-1.ico", r / "res/textures/rock.jpg"); },
     "\nALERT", "Image file ./res/textures/rock.jpg was refused: its format (ICO) is not taken; images must be JPEG, PNG, TGA or BMP.\n",
     true},
    {"tiffAssertionAsJpg", [](const fs::path& r) { copySeed("tiffAssertion-1.tif", r / "res/textures/metal06.jpg"); },
     "\nALERT", "Image file ./res/textures/metal06.jpg was refused: its format (TIFF) is not taken; images must be JPEG, PNG, TGA or BMP.\n",
     true},
    {"sixteenBitPngLoads", [](const fs::path& r) { image(r / "res/textures/brick13.jpg", FIT_UINT16, 64, 64, FIF_PNG); }, "", "",
     true},
    {"directoryForImage", [](const fs::path& r) { replaceByDirectory(r / "res/textures/marble.jpg"); }, "\nALERT",
     "Image file ./res/textures/marble.jpg could not be read: it is a directory, not a file.\n", true},
    {"missingShader", [](const fs::path& r) { fs::remove(r / "shaders/bloomShader.frag"); }, "",
     "Fragment shader file shaders/bloomShader.frag does not exist."},
    {"emptyShader", [](const fs::path& r) { writeBytes(r / "shaders/normalMapTextureShader.vert", ""); },
     "Shader compilation failed.", ""},
    {"shaderThatDoesNotCompile",
     [](const fs::path& r) { writeBytes(r / "shaders/genericTextureShader.frag", "#version 330 core\nvoid main() { nonsense; }\n"); },
     "Shader compilation failed.", ""},
    // The window is multisampled: the picture must still reach it through a valid path.
    {"presentShaderThatDoesNotCompile",
     [](const fs::path& r) { writeBytes(r / "shaders/framebufferShader.frag", "#version 330 core\nvoid main() { nonsense; }\n"); },
     "Shader compilation failed.", "Shader file shaders/framebufferShader.frag did not compile.", true},
    // Every filter and the present pass lose their shared vertex body: the picture still gets through.
    {"missingSharedScreenQuad", [](const fs::path& r) { fs::remove(r / "shaders/screenQuad.glsl"); }, "",
     "Shader file shaders/screenQuad.glsl (included by shaders/bloomShader.vert) does not exist.", true},
    // Not a bad file but a driver without anisotropic filtering: no texture may raise an error.
    {"driverWithoutAnisotropicFiltering", [](const fs::path&) {}, "", "", true,
     "MESA_EXTENSION_OVERRIDE=-GL_EXT_texture_filter_anisotropic -GL_ARB_texture_filter_anisotropic"},
    // A model path that would end the console line and clear the screen: one line, its bytes shown.
    {"modelPathWithNewlineAndEscape",
     [](const fs::path& r) {
         exhibitModelNaming(r, "paint.jpg");
         edit(r / "show/exhibition.json", "models/square.obj", "models/gone\\nModel file /etc/shadow loaded fine\\u001b[2J.obj",
              false);
     },
     "", "/show/models/gone\\x0aModel file /etc/shadow loaded fine\\x1b[2J.obj could not be loaded: it does not exist\n",
     false, nullptr, "show"},
    // A JPEG whose one scan is repeated past the limit: refused before libjpeg spends its time.
    {"jpegScanRepeated",
     [](const fs::path& r) {
         const fs::path file = r / "res/textures/white.jpg";
         std::ifstream in(file, std::ios::binary);
         std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
         const size_t scan = bytes.find("\xff\xda"), end = bytes.rfind("\xff\xd9");
         ASSERT_TRUE(scan != std::string::npos && end != std::string::npos && scan < end);
         std::string repeated = bytes.substr(0, end);
         for (int i = 0; i < 1000; ++i)
             repeated += bytes.substr(scan, end - scan);
         writeBytes(file, repeated + "\xff\xd9");
     },
     "\nALERT", "Image file ./res/textures/white.jpg was refused: it has 1001 scans, more than the 1000 a JPEG may have.\n",
     true},
};

// Share of the window's pixels that are not black.
double litShare(const std::string& displayName, unsigned long window)
{
    Display* d = XOpenDisplay(displayName.c_str());
    if (!d)
        return 0.0;
    XWindowAttributes a;
    XGetWindowAttributes(d, window, &a);
    XImage* image = XGetImage(d, window, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
    long lit = 0;
    for (int y = 0; y < a.height; y += 4)
        for (int x = 0; x < a.width; x += 4)
            lit += (XGetPixel(image, x, y) & 0xffffff) > 0x101010;
    XDestroyImage(image);
    XCloseDisplay(d);
    return static_cast<double>(lit) / ((a.width / 4.0) * (a.height / 4.0));
}

} // namespace

class BadFiles : public ::testing::TestWithParam<BrokenFile> {};

TEST_P(BadFiles, ViewerNamesTheProblemKeepsDrawingAndExitsCleanly)
{
    const BrokenFile& c = GetParam();
    const fs::path root = fs::temp_directory_path() / ("pinakora-bad-" + std::string(c.name) + "-" +
                                                       std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root);
    fs::copy(fs::path(PINAKORA_SOURCE_DIR) / "res", root / "res", fs::copy_options::recursive);
    fs::copy(fs::path(PINAKORA_SOURCE_DIR) / "shaders", root / "shaders", fs::copy_options::recursive);
    c.breakIt(root);

    const char* display = std::getenv("DISPLAY");
    if (!display)
        GTEST_SKIP() << "needs a display (the test command runs under Xvfb)";
    std::string variable;
    if (c.environment) {
        variable = c.environment;
        const size_t equals = variable.find('=');
        setenv(variable.substr(0, equals).c_str(), variable.substr(equals + 1).c_str(), 1);
    }
    {
        ViewerProcess viewer(root.string(), display,
                             c.hall ? std::vector<std::string>{"--hall", c.hall} : std::vector<std::string>{});
        if (c.environment)
            unsetenv(variable.substr(0, variable.find('=')).c_str());
        const unsigned long window = viewer.findWindow(60.0);
        ASSERT_NE(window, 0ul) << viewer.err();
        ASSERT_TRUE(viewer.waitForOutput("FPS: ", 240.0)) << viewer.out() << viewer.err();
        EXPECT_GT(litShare(display, window), 0.3) << "the rest of the hall is still drawn";
        EXPECT_EQ(viewer.closeAndWait(window, 120.0), 0) << viewer.stall() << viewer.err();
        if (*c.expectedOut) {
            EXPECT_NE(viewer.out().find(c.expectedOut), std::string::npos) << viewer.out();
        }
        // Only an image that could not be read at all raises the alert.
        const bool alertExpected = std::string(c.expectedOut).find("ALERT") != std::string::npos;
        EXPECT_EQ(viewer.out().find("\nALERT") != std::string::npos, alertExpected) << viewer.out();
        if (*c.expectedErr) {
            EXPECT_NE(viewer.err().find(c.expectedErr), std::string::npos) << viewer.err();
        }
        if (c.noGLError) {
            EXPECT_EQ(viewer.err().find("GL: "), std::string::npos) << viewer.err();
        }
    }
    fs::remove_all(root);
}

INSTANTIATE_TEST_SUITE_P(OneAtATime, BadFiles, ::testing::ValuesIn(brokenFiles),
                         [](const ::testing::TestParamInfo<BrokenFile>& info) { return std::string(info.param.name); });

using ExhibitionStandIns = HallTest;

// A missing model, a GLB cut short and a PLY of plain text: each is one line naming its
// exhibit, its file and what is wrong (the cut GLB where it ends; the PLY not called of an
// unknown format), and a light grey box of the exhibit's height stands where it would, on
// its pedestal, seen in the frame.
TEST_F(ExhibitionStandIns, UnloadableModelsAreNamedAndStandAsGreyBoxes)
{
    const fs::path root = fs::temp_directory_path() / ("pinakoraStandIns" + std::to_string(::getpid()));
    fs::create_directories(root / "models");
    std::string glb("glTF", 4);
    for (uint32_t word : {2u, 5400u, 5388u, 0x4e4f534au})
        glb.append(reinterpret_cast<const char*>(&word), 4);
    glb.resize(1200, ' ');
    writeBytes(root / "models" / "cut.glb", glb);
    writeBytes(root / "models" / "junk.ply", "these are notes, not a model\n");
    std::ofstream(root / "exhibition.json") << R"({ "format": "pinakora-exhibition/1",
      "room": { "size": [2000, 800, 2000] }, "lights": [ { "position": [600, 700, 900], "color": [0.4, 0.4, 0.4] } ],
      "exhibits": [ { "model": "models/gone.obj", "position": [-300, 0, 0], "height": 200,
                      "pedestal": { "size": [220, 110, 220] } },
                    { "model": "models/cut.glb", "position": [300, 0, 0] },
                    { "model": "models/junk.ply", "at": [0, 0, -600], "height": 50 } ] })";
    const std::string folder = fs::canonical(root).string();
    ConsoleCapture console;
    ASSERT_TRUE(openExhibition(defaultApplication(), root.string()));
    const std::string err = console.err();
    for (const std::string& line :
         {"exhibits[0]: model file " + folder + "/models/gone.obj could not be loaded: it does not exist\n",
          "exhibits[1]: model file " + folder + "/models/cut.glb could not be loaded: damaged: ends at byte 1200 of 5400\n",
          "exhibits[2]: model file " + folder + "/models/junk.ply could not be loaded: damaged or not a valid PLY file"})
        EXPECT_NE(err.find(line), std::string::npos) << err;
    EXPECT_EQ(err.find("No suitable reader"), std::string::npos) << err;

    // The stand-ins, by exhibit: a box of the height (else 100) standing where the model would.
    struct Expected {
        glm::vec3 floorPoint;
        float side;
    };
    const Expected expected[] = {{{-300, 110, 0}, 200}, {{300, 0, 0}, 100}, {{0, 0, -600}, 50}};
    std::vector<EngineObject*> boxes;
    for (const auto& [id, object] : sceneObjects)
        if (object->role == ObjectRole::Exhibit)
            boxes.push_back(object);
    ASSERT_EQ(boxes.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const Extent box = extentOf(boxes[i]->model, boxes[i]->modelMatrix);
        EXPECT_NEAR(box.low.y, expected[i].floorPoint.y, 1e-2f);
        for (int axis = 0; axis < 3; ++axis)
            EXPECT_NEAR(box.high[axis] - box.low[axis], expected[i].side, 1e-2f);
        EXPECT_NEAR(0.5f * (box.low.x + box.high.x), expected[i].floorPoint.x, 1e-2f);
        EXPECT_NEAR(0.5f * (box.low.z + box.high.z), expected[i].floorPoint.z, 1e-2f);
    }

    camera.eye = glm::vec3(-300, 300, 700);
    camera.target = glm::vec3(-300, 210, 0);
    updateBasis();
    animatedFrame(0.0, 0.0, false);
    // The first box's middle: what the frame shows there with the box and without it.
    const glm::vec3 at = projectToScreen(glm::vec3(-300, 210, 0));
    const glm::vec3 colour = meanColor(readPresentedFrame(), static_cast<int>(at.x), static_cast<int>(at.y), 3);
    sceneObjects.erase(*boxes[0]->id);
    animatedFrame(0.0, 0.0, false);
    const glm::vec3 behind = meanColor(readPresentedFrame(), static_cast<int>(at.x), static_cast<int>(at.y), 3);
    EXPECT_GT(glm::length(colour - behind), 0.1f) << "the box is seen there";
    EXPECT_GT(colour.g, 0.15f) << "lit";
    EXPECT_LT(std::max({std::abs(colour.r - colour.g), std::abs(colour.g - colour.b)}), 0.06f) << "a neutral grey";
    EXPECT_TRUE(drainGLErrors().empty());
    fs::remove_all(root);
}

// One model and one picture named by 50 exhibits under 50 spellings of their paths (`//`,
// `./`, a hard link, a link inside the folder), and by the model's own material: each file
// is imported or decoded once, one record and one GL texture for all its names.
TEST_F(ExhibitionStandIns, OneFileUnderManyPathsIsReadOnce)
{
    const fs::path root = fs::temp_directory_path() / ("pinakoraSpellings" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "models");
    fs::create_directories(root / "textures");
    std::ofstream(root / "models" / "box.obj") << "mtllib box.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
                                                  "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 0 1\nusemtl paint\n"
                                                  "f 1/1/1 2/2/1 3/3/1\nf 1/1/1 3/3/1 4/4/1\n";
    std::ofstream(root / "models" / "box.mtl") << "newmtl paint\nKd 1 1 1\nmap_Kd ../textures//paint.png\n";
    image(root / "textures" / "paint.png", FIT_BITMAP, 64, 64, FIF_PNG);
    fs::create_hard_link(root / "models" / "box.obj", root / "models" / "hard.obj");
    fs::create_symlink("box.obj", root / "models" / "link.obj");
    fs::create_hard_link(root / "textures" / "paint.png", root / "textures" / "hard.png");
    fs::create_symlink("../textures/paint.png", root / "models" / "paint.png");
    std::string exhibits;
    for (int i = 0; i < 50; ++i) {
        std::string dots;
        for (int d = 0; d < i / 4; ++d)
            dots += d % 2 ? ".//" : "./";
        const char* models[] = {"models/box.obj", "models//box.obj", "models/hard.obj", "models/./link.obj"};
        const char* pictures[] = {"textures/paint.png", "textures//hard.png", "models/paint.png", "./textures/paint.png"};
        exhibits += std::string(i ? ", " : "") + "{ \"model\": \"" + dots + models[i % 4] + "\", \"at\": [" +
                    std::to_string(-1500 + 300 * (i % 10)) + ", 100, " + std::to_string(-1200 + 600 * (i / 10)) +
                    "], \"height\": 50, \"material\": { \"texture\": \"" + dots + pictures[i % 4] + "\" } }";
    }
    std::ofstream(root / "exhibition.json") << R"({ "format": "pinakora-exhibition/1",
      "room": { "size": [4000, 800, 4000] }, "lights": [ { "position": [0, 700, 0], "color": [0.4, 0.4, 0.4] } ],
      "exhibits": [ )" << exhibits << " ] }";
    ConsoleCapture console;
    ASSERT_TRUE(openExhibition(defaultApplication(), root.string()));
    EXPECT_EQ(console.err().find("could not"), std::string::npos) << console.err();
    const Assets& assets = defaultApplication().assets;
    ASSERT_GE(assets.exhibitionModelFiles.size(), 4u) << "the exhibition names its model under many paths";
    std::set<const ModelData*> records;
    for (const ModelFile& file : assets.exhibitionModelFiles)
        records.insert(getModel(assets, file.key));
    ASSERT_EQ(records.size(), 1u) << "one import for every path of one file";
    const ModelData* model = *records.begin();
    ASSERT_TRUE(model && !model->materials.empty() && model->indices.size() == 6u);
    ASSERT_GE(assets.exhibitionTextureFiles.size(), 4u);
    std::set<GLuint> names;
    for (const TextureFile& file : assets.exhibitionTextureFiles)
        if (const Texture* texture = findTexture(assets, static_cast<unsigned int>(file.key)))
            names.insert(texture->id);
    const Texture* modelsOwn = findTexture(assets, model->materials[0].textureKey);
    ASSERT_NE(modelsOwn, nullptr) << "the model's own picture is loaded";
    names.insert(modelsOwn->id);
    EXPECT_EQ(names.size(), 1u) << "one GL texture for every path of one picture";
    EXPECT_NE(*names.begin(), 0u);
    size_t exhibitModels = 0;
    for (const auto& [id, object] : sceneObjects)
        exhibitModels += object->role == ObjectRole::Exhibit && object->model == model;
    EXPECT_EQ(exhibitModels, 50u) << "every exhibit shows the one model";
    // Opened again, the shared record goes once and comes back once.
    const size_t recordCount = assets.modelRecords.size();
    ASSERT_TRUE(openExhibition(defaultApplication(), root.string()));
    EXPECT_EQ(assets.modelRecords.size(), recordCount);
    EXPECT_TRUE(drainGLErrors().empty());
    fs::remove_all(root);
}

// Models and pictures past the exhibition's totals (made small here): in file order, the
// model that would pass the vertex total stands in as a box and the picture that would pass
// the pixel total draws mid-grey, each named by its total in one line; what keeps within
// them before and after is drawn as ever.
TEST_F(ExhibitionStandIns, WhatWouldPassTheTotalsStandsInNamedByTheTotal)
{
    const fs::path root = fs::temp_directory_path() / ("pinakoraTotals" + std::to_string(::getpid()));
    fs::create_directories(root / "models");
    fs::create_directories(root / "images");
    const std::string triangle = "v -1 0 0\nv 1 0 0\nv 0 2 0\nvt 0 0\nvt 1 0\nvt 0 1\nf 1/1 2/2 3/3\n";
    writeBytes(root / "models" / "first.obj", triangle);
    writeBytes(root / "models" / "box.obj", "v -1 0 -1\nv 1 0 -1\nv 1 2 -1\nv -1 2 -1\nv -1 0 1\nv 1 0 1\nv 1 2 1\n"
                                            "v -1 2 1\nf 1 3 2\nf 1 4 3\nf 5 6 7\nf 5 7 8\nf 4 8 7\nf 4 7 3\n");
    writeBytes(root / "models" / "last.obj", triangle);
    image(root / "images" / "small.png", FIT_BITMAP, 2, 2, FIF_PNG);
    image(root / "images" / "large.png", FIT_BITMAP, 8, 8, FIF_PNG);
    std::ofstream(root / "exhibition.json") << R"({ "format": "pinakora-exhibition/1",
      "room": { "size": [2000, 800, 2000] }, "lights": [ { "position": [600, 700, 900] } ],
      "exhibits": [ { "model": "models/first.obj", "position": [-300, 0, 0], "height": 200,
                      "material": { "texture": "images/small.png", "color": [0, 1, 0] } },
                    { "model": "models/box.obj", "position": [0, 0, 0], "height": 150 },
                    { "model": "models/last.obj", "position": [300, 0, 0], "height": 200,
                      "material": { "texture": "images/large.png" } } ] })";
    const std::string folder = fs::canonical(root).string();
    // Three vertices a triangle, at least eight the box; four pixels the small picture, 64 the large.
    Assets& assets = defaultApplication().assets;
    const AssetTotals defaults = assets.budget.most;
    assets.budget.most = AssetTotals{10, 16, defaults.gpuBytes};
    ConsoleCapture console;
    const bool opened = openExhibition(defaultApplication(), root.string());
    assets.budget.most = defaults;
    ASSERT_TRUE(opened);
    const std::string err = console.err();
    for (const std::string& line :
         {"exhibits[1]: model file " + folder + "/models/box.obj would pass the exhibition's total of 10 vertices; it "
                                                "is shown as a stand-in.\n",
          "exhibits[2]: image file " + folder + "/images/large.png would pass the exhibition's total of 16 texture "
                                                "pixels; it is drawn mid-grey.\n"})
        EXPECT_NE(err.find(line), std::string::npos) << err;
    EXPECT_EQ(err.find("first.obj"), std::string::npos) << err;
    EXPECT_EQ(err.find("last.obj"), std::string::npos) << err;
    EXPECT_EQ(err.find("small.png"), std::string::npos) << err;

    std::vector<EngineObject*> exhibits;
    for (const auto& [id, object] : sceneObjects)
        if (object->role == ObjectRole::Exhibit)
            exhibits.push_back(object);
    ASSERT_EQ(exhibits.size(), 3u);
    EXPECT_EQ(exhibits[0]->model->vertexCount, 3u);
    EXPECT_EQ(exhibits[2]->model->vertexCount, 3u) << "admitted after the one that would have passed";
    const Extent box = extentOf(exhibits[1]->model, exhibits[1]->modelMatrix);
    EXPECT_NEAR(box.high.y - box.low.y, 150.0f, 1e-2f) << "the stand-in box of the exhibit's height";
    // The large picture's texture: one mid-grey texel, as GL holds it.
    ASSERT_NE(exhibits[2]->texture, nullptr);
    GLint width = 0;
    glBindTexture(GL_TEXTURE_2D, exhibits[2]->texture->id);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    unsigned char texel[4] = {0, 0, 0, 0};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(width, 1);
    EXPECT_EQ(texel[0], 128);
    EXPECT_EQ(texel[1], 128);
    EXPECT_EQ(texel[2], 128);

    // The first exhibit, admitted, is seen where it stands.
    camera.eye = glm::vec3(-300, 200, 600);
    camera.target = glm::vec3(-300, 100, 0);
    updateBasis();
    animatedFrame(0.0, 0.0, false);
    const glm::vec3 at = projectToScreen(glm::vec3(-300, 60, 0));
    const glm::vec3 colour = meanColor(readPresentedFrame(), static_cast<int>(at.x), static_cast<int>(at.y), 2);
    sceneObjects.erase(*exhibits[0]->id);
    animatedFrame(0.0, 0.0, false);
    const glm::vec3 behind = meanColor(readPresentedFrame(), static_cast<int>(at.x), static_cast<int>(at.y), 2);
    EXPECT_GT(glm::length(colour - behind), 0.05f) << "the triangle is seen there";
    EXPECT_TRUE(drainGLErrors().empty());
    fs::remove_all(root);
}
