#include "assets/textures.h"

#include "app/glCapabilities.h"

#include <FreeImage.h>
#include <filesystem>
#include <iostream>

TextureLoader* TextureLoader::instance = nullptr;
std::string textureDirectory = "./res/textures/";

// Colour map at key k, its normal map at k + 1 and its specular map at k + 2.
const TextureListEntry textureList[27] = {
    {1, "shiphull.jpg"},  {2, "room.jpg"},      {3, "marble.jpg"},    {4, "blue03.jpg"},    {5, "white.jpg"},
    {6, "rock.jpg"},      {7, "rockn.jpg"},     {8, "rocks.jpg"},     {9, "metal06.jpg"},   {11, "metal06s.jpg"},
    {10, "metal06n.jpg"}, {12, "paving02.jpg"}, {13, "paving02n.jpg"}, {14, "paving02s.jpg"}, {15, "paving05.jpg"},
    {16, "paving05n.jpg"}, {17, "paving05s.jpg"}, {99, "reversen.jpg"}, {18, "metal09.jpg"}, {19, "metal09n.jpg"},
    {20, "metal09s.jpg"}, {21, "brick13.jpg"},  {22, "brick13n.jpg"}, {23, "brick13s.jpg"}, {24, "brick01.jpg"},
    {25, "brick01n.jpg"}, {26, "brick01s.jpg"},
};

TextureLoader& TextureLoader::getInstance()
{
    if (!instance)
        instance = new TextureLoader();
    return *instance;
}

TextureLoader::~TextureLoader()
{
    for (auto& [key, texture] : textures) {
        glDeleteTextures(1, &texture->id);
        delete texture;
    }
    if (instance == this)
        instance = nullptr;
    textures.clear();
}

Texture* findTexture(unsigned int key)
{
    const auto& textures = TextureLoader::getInstance().textures;
    const auto found = textures.find(key);
    return found != textures.end() ? found->second : nullptr;
}

void loadTextures()
{
    for (const TextureListEntry& entry : textureList)
        loadTexture(textureDirectory + entry.file, entry.key, GL_BGR, GL_RGB);
}

namespace {

const std::string* imageBeingRead = nullptr;

// FreeImage's readers report damage (a cut-off JPEG, a bad header) through this hook,
// without saying which file: name it.
void reportImageDamage(FREE_IMAGE_FORMAT, const char* message)
{
    std::cerr << "Image file " << (imageBeingRead ? *imageBeingRead : std::string("(unknown)")) << ": " << message
              << std::endl;
}

FIBITMAP* decodeImage(const std::string& path)
{
    FREE_IMAGE_FORMAT type = FreeImage_GetFileType(path.c_str(), 0);
    if (type == FIF_UNKNOWN)
        type = FreeImage_GetFIFFromFilename(path.c_str());
    if (type == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(type))
        return nullptr;
    FIBITMAP* image = FreeImage_Load(type, path.c_str(), 0);
    if (!image)
        return nullptr;
    // The upload reads 24-bit BGR rows; greyscale, palette and 32-bit images would be
    // read past their end, so they are converted first.
    if (FreeImage_GetImageType(image) != FIT_BITMAP || FreeImage_GetBPP(image) != 24) {
        FIBITMAP* converted = FreeImage_ConvertTo24Bits(image);
        FreeImage_Unload(image);
        image = converted;
    }
    return image;
}

// The image, or null after a line on standard error that names the file.
FIBITMAP* readImage(const std::string& path)
{
    if (!std::filesystem::exists(path)) {
        std::cerr << "Image file " << path << " does not exist." << std::endl;
        return nullptr;
    }
    FreeImage_SetOutputMessage(reportImageDamage);
    imageBeingRead = &path;
    FIBITMAP* image = decodeImage(path);
    imageBeingRead = nullptr;
    if (!image)
        std::cerr << "Image file " << path << " could not be read as an image." << std::endl;
    return image;
}

} // namespace

void loadTexture(const std::string& path, short key, GLenum format, GLint internalFormat)
{
    auto* texture = new Texture();
    FIBITMAP* image = readImage(path);
    if (!image)
        std::cout << "\nALERT";

    const BYTE* pixels = image ? FreeImage_GetBits(image) : nullptr;
    const GLsizei width = image ? static_cast<GLsizei>(FreeImage_GetWidth(image)) : 0;
    const GLsizei height = image ? static_cast<GLsizei>(FreeImage_GetHeight(image)) : 0;

    GLuint name = 0;
    glGenTextures(1, &name);
    auto& textures = TextureLoader::getInstance().textures;
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
    // FreeImage pads rows to 4 bytes, which is GL's default unpack alignment.
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, format, GL_UNSIGNED_BYTE, pixels);
    glGenerateMipmap(GL_TEXTURE_2D);
    reportGLError();
    if (image)
        FreeImage_Unload(image);
}
