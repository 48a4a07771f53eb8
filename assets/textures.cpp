#include "assets/textures.h"

#include "assets/assetBudget.h"
#include "assets/assetFiles.h"
#include "assets/imageHeader.h"
#include "base/glCapabilities.h"
#include "base/utf8Text.h"

#include <FreeImage.h>
#include <algorithm>
#include <climits>
#include <initializer_list>
#include <memory>
#include <vector>
#include <iostream>

// stb_image reads TGA and BMP in both builds. The desktop keeps its own copy private to
// this file (a test links another); the browser's, in texturesWeb.cpp, reads JPEG and PNG too.
#ifndef __EMSCRIPTEN__
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_NO_STDIO
#define STBI_ONLY_TGA
#define STBI_ONLY_BMP
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#endif
#include <stb/stb_image.h>
#ifndef __EMSCRIPTEN__
#pragma GCC diagnostic pop
#endif


// Colour map at key k, its normal map at k + 1 and its specular map at k + 2.
const TextureListEntry textureList[27] = {
    {1, "shiphull.jpg"},  {2, "room.jpg"},      {3, "marble.jpg"},    {4, "blue03.jpg"},    {5, "white.jpg"},
    {6, "rock.jpg"},      {7, "rockn.jpg"},     {8, "rocks.jpg"},     {9, "metal06.jpg"},   {11, "metal06s.jpg"},
    {10, "metal06n.jpg"}, {12, "paving02.jpg"}, {13, "paving02n.jpg"}, {14, "paving02s.jpg"}, {15, "paving05.jpg"},
    {16, "paving05n.jpg"}, {17, "paving05s.jpg"}, {99, "reversen.jpg"}, {18, "metal09.jpg"}, {19, "metal09n.jpg"},
    {20, "metal09s.jpg"}, {21, "brick13.jpg"},  {22, "brick13n.jpg"}, {23, "brick13s.jpg"}, {24, "brick01.jpg"},
    {25, "brick01n.jpg"}, {26, "brick01s.jpg"},
};

std::vector<TextureFile> hallTextureFiles()
{
    std::vector<TextureFile> files;
    for (const TextureListEntry& entry : textureList)
        files.push_back({entry.key, entry.file});
    return files;
}

TextureLoader::~TextureLoader()
{
    // Only what the owner made: a texture put in the table by other hands is theirs.
    for (const auto& entry : textures) {
        Texture* texture = entry.second;
        if (std::any_of(records->begin(), records->end(), [texture](const auto& record) { return record.get() == texture; }))
            releaseTexture(*texture);
    }
    // Deleted by other hands than its owner's: the owner makes a new one when next asked.
    if (holder->get() == this)
        holder->release();
    textures.clear();
}

void releaseTexture(Texture& texture)
{
    if (texture.id != 0)
        glDeleteTextures(1, &texture.id);
    texture.id = 0;
}

std::string imageSizeProblem(unsigned int width, unsigned int height, const ImageLimits& limits)
{
    const std::string size = std::to_string(width) + " x " + std::to_string(height) + " pixels";
    if (width == 0 || height == 0)
        return "it is " + size;
    if (width > limits.maxSide || height > limits.maxSide)
        return "it is " + size + ", larger than the " + std::to_string(limits.maxSide) + " x " +
               std::to_string(limits.maxSide) + " the GL driver takes";
    if (static_cast<unsigned long long>(width) * height > limits.maxPixels)
        return "it is " + size + ", more than the " + std::to_string(limits.maxPixels >> 20) +
               " Mpixel an image may have";
    return "";
}

std::string imageWorkProblem(const std::string& bytes, const ImageLimits& limits)
{
    const JpegWork work = jpegWork(bytes);
    if (work.scans > limits.maxScans)
        return "it has " + std::to_string(work.scans) + " scans, more than the " + std::to_string(limits.maxScans) +
               " a JPEG may have";
    if (work.samples > limits.maxScannedPixels)
        return "its scans go over " + std::to_string((work.samples + (1u << 20) - 1) >> 20) +
               " Mpixel in all, more than the " + std::to_string(limits.maxScannedPixels >> 20) +
               " Mpixel an image's decoding may take";
    if (work.keptSegments > limits.maxKeptSegments)
        return "it has " + std::to_string(work.keptSegments) + " comment and application segments, more than the " +
               std::to_string(limits.maxKeptSegments) + " a JPEG may have";
    if (const unsigned long packed = pngPackedChunks(bytes); packed > limits.maxPackedChunks)
        return "it has " + std::to_string(packed) + " compressed text or colour-profile chunks, more than the " +
               std::to_string(limits.maxPackedChunks) + " a PNG may have";
    return pngChunkPastItsEnd(bytes);
}

