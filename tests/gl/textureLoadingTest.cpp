// The texture table on a real context: the 27 keys, what each GL texture holds, and
// images that are missing, greyscale, palette, 32-bit, 16-bit, TGA, BMP, misnamed, cut off
// or of a format not taken.
#include "assets/textures.h"
#include "tests/gl/glTestContext.h"
#include "tests/unit/defaultNames.h"

#include <FreeImage.h>
#include <glm/glm.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

GLint levelSize(GLenum what, int level)
{
    GLint value = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, what, &value);
    return value;
}

// Level 0 of the bound texture as tightly packed BGR rows, bottom row first.
std::vector<unsigned char> readLevel0()
{
    const GLint w = levelSize(GL_TEXTURE_WIDTH, 0), h = levelSize(GL_TEXTURE_HEIGHT, 0);
    std::vector<unsigned char> pixels(static_cast<size_t>(std::max(w, 0)) * std::max(h, 0) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGR, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return pixels;
}

// A flat mid-grey JPEG, progressive (libjpeg's six scans for one component) or not (one
// scan), with its last scan repeated `repeats` more times and `comments` empty comment
// segments after its start: small files that ask a decoder for much work.
std::string heavyJpeg(int width, int height, bool progressive, int repeats, int comments)
{
    FIBITMAP* grey = FreeImage_Allocate(width, height, 8);
    RGBQUAD* palette = FreeImage_GetPalette(grey);
    for (int i = 0; i < 256; ++i)
        palette[i].rgbRed = palette[i].rgbGreen = palette[i].rgbBlue = static_cast<BYTE>(i);
    for (int y = 0; y < height; ++y)
        std::fill_n(FreeImage_GetScanLine(grey, y), width, BYTE(128));
    FIMEMORY* memory = FreeImage_OpenMemory();
    FreeImage_SaveToMemory(FIF_JPEG, grey, memory, progressive ? JPEG_PROGRESSIVE : 0);
    BYTE* data = nullptr;
    DWORD size = 0;
    FreeImage_AcquireMemory(memory, &data, &size);
    std::string bytes(reinterpret_cast<const char*>(data), size);
    FreeImage_CloseMemory(memory);
    FreeImage_Unload(grey);
    const size_t end = bytes.size() - 2, lastScan = bytes.rfind("\xff\xda");
    const std::string scan = bytes.substr(lastScan, end - lastScan);
    bytes.resize(end);
    for (int i = 0; i < repeats; ++i)
        bytes += scan;
    bytes += "\xff\xd9";
    std::string comment("\xff\xfe\x00\x02", 4), allComments;
    for (int i = 0; i < comments; ++i)
        allComments += comment;
    return bytes.insert(2, allComments);
}

// A 16 x 16 PNG with `chunks` small zTXt chunks after its header (their CRCs unchecked:
// the file is judged before libpng reads it).
std::string pngWithTexts(int chunks)
{
    FIBITMAP* image = FreeImage_Allocate(16, 16, 24);
    FIMEMORY* memory = FreeImage_OpenMemory();
    FreeImage_SaveToMemory(FIF_PNG, image, memory, 0);
    BYTE* data = nullptr;
    DWORD size = 0;
    FreeImage_AcquireMemory(memory, &data, &size);
    std::string bytes(reinterpret_cast<const char*>(data), size);
    FreeImage_CloseMemory(memory);
    FreeImage_Unload(image);
    const std::string text("\0\0\0\x05zTXtk\0\0\x78\x9c\0\0\0\0", 17);
    for (int i = 0; i < chunks; ++i)
        bytes.insert(33, text);  // after the signature and IHDR
    return bytes;
}

class TextureLoading : public GLTest {
protected:
    static void SetUpTestSuite()
    {
        GLTest::SetUpTestSuite();
        FreeImage_Initialise();
    }
    void SetUp() override
    {
        GLTest::SetUp();
        scratch = fs::temp_directory_path() / ("pinakora-textures-" + std::to_string(::getpid()));
        fs::create_directories(scratch);
    }
    void TearDown() override
    {
        fs::remove_all(scratch);
        textureDirectory = "./res/textures/";
    }

    Texture* load(const fs::path& path, short key)
    {
        loadTexture(path.string(), key, GL_BGR, GL_RGB);
        return TextureLoader::getInstance().textures[static_cast<unsigned int>(key)];
    }

    fs::path scratch;
};

TEST_F(TextureLoading, HallListGivesEveryTextureMipmapped)
{
    textureDirectory = sourceDir() + "/res/textures/";
    TextureLoader& loader = TextureLoader::getInstance();
    loader.textures.clear();
    loadTextures();
    ASSERT_EQ(loader.textures.size(), hallTextureFiles().size());
    EXPECT_EQ(&TextureLoader::getInstance(), &loader);
    const bool anisotropic = epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic");
    for (const auto& entry : textureList) {
        SCOPED_TRACE(entry.file);
        ASSERT_EQ(loader.textures.count(static_cast<unsigned int>(entry.key)), 1u);
        const Texture* texture = loader.textures[static_cast<unsigned int>(entry.key)];
        EXPECT_EQ(texture->key, entry.key);
        ASSERT_TRUE(glIsTexture(texture->id));

        const std::string path = textureDirectory + entry.file;
        FIBITMAP* image = FreeImage_Load(FreeImage_GetFileType(path.c_str(), 0), path.c_str(), 0);
        ASSERT_NE(image, nullptr);
        ASSERT_EQ(FreeImage_GetBPP(image), 24u) << "the hall's images are 24-bit colour";
        const int width = static_cast<int>(FreeImage_GetWidth(image));
        const int height = static_cast<int>(FreeImage_GetHeight(image));

        glBindTexture(GL_TEXTURE_2D, texture->id);
        EXPECT_EQ(levelSize(GL_TEXTURE_WIDTH, 0), width);
        EXPECT_EQ(levelSize(GL_TEXTURE_HEIGHT, 0), height);
        const int lastLevel = static_cast<int>(std::log2(std::max(width, height)));
        EXPECT_EQ(levelSize(GL_TEXTURE_WIDTH, lastLevel), 1) << "mipmap chain";
        GLint value = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
        EXPECT_EQ(value, GL_LINEAR_MIPMAP_LINEAR);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
        EXPECT_EQ(value, GL_LINEAR);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
        EXPECT_EQ(value, GL_REPEAT);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
        EXPECT_EQ(value, GL_REPEAT);
        if (anisotropic) {
            GLfloat anisotropy = 0.0f;
            glGetTexParameterfv(GL_TEXTURE_2D, 0x84FE, &anisotropy);
            EXPECT_EQ(anisotropy, 8.0f);
        }
        // Level 0 holds the decoded rows as they are: same order, same channels.
        const std::vector<unsigned char> texels = readLevel0();
        bool same = true;
        for (int y = 0; y < height && same; ++y)
            same = std::equal(texels.begin() + static_cast<long>(y) * width * 3,
                              texels.begin() + static_cast<long>(y + 1) * width * 3, FreeImage_GetScanLine(image, y));
        EXPECT_TRUE(same) << "texels differ from the decoded image";
        FreeImage_Unload(image);
    }
    EXPECT_TRUE(drainGLErrors().empty());
}

TEST_F(TextureLoading, MissingFileAlertsWithoutEndingTheLine)
{
    ConsoleCapture console;
    Texture* texture = load(scratch / "nothing.jpg", 40);
    std::cout << "next" << std::flush;
    EXPECT_EQ(console.out(), "\nALERTnext");
    EXPECT_EQ(console.err(), "Image file " + (scratch / "nothing.jpg").string() + " does not exist.\n");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->key, 40);
    EXPECT_TRUE(glIsTexture(texture->id));
    glBindTexture(GL_TEXTURE_2D, texture->id);
    EXPECT_EQ(levelSize(GL_TEXTURE_WIDTH, 0), 0);
    drainGLErrors();
}