bool decodeTgaOrBmp(const std::string& bytes, const ImageLimits& limits, int channels, std::vector<unsigned char>& pixels,
                    unsigned int& width, unsigned int& height, std::string& problem)
{
    problem.clear();
    const ImageFormat format = imageFormatOf(bytes);
    if ((format != ImageFormat::tga && format != ImageFormat::bmp) || bytes.size() > INT_MAX ||
        !imageHeaderSize(bytes, width, height))
        return false;
    if (problem = imageSizeProblem(width, height, limits); !problem.empty())
        return false;
    if (!imageHoldsItsPixels(bytes)) {
        problem = "it is cut off before the end of its pixels";
        return false;
    }
    int decodedWidth = 0, decodedHeight = 0, fileChannels = 0;
    stbi_set_flip_vertically_on_load(0);
    stbi_uc* decoded = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()), static_cast<int>(bytes.size()),
                                             &decodedWidth, &decodedHeight, &fileChannels, channels);
    if (!decoded) {
        problem = std::string("it is damaged (") + stbi_failure_reason() + ")";
        return false;
    }
    if (static_cast<unsigned int>(decodedWidth) != width || static_cast<unsigned int>(decodedHeight) != height) {
        stbi_image_free(decoded);
        problem = "its decoded size differs from the one its header declares";
        return false;
    }
    pixels.assign(decoded, decoded + static_cast<size_t>(width) * height * static_cast<size_t>(channels));
    stbi_image_free(decoded);
    return true;
}

namespace {

// The file being decoded, for the hook below: FreeImage calls it with no context of the
// caller's, so this one note stays process-wide rather than in an Assets.
const std::string* imageBeingRead = nullptr;

// FreeImage's readers report damage (a cut-off JPEG, a bad header) through this hook,
// without saying which file: name it.
void reportImageDamage(FREE_IMAGE_FORMAT, const char* message)
{
    std::cerr << "Image file " << (imageBeingRead ? printableText(*imageBeingRead) : std::string("(unknown)")) << ": "
              << printableText(message) << std::endl;
}

// The browser build decodes with its own reader (texturesWeb.cpp).
#ifndef __EMSCRIPTEN__
// What FreeImage takes the bytes for, only to name a refused format; empty when no
// reader claims them. Only the signature checks run: the camera-raw one is left out, as
// it parses the whole header with LibRaw. The PNM family (PBM, PGM, PPM) goes by one name.
std::string formatName(FIMEMORY* memory)
{
    for (int i = 0; i < FreeImage_GetFIFCount(); ++i) {
        const auto type = static_cast<FREE_IMAGE_FORMAT>(i);
        if (type == FIF_RAW || !FreeImage_ValidateFromMemory(type, memory))
            continue;
        for (FREE_IMAGE_FORMAT pnm : {FIF_PBM, FIF_PBMRAW, FIF_PGM, FIF_PGMRAW, FIF_PPM, FIF_PPMRAW})
            if (type == pnm)
                return "PNM";
        const char* name = FreeImage_GetFormatFromFIF(type);
        return name ? name : "";
    }
    return "";
}

// Replaces `image` by `converted` (null when the conversion failed).
FIBITMAP* replaceBy(FIBITMAP* image, FIBITMAP* converted)
{
    if (converted != image)
        FreeImage_Unload(image);
    return converted;
}

// Brings a decoded JPEG or PNG to 24-bit BGR rows, the one layout the upload reads:
// palette, grey and 32-bit bitmaps directly, 16-bit grey and colour by dropping the low bytes.
FIBITMAP* toBgr24(FIBITMAP* image)
{
    if (FreeImage_GetImageType(image) == FIT_UINT16)  // grey: the high byte of each sample
        image = replaceBy(image, FreeImage_ConvertTo8Bits(image));
    if (image && (FreeImage_GetImageType(image) != FIT_BITMAP || FreeImage_GetBPP(image) != 24))
        image = replaceBy(image, FreeImage_ConvertTo24Bits(image));
    return image;
}

// A TGA or BMP from stb_image's top-down RGB rows into FreeImage's bottom-up BGR ones.
FIBITMAP* decodeWithStb(const std::string& bytes, const ImageLimits& limits, std::string& problem)
{
    std::vector<unsigned char> rgb;
    unsigned int width = 0, height = 0;
    if (!decodeTgaOrBmp(bytes, limits, 3, rgb, width, height, problem))
        return nullptr;
    FIBITMAP* image = FreeImage_Allocate(static_cast<int>(width), static_cast<int>(height), 24);
    if (!image)
        return nullptr;
    for (unsigned int y = 0; y < height; ++y) {
        BYTE* row = FreeImage_GetScanLine(image, static_cast<int>(height - 1 - y));
        const unsigned char* from = &rgb[static_cast<size_t>(y) * width * 3];
        for (unsigned int x = 0; x < width; ++x, from += 3) {
            row[x * 3 + FI_RGBA_RED] = from[0];
            row[x * 3 + FI_RGBA_GREEN] = from[1];
            row[x * 3 + FI_RGBA_BLUE] = from[2];
        }
    }
    return image;
}

} // namespace

FIBITMAP* decodeImageBytes(const std::string& bytes, const ImageLimits& limits, std::string& problem)
{
    problem.clear();
    if (bytes.empty() || bytes.size() > 0xffffffffu)
        return nullptr;
    const ImageFormat format = imageFormatOf(bytes);
    if (format == ImageFormat::tga || format == ImageFormat::bmp)
        return decodeWithStb(bytes, limits, problem);
    FIMEMORY* memory =
        FreeImage_OpenMemory(reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())), static_cast<DWORD>(bytes.size()));
    if (!memory)
        return nullptr;
    const FREE_IMAGE_FORMAT type = format == ImageFormat::jpeg ? FIF_JPEG : format == ImageFormat::png ? FIF_PNG : FIF_UNKNOWN;
    FIBITMAP* image = nullptr;
    unsigned int width = 0, height = 0;
    if (type == FIF_UNKNOWN) {
        // Bytes FreeImage's check for a format taken claims but ours does not are no image either.
        const std::string name = formatName(memory);
        if (!name.empty() && name != "JPEG" && name != "PNG" && name != "TARGA" && name != "BMP")
            problem = "its format (" + name + ") is not taken; images must be JPEG, PNG, TGA or BMP";
    } else if (!imageHeaderSize(bytes, width, height)) {
        // a damaged header: not an image this loader can read
    } else if (problem = imageSizeProblem(width, height, limits); problem.empty()) {
        if (problem = imageWorkProblem(bytes, limits); problem.empty())
            image = FreeImage_LoadFromMemory(type, memory, 0);
    }
    FreeImage_CloseMemory(memory);
    if (!image)
        return nullptr;
    image = toBgr24(image);
    if (!image)
        return nullptr;
    // The decoder has the last word on the size: it must still fit, and the rows must be
    // what the upload reads (24-bit, padded to 4 bytes).
    width = FreeImage_GetWidth(image);
    height = FreeImage_GetHeight(image);
    problem = imageSizeProblem(width, height, limits);
    if (problem.empty() && (FreeImage_GetPitch(image) != ((width * 3 + 3) & ~3u) || !FreeImage_GetBits(image)))
        problem = "its decoded rows are not in the expected layout";
    if (!problem.empty()) {
        FreeImage_Unload(image);
        return nullptr;
    }
    return image;
}
#else
} // namespace
#endif

namespace {

// How a console line names an image file: opened by its user where it has one, the path as
// printable text.
std::string imageFileName(const std::string& user, const std::string& path)
{
    return (user.empty() ? "Image file " : user + ": image file ") + printableText(path);
}

// The image decoded from the bytes read from `path` (`problem`: why they could not be
// read), or null after a line on standard error that names the file (opened by its user,
// where there is one).
FIBITMAP* decodeRead(const std::string& path, const std::string& bytes, std::string problem, const ImageLimits& limits,
                     const std::string& user)
{
    const std::string name = imageFileName(user, path);
    if (!problem.empty()) {
        if (problem == "it does not exist")
            std::cerr << name << " does not exist." << std::endl;
        else
            std::cerr << name << " could not be read: " << problem << "." << std::endl;
        return nullptr;
    }
    FreeImage_SetOutputMessage(reportImageDamage);
    imageBeingRead = &path;
    FIBITMAP* image = decodeImageBytes(bytes, limits, problem);
    imageBeingRead = nullptr;
    if (!image && !problem.empty())
        std::cerr << name << " was refused: " << problem << "." << std::endl;
    else if (!image)
        std::cerr << name << " could not be read as an image." << std::endl;
    return image;
}

} // namespace