TEST_F(TextureLoading, BrokenFileAlertsToo)
{
    std::ofstream(scratch / "broken.jpg", std::ios::binary) << "\xff\xd8\xff\xe0 truncated";
    ConsoleCapture console;
    load(scratch / "broken.jpg", 41);
    EXPECT_NE(console.out().find("\nALERT"), std::string::npos);
    EXPECT_NE(console.err().find("Image file " + (scratch / "broken.jpg").string()), std::string::npos)
        << console.err();
    drainGLErrors();
}

// A JPEG cut off mid-way still decodes (the rest comes out grey), but the user is told
// which file is damaged.
TEST_F(TextureLoading, CutOffJpegNamesTheFile)
{
    const fs::path whole = fs::path(sourceDir()) / "res/textures/brick01.jpg";
    std::ifstream in(whole, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 1000u);
    const fs::path cut = scratch / "cut.jpg";
    std::ofstream(cut, std::ios::binary) << bytes.substr(0, bytes.size() / 3);
    ConsoleCapture console;
    Texture* texture = load(cut, 43);
    const std::string err = console.err();
    EXPECT_EQ(err.rfind("Image file " + cut.string() + ": ", 0), 0u) << err;
    ASSERT_NE(texture, nullptr);
    drainGLErrors();
}

// Images FreeImage decodes to something other than 24-bit BGR: each must reach GL
// as the colours it shows.
struct OddImageCase {
    const char* name;
    const char* file;
    FREE_IMAGE_FORMAT format;
    unsigned int bpp;
    int tolerance;  // JPEG is lossy
    FREE_IMAGE_TYPE type = FIT_BITMAP;  // FIT_UINT16 or FIT_RGB16: 16 bits a sample, here 257 x the 8-bit value
};