ImageLimits textureLimits()
{
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    ImageLimits limits;
    if (maxSide > 0)
        limits.maxSide = std::min(limits.maxSide, static_cast<unsigned int>(maxSide));
    return limits;
}

void loadTexture(TextureLoader& loader, const std::string& path, short key, GLenum format, GLint internalFormat,
                 const std::string& user, AssetBudget* budget)
{
    std::string bytes, problem;
    readWholeFile(path, maxImageFileBytes, bytes, problem);
    loadTextureBytes(loader, path, bytes, problem, key, format, internalFormat, user, budget);
}

void loadTextureBytes(TextureLoader& loader, const std::string& path, const std::string& bytes,
                      const std::string& readProblem, short key, GLenum format, GLint internalFormat,
                      const std::string& user, AssetBudget* budget)
{
    const ImageLimits limits = textureLimits();
    FIBITMAP* image = decodeRead(path, bytes, readProblem, limits, user);
    if (!image) {
        std::cout << "\nALERT";
        loader.alertLineOpen = true;
        // A picture refused for the work its decoding would take is there all the same:
        // it stands as mid-grey, where one that cannot be read at all is left empty.
        unsigned int width = 0, height = 0;
        if (readProblem.empty() && imageHeaderSize(bytes, width, height) && imageSizeProblem(width, height, limits).empty() &&
            !imageWorkProblem(bytes, limits).empty())
            uploadMidGrey(loader, key);
        else
            uploadImage(loader, nullptr, key, format, internalFormat);
        return;
    }
    const std::string name = imageFileName(user, path);
    if (budget && !admitImage(*budget, image, name)) {
        uploadMidGrey(loader, key);
        return;
    }
    uploadImage(loader, image, key, format, internalFormat, name);
}

void endAlertLine(TextureLoader& loader)
{
    if (!loader.alertLineOpen)
        return;
    std::cout << std::endl;
    loader.alertLineOpen = false;
}

namespace {

// A new record under `key` with a new GL texture bound, repeating and mipmapped.
Texture* newTexture(std::vector<std::unique_ptr<Texture>>& records, std::map<unsigned int, Texture*>& textures, short key)
{
    records.push_back(std::make_unique<Texture>());
    Texture* texture = records.back().get();
    GLuint name = 0;
    glGenTextures(1, &name);
    // A replaced record is not freed: objects made earlier may still point at it.
    textures[static_cast<unsigned int>(key)] = texture;
    texture->id = name;
    texture->key = key;

    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    if (anisotropicFilteringAvailable())
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, 8.0f);
    return texture;
}

// One mid-grey texel into the bound texture (its row padded to the default 4 bytes).
void fillMidGrey()
{
    const unsigned char grey[4] = {128, 128, 128, 0};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, grey);
    glGenerateMipmap(GL_TEXTURE_2D);
}

} // namespace

bool admitImage(AssetBudget& budget, FIBITMAP*& image, const std::string& name)
{
    if (!image)
        return true;
    const std::string passed = admitTexture(budget, FreeImage_GetWidth(image), FreeImage_GetHeight(image));
    if (passed.empty())
        return true;
    std::cerr << name << " would pass " << passed << "; it is drawn mid-grey." << std::endl;
    FreeImage_Unload(image);
    image = nullptr;
    return false;
}

void uploadMidGrey(TextureLoader& loader, short key)
{
    newTexture(*loader.records, loader.textures, key);
    fillMidGrey();
    reportGLError();
}

void uploadImage(TextureLoader& loader, FIBITMAP* image, short key, GLenum format, GLint internalFormat,
                 const std::string& name)
{
    const BYTE* pixels = image ? FreeImage_GetBits(image) : nullptr;
    const GLsizei width = image ? static_cast<GLsizei>(FreeImage_GetWidth(image)) : 0;
    const GLsizei height = image ? static_cast<GLsizei>(FreeImage_GetHeight(image)) : 0;
    newTexture(*loader.records, loader.textures, key);
    // FreeImage pads rows to 4 bytes, which is GL's default unpack alignment.
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, format, GL_UNSIGNED_BYTE, pixels);
    glGenerateMipmap(GL_TEXTURE_2D);
    if (glRanOutOfMemory()) {
        std::cerr << (name.empty() ? std::string("An image") : name)
                  << ": GL ran out of memory for its texture; it is drawn mid-grey." << std::endl;
        fillMidGrey();
        reportGLError();
    }
    if (image)
        FreeImage_Unload(image);
}