void PrintTo(const OddImageCase& c, std::ostream* os) { *os << c.name; }

class OddImage : public TextureLoading, public ::testing::WithParamInterface<OddImageCase> {};

// Texel colour of the test pattern: strong vertical bands, so JPEG keeps them.
glm::ivec3 pattern(int x, int y)
{
    const int band = x / 8;
    return {band == 0 ? 230 : 30, band == 1 ? 200 : 40, y < 8 ? 60 : 180};
}

TEST_P(OddImage, ReachesGLAsItsColours)
{
    const OddImageCase& c = GetParam();
    const int width = 21, height = 16;  // 21 * 3 bytes is not a multiple of 4
    FIBITMAP* image = c.type == FIT_BITMAP ? FreeImage_Allocate(width, height, static_cast<int>(c.bpp))
                                           : FreeImage_AllocateT(c.type, width, height);
    ASSERT_NE(image, nullptr);
    // A palette PNG gets a colour palette; the JPEG keeps the default grey ramp.
    const bool colourPalette = c.bpp == 8 && c.type == FIT_BITMAP && c.format == FIF_PNG;
    if (colourPalette) {
        RGBQUAD* palette = FreeImage_GetPalette(image);
        for (int i = 0; i < 256; ++i)
            palette[i] = {static_cast<BYTE>(i / 2), static_cast<BYTE>(255 - i), static_cast<BYTE>(i), 0};
    }
    for (int y = 0; y < height; ++y) {
        BYTE* row = FreeImage_GetScanLine(image, y);
        for (int x = 0; x < width; ++x) {
            const glm::ivec3 p = pattern(x, y);
            if (c.type == FIT_UINT16) {
                reinterpret_cast<uint16_t*>(row)[x] = static_cast<uint16_t>(p.z * 257);
            } else if (c.type == FIT_RGB16) {
                reinterpret_cast<FIRGB16*>(row)[x] = {static_cast<WORD>(p.x * 257), static_cast<WORD>(p.y * 257),
                                                      static_cast<WORD>(p.z * 257)};
            } else if (c.bpp == 8) {
                row[x] = static_cast<BYTE>(p.z);  // a palette index
            } else {
                const int step = static_cast<int>(c.bpp / 8);
                row[step * x + FI_RGBA_RED] = static_cast<BYTE>(p.x);
                row[step * x + FI_RGBA_GREEN] = static_cast<BYTE>(p.y);
                row[step * x + FI_RGBA_BLUE] = static_cast<BYTE>(p.z);
                if (step == 4)
                    row[step * x + FI_RGBA_ALPHA] = 200;  // not opaque, so the file stays RGBA
            }
        }
    }
    const fs::path path = scratch / c.file;
    ASSERT_TRUE(FreeImage_Save(c.format, image, path.string().c_str(), 0));
    FreeImage_Unload(image);

    ConsoleCapture console;
    Texture* texture = load(path, 42);
    EXPECT_EQ(console.out(), "");
    EXPECT_EQ(console.err(), "");
    glBindTexture(GL_TEXTURE_2D, texture->id);
    ASSERT_EQ(levelSize(GL_TEXTURE_WIDTH, 0), width);
    ASSERT_EQ(levelSize(GL_TEXTURE_HEIGHT, 0), height);
    const std::vector<unsigned char> texels = readLevel0();
    int worst = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const glm::ivec3 p = pattern(x, y);
            const glm::ivec3 want = colourPalette ? glm::ivec3(p.z, 255 - p.z, p.z / 2)
                                    : c.bpp == 8  ? glm::ivec3(p.z)
                                                  : p;
            const unsigned char* t = &texels[(static_cast<size_t>(y) * width + x) * 3];
            // Texels away from band edges, where JPEG blurs.
            if (x % 8 == 0 || x % 8 == 7 || y == 7 || y == 8)
                continue;
            worst = std::max({worst, std::abs(t[2] - want.x), std::abs(t[1] - want.y), std::abs(t[0] - want.z)});
        }
    EXPECT_LE(worst, c.tolerance);
    EXPECT_TRUE(drainGLErrors().empty());
}

INSTANTIATE_TEST_SUITE_P(Conversions, OddImage,
                         ::testing::Values(OddImageCase{"greyscaleJpeg", "grey.jpg", FIF_JPEG, 8, 12},
                                           OddImageCase{"pngNamedJpg", "png.jpg", FIF_PNG, 24, 0},
                                           OddImageCase{"rgbaPngNamedJpg", "rgba.jpg", FIF_PNG, 32, 0},
                                           OddImageCase{"palettePngNamedJpg", "palette.jpg", FIF_PNG, 8, 0},
                                           OddImageCase{"grey16PngNamedJpg", "grey16.jpg", FIF_PNG, 8, 0, FIT_UINT16},
                                           OddImageCase{"rgb16PngNamedJpg", "rgb16.jpg", FIF_PNG, 24, 0, FIT_RGB16}),
                         [](const ::testing::TestParamInfo<OddImageCase>& info) { return info.param.name; });

// Files made byte by byte in the forms exhibitions bring from other tools: TGA (true
// colour, run-length with alpha, colour-mapped, grey), BMP (padded rows, palette,
// top-down bit fields) and PNG with 16-bit samples or grey and alpha. Each must reach GL
// as exactly its colours, alpha dropped, 16-bit samples by their high bytes.
struct HandMadeImage {
    const char* name;
    std::string bytes;
    bool grey = false;  // holds greyOf rather than colourOf
};

void PrintTo(const HandMadeImage& c, std::ostream* os) { *os << c.name; }

constexpr int madeWidth = 5, madeHeight = 3;  // 5 * 3 bytes: BMP rows get padding

glm::ivec3 colourOf(int x, int y) { return {40 * x + 20, 200 - 60 * y, (x * y * 37 + 90) % 256}; }
int greyOf(int x, int y) { return (x * 50 + y * 17) % 256; }
int alphaOf(int x, int y) { return 255 - 30 * x - y; }

std::string littleEndian(uint32_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(value >> (8 * i));
    return out;
}

std::string bigEndian(uint32_t value, int bytes)
{
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out += static_cast<char>(value >> (8 * i));
    return out;
}

// `pixel(x, y)` for every pixel, rows top first or bottom first.
std::string rowsOf(const std::function<std::string(int, int)>& pixel, bool topFirst, int padTo = 1)
{
    std::string out;
    for (int i = 0; i < madeHeight; ++i) {
        std::string row;
        for (int x = 0; x < madeWidth; ++x)
            row += pixel(x, topFirst ? i : madeHeight - 1 - i);
        out += row + std::string((padTo - row.size() % padTo) % padTo, '\0');
    }
    return out;
}

std::string bgr(int x, int y)
{
    const glm::ivec3 c = colourOf(x, y);
    return {static_cast<char>(c.z), static_cast<char>(c.y), static_cast<char>(c.x)};
}

std::string tgaHeader(int type, int bits, bool topFirst, int mapEntries = 0)
{
    return std::string(1, '\0') + static_cast<char>(mapEntries ? 1 : 0) + static_cast<char>(type) + littleEndian(0, 2) +
           littleEndian(mapEntries, 2) + static_cast<char>(mapEntries ? 24 : 0) + littleEndian(0, 4) +
           littleEndian(madeWidth, 2) + littleEndian(madeHeight, 2) + static_cast<char>(bits) +
           static_cast<char>((topFirst ? 0x20 : 0) | (bits == 32 ? 8 : 0));
}

// Run-length packets over whole rows, top first: a repeat packet for each row's first
// three pixels (the test's colours are made equal there), raw packets for the rest.
std::string tgaRunLength(const std::function<std::string(int, int)>& pixel)
{
    std::string out;
    for (int y = 0; y < madeHeight; ++y)
        out += static_cast<char>(0x80 | 2) + pixel(0, y) + static_cast<char>(1) + pixel(3, y) + pixel(4, y);
    return out;
}

std::string bmpFile(int bits, int32_t height, const std::string& palette, const std::string& rows, int compression = 0)
{
    const std::string masks = compression == 3 ? littleEndian(0xff0000, 4) + littleEndian(0xff00, 4) + littleEndian(0xff, 4) : "";
    const uint32_t offset = static_cast<uint32_t>(54 + masks.size() + palette.size());
    return "BM" + littleEndian(offset + static_cast<uint32_t>(rows.size()), 4) + littleEndian(0, 4) + littleEndian(offset, 4) +
           littleEndian(40, 4) + littleEndian(madeWidth, 4) + littleEndian(static_cast<uint32_t>(height), 4) +
           littleEndian(1, 2) + littleEndian(bits, 2) + littleEndian(compression, 4) +
           littleEndian(static_cast<uint32_t>(rows.size()), 4) + std::string(16, '\0') + masks + palette + rows;
}

uint32_t crc32Of(const std::string& bytes)
{
    uint32_t crc = 0xffffffffu;
    for (char c : bytes) {
        crc ^= static_cast<unsigned char>(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A PNG of one IDAT whose zlib stream keeps the rows in one stored (uncompressed) block.
std::string pngFile(int colourType, int depth, const std::function<std::string(int, int)>& pixel)
{
    std::string raw;
    for (int y = 0; y < madeHeight; ++y) {
        raw += '\0';  // no filter
        for (int x = 0; x < madeWidth; ++x)
            raw += pixel(x, y);
    }
    uint32_t a = 1, b = 0;
    for (char c : raw)
        a = (a + static_cast<unsigned char>(c)) % 65521, b = (b + a) % 65521;
    const std::string zlib = std::string("\x78\x01\x01", 3) + littleEndian(static_cast<uint32_t>(raw.size()), 2) +
                             littleEndian(~static_cast<uint32_t>(raw.size()) & 0xffff, 2) + raw + bigEndian(b << 16 | a, 4);
    const auto chunk = [](const std::string& type, const std::string& data) {
        return bigEndian(static_cast<uint32_t>(data.size()), 4) + type + data + bigEndian(crc32Of(type + data), 4);
    };
    return "\x89PNG\r\n\x1a\n" +
           chunk("IHDR", bigEndian(madeWidth, 4) + bigEndian(madeHeight, 4) + static_cast<char>(depth) +
                             static_cast<char>(colourType) + std::string(3, '\0')) +
           chunk("IDAT", zlib) + chunk("IEND", "");
}

std::vector<HandMadeImage> handMadeImages()
{
    const auto bgra = [](int x, int y) { return bgr(x, y) + static_cast<char>(alphaOf(x, y)); };
    const auto greyByte = [](int x, int y) { return std::string(1, static_cast<char>(greyOf(x, y))); };
    // Index 2 + x + y of a palette whose entry i is the colour of pixel (i - 2, 0): the
    // test's colour at (x + y, 0) where x + y < 5, so only those pixels are asked for.
    std::string bmpPalette, tgaMap;
    for (int i = 0; i < 10; ++i) {
        bmpPalette += bgr(std::clamp(i - 2, 0, 4), 0) + '\0';
        tgaMap += bgr(std::clamp(i - 2, 0, 4), 0);
    }
    const auto index = [](int x, int y) { return std::string(1, static_cast<char>(2 + x + y)); };
    return {
        {"tgaTrueColour", tgaHeader(2, 24, false) + rowsOf(bgr, false)},
        {"tgaRunLengthWithAlphaTopFirst", tgaHeader(10, 32, true) + tgaRunLength(bgra)},
        {"tgaColourMappedRunLength", tgaHeader(9, 8, true, 10) + tgaMap + tgaRunLength(index)},
        {"tgaGrey", tgaHeader(3, 8, false) + rowsOf(greyByte, false), true},
        {"bmpPaddedRows", bmpFile(24, madeHeight, "", rowsOf(bgr, false, 4))},
        {"bmpPalette", bmpFile(8, madeHeight, bmpPalette, rowsOf(index, false, 4))},
        {"bmpBitFieldsTopFirst", bmpFile(32, -madeHeight, "", rowsOf(bgra, true), 3)},
        {"pngGreyAlpha", pngFile(4, 8, [&greyByte](int x, int y) { return greyByte(x, y) + static_cast<char>(alphaOf(x, y)); }), true},
        {"pngGreyAlpha16", pngFile(4, 16, [](int x, int y) { return bigEndian(greyOf(x, y) * 257 + 3, 2) + bigEndian(alphaOf(x, y) * 257, 2); }),
         true},
        {"pngRgba16", pngFile(6, 16, [](int x, int y) {
             const glm::ivec3 c = colourOf(x, y);
             return bigEndian(c.x * 257 + 5, 2) + bigEndian(c.y * 257 + 5, 2) + bigEndian(c.z * 257 + 5, 2) + bigEndian(7, 2);
         })},
    };
}

class HandMade : public TextureLoading, public ::testing::WithParamInterface<HandMadeImage> {};

TEST_P(HandMade, ReachesGLAsExactlyItsColours)
{
    const HandMadeImage& c = GetParam();
    const fs::path path = scratch / (std::string(c.name) + ".jpg");  // the name says nothing
    std::ofstream(path, std::ios::binary) << c.bytes;
    ConsoleCapture console;
    Texture* texture = load(path, 46);
    EXPECT_EQ(console.out(), "");
    EXPECT_EQ(console.err(), "");
    glBindTexture(GL_TEXTURE_2D, texture->id);
    ASSERT_EQ(levelSize(GL_TEXTURE_WIDTH, 0), madeWidth);
    ASSERT_EQ(levelSize(GL_TEXTURE_HEIGHT, 0), madeHeight);
    const std::vector<unsigned char> texels = readLevel0();  // bottom row first
    const bool indexed = std::string(c.name).find("Palette") != std::string::npos ||
                         std::string(c.name).find("ColourMapped") != std::string::npos;
    const bool runLength = std::string(c.name).find("RunLength") != std::string::npos;
    for (int y = 0; y < madeHeight; ++y)
        for (int x = 0; x < madeWidth; ++x) {
            glm::ivec3 want = c.grey ? glm::ivec3(greyOf(x, y)) : indexed ? colourOf(x + y, 0) : colourOf(x, y);
            if (runLength && x < 3)  // a repeat packet: the row's first pixel three times
                want = indexed ? colourOf(y, 0) : colourOf(0, y);
            if (indexed && x + y >= madeWidth)
                continue;
            const unsigned char* t = &texels[(static_cast<size_t>(madeHeight - 1 - y) * madeWidth + x) * 3];
            EXPECT_EQ(glm::ivec3(t[2], t[1], t[0]), want) << "pixel " << x << ", " << y;
        }
    EXPECT_TRUE(drainGLErrors().empty());
}

INSTANTIATE_TEST_SUITE_P(Forms, HandMade, ::testing::ValuesIn(handMadeImages()),
                         [](const ::testing::TestParamInfo<HandMadeImage>& info) { return info.param.name; });

// TGA and BMP files other tools wrote, the textures of third-party models, decode to the
// pixels FreeImage's own readers of these formats give.
TEST_F(TextureLoading, ThirdPartyTgaAndBmpFilesDecodeAsAnotherReaderReadsThem)
{
    const fs::path models = "/usr/share/assimp/models";
    if (!fs::is_directory(models))
        GTEST_SKIP() << "no " << models << " (Debian's assimp-testmodels)";
    int checked = 0;
    for (const auto& entry : fs::recursive_directory_iterator(models)) {
        std::string extension = entry.path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
        if (extension != ".tga" && extension != ".bmp")
            continue;
        SCOPED_TRACE(entry.path().string());
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string problem;
        FIBITMAP* ours = decodeImageBytes(bytes, ImageLimits(), problem);
        ASSERT_NE(ours, nullptr) << problem;
        FIBITMAP* loaded = FreeImage_Load(extension == ".tga" ? FIF_TARGA : FIF_BMP, entry.path().c_str(), 0);
        ASSERT_NE(loaded, nullptr);
        FIBITMAP* theirs = FreeImage_ConvertTo24Bits(loaded);
        FreeImage_Unload(loaded);
        const unsigned int width = FreeImage_GetWidth(theirs), height = FreeImage_GetHeight(theirs);
        ASSERT_EQ(FreeImage_GetWidth(ours), width);
        ASSERT_EQ(FreeImage_GetHeight(ours), height);
        int differing = 0;
        for (unsigned int y = 0; y < height; ++y)
            differing += !std::equal(FreeImage_GetScanLine(ours, static_cast<int>(y)),
                                     FreeImage_GetScanLine(ours, static_cast<int>(y)) + width * 3,
                                     FreeImage_GetScanLine(theirs, static_cast<int>(y)));
        EXPECT_EQ(differing, 0) << "rows that differ";
        FreeImage_Unload(ours);
        FreeImage_Unload(theirs);
        ++checked;
    }
    EXPECT_GT(checked, 0) << "no TGA or BMP under " << models;
}

// Inputs that made FreeImage's readers write out of bounds or abort, TGA and BMP files
// cut off or declaring a size beyond the limits, and a few other files, named .jpg as the
// hall's textures are: refused, the file named, before any reader runs, with an empty texture.
// So are JPEGs and PNGs that would keep a decoder busy for long (scans repeated, comments or
// packed chunks by the thousand), drawn mid-grey instead; one just inside the limits loads.
TEST_F(TextureLoading, RefusedFilesAreNamedUndecoded)
{
    const std::string notTaken = ") is not taken; images must be JPEG, PNG, TGA or BMP";
    const struct {
        const char* seed;  // in tests/fuzz/seeds/image/, or the name of `bytes`
        std::string problem;
        std::string bytes = {};
        int width = 0;  // of the texture left in its place: 1 for mid-grey
    } refused[] = {
        {"icoHeapOverflow-1.ico", "its format (ICO" + notTaken},
        {"tiffAssertion-1.tif", "its format (TIFF" + notTaken},
        {"tiffSegv-1.tif", "its format (TIFF" + notTaken},
        {"psdNegativeCopy-1.psd", "its format (PSD" + notTaken},
        {"palette.gif", "its format (GIF" + notTaken},
        {"tgaRleCutOff.tga", "it is cut off before the end of its pixels"},
        {"bmpCutOff.bmp", "it is cut off before the end of its pixels"},
        {"tgaHugeHeader.tga", "it is 60000 x 60000 pixels, larger than the 16384 x 16384 the GL driver takes"},
        // libjpeg, asked for the header alone, would allocate for all of the frame
        {"jpegProgressiveHugeFrame-1.jpg",
         "it is 64535 x 65271 pixels, larger than the 16384 x 16384 the GL driver takes"},
        {"progressiveScanRepeated", "it has 1001 scans, more than the 1000 a JPEG may have",
         heavyJpeg(512, 512, true, 995, 0), 1},
        {"baselineScanRepeated", "it has 1001 scans, more than the 1000 a JPEG may have",
         heavyJpeg(16, 16, false, 1000, 0), 1},
        {"progressiveOver256Mpixel",
         "its scans go over 260 Mpixel in all, more than the 256 Mpixel an image's decoding may take",
         heavyJpeg(2048, 2048, true, 59, 0), 1},
        {"thousandsOfComments", "it has 5001 comment and application segments, more than the 1000 a JPEG may have",
         heavyJpeg(16, 16, false, 0, 5000), 1},
        {"pngTexts", "it has 9 compressed text or colour-profile chunks, more than the 8 a PNG may have",
         pngWithTexts(9), 1},
        // libpng would allocate the 2 GB the chunk declares before reading it
        {"pngChunkPastItsEnd-1.png", "its iTXt chunk declares 2113929281 bytes, where 150 are left", {}, 1},
    };
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    ASSERT_GE(maxSide, 16384) << "the expected texts take llvmpipe's limit";
    for (const auto& c : refused) {
        SCOPED_TRACE(c.seed);
        const fs::path path = scratch / (std::string(c.seed) + ".jpg");
        if (c.bytes.empty())
            fs::copy_file(fs::path(sourceDir()) / "tests/fuzz/seeds/image" / c.seed, path);
        else
            std::ofstream(path, std::ios::binary) << c.bytes;
        ConsoleCapture console;
        Texture* texture = load(path, 45);
        EXPECT_EQ(console.out(), "\nALERT");
        EXPECT_EQ(console.err(), "Image file " + path.string() + " was refused: " + c.problem + ".\n");
        glBindTexture(GL_TEXTURE_2D, texture->id);
        EXPECT_EQ(levelSize(GL_TEXTURE_WIDTH, 0), c.width);
        drainGLErrors();
    }
    const fs::path atTheLimit = scratch / "thousandScans.jpg";
    std::ofstream(atTheLimit, std::ios::binary) << heavyJpeg(64, 64, true, 994, 999);
    ConsoleCapture console;
    Texture* texture = load(atTheLimit, 46);
    EXPECT_EQ(console.err().find("refused"), std::string::npos) << console.err();  // libjpeg may warn of the repeats
    glBindTexture(GL_TEXTURE_2D, texture->id);
    EXPECT_EQ(levelSize(GL_TEXTURE_WIDTH, 0), 64);
    drainGLErrors();
}

TEST_F(TextureLoading, SecondLoadUnderAKeyReplacesTheFirst)
{
    const std::string white = sourceDir() + "/res/textures/white.jpg";
    TextureLoader& loader = TextureLoader::getInstance();
    Texture* first = load(white, 43);
    const size_t count = loader.textures.size();
    Texture* second = load(white, 43);
    EXPECT_EQ(loader.textures.size(), count);
    EXPECT_NE(first, second);
    EXPECT_NE(first->id, second->id);
    EXPECT_EQ(loader.textures[43], second);
    drainGLErrors();
}

TEST_F(TextureLoading, DestroyingTheLoaderDeletesItsTextures)
{
    Texture* texture = load(sourceDir() + "/res/textures/white.jpg", 44);
    const GLuint name = texture->id;
    ASSERT_TRUE(glIsTexture(name));
    TextureLoader* old = &TextureLoader::getInstance();
    delete old;
    EXPECT_FALSE(glIsTexture(name));
    EXPECT_TRUE(TextureLoader::getInstance().textures.empty());
}

}  // namespace
