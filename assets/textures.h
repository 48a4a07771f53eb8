#pragma once
// The 27 images of the hall, and any an exhibition names: JPEG or PNG files read with
// FreeImage, TGA or BMP files with stb_image, into mipmapped, repeating, anisotropically
// filtered 2D textures, held under their keys by the loader of an Assets. What acts on a
// whole Assets (its loader, its list of files, the default one) is in assets/assets.h.
#include "base/glApi.h"

#include <FreeImage.h>
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct Assets;
struct AssetBudget;

struct Texture {
    GLuint id = 0;
    int key = 0;
};

// The textures by key of one Assets, made by textureLoader(assets) (assets/assets.h);
// getInstance() is the default assets' loader, made on first use. Destroying a loader
// deletes the GL textures it holds that its Assets made (a GL context must be current),
// and its Assets makes a new one when next asked.
class TextureLoader {
public:
    std::map<unsigned int, Texture*> textures;
    // "\nALERT" leaves its line open; endAlertLine closes it once a batch of loads is done.
    bool alertLineOpen = false;

    static TextureLoader& getInstance();
    virtual ~TextureLoader();

private:
    using Records = std::vector<std::unique_ptr<Texture>>;
    TextureLoader(Records& records, std::unique_ptr<TextureLoader>& holder) : records(&records), holder(&holder) {}
    // The owner's records, which the textures it uploads are added to, and where the
    // owner holds this loader.
    Records* records;
    std::unique_ptr<TextureLoader>* holder;
    friend TextureLoader& textureLoader(Assets& assets);
    friend void uploadImage(TextureLoader& loader, FIBITMAP* image, short key, GLenum format, GLint internalFormat,
                            const std::string& name);
    friend void uploadMidGrey(TextureLoader& loader, short key);
};

// The hall's own images; a hall may name others under other keys in its Assets.
struct TextureListEntry {
    short key;
    const char* file;
};
extern const TextureListEntry textureList[27];

// One image file to load, its name inside the textures' folder.
struct TextureFile {
    short key = 0;
    std::string file;
};
// textureList, in its order.
std::vector<TextureFile> hallTextureFiles();

// What an image may be: no side beyond what the GL driver takes (GL_MAX_TEXTURE_SIZE,
// asked at load time) and at most 16 Mpixel, so that a few header bytes cannot make the
// decoder allocate gigabytes. And what its decoding may cost, so that a small file cannot
// keep it busy for minutes: a JPEG of at most 1000 scans, going over at most 256 Mpixel
// in all (jpegWork in imageHeader.h: 16 passes over a 16 Mpixel frame, where a common
// progressive one takes 6 to 14), with at most 1000 comment and application segments; a
// PNG with at most 8 compressed text or colour-profile chunks (pngPackedChunks).
struct ImageLimits {
    unsigned int maxSide = 16384;
    unsigned long long maxPixels = 16ull << 20;
    unsigned long maxScans = 1000;
    unsigned long long maxScannedPixels = 256ull << 20;
    unsigned long maxKeptSegments = 1000;
    unsigned long maxPackedChunks = 8;
};
constexpr size_t maxImageFileBytes = size_t(256) << 20;

// Why an image of that size is refused ("it is 17000 x 8 pixels, larger than ..."); empty
// when it may be loaded. Both builds judge the size their header declares with it.
std::string imageSizeProblem(unsigned int width, unsigned int height, const ImageLimits& limits);

// Why decoding the bytes would cost more than `limits` let an image cost ("it has 20001
// scans, more than ..."); empty when it may be decoded. Read from the bytes alone, before
// any decoder runs, the same way in both builds. A PNG's pixels need no such count: libpng
// inflates no more than the rows its size allows (IDAT chunks, however many, and the seven
// passes of an interlaced one add only what the file's own bytes cost); but each compressed
// text or profile chunk inflates to as much as 8 MB, a quarter of a second with FreeImage.
std::string imageWorkProblem(const std::string& bytes, const ImageLimits& limits);

// Decodes the bytes of one image file, a JPEG, PNG, TGA or BMP as imageHeader.h tells
// them apart, into 24-bit BGR rows, padded to 4 bytes, bottom row first. Any other format
// is refused by name, and the size its header declares and the work its decoding takes
// are checked, before any decoder runs; 16-bit images are brought to 8 bits (their high bytes), alpha is dropped. Null when
// the bytes are no readable image, or when the image is refused, and then `problem` says
// why. Makes no GL call.
FIBITMAP* decodeImageBytes(const std::string& bytes, const ImageLimits& limits, std::string& problem);

// A TGA or BMP decoded by stb_image, these formats' one reader in both builds, into
// `pixels`: `channels` bytes a pixel (3: RGB; 4: RGBA, alpha kept, opaque where the file
// has none), top row first, rows unpadded. The declared size is checked against `limits`
// and the file must hold every pixel its header announces, before stb_image runs. False
// when the bytes are no TGA or BMP, or are refused or damaged; `problem` then says why,
// where there is something to say. Makes no GL call.
bool decodeTgaOrBmp(const std::string& bytes, const ImageLimits& limits, int channels, std::vector<unsigned char>& pixels,
                    unsigned int& width, unsigned int& height, std::string& problem);

// Loads the image at `path` into a new texture record of the loader's Assets under `key`.
// An image that is missing, no ordinary file, unreadable or refused is named on standard
// error, "\nALERT" goes to standard output, and the key gets an empty texture. A `user`
// ("exhibits[2]") opens that line. With a `budget`, an image that would pass one of its
// totals is not uploaded: one line names the total and the key draws mid-grey.
void loadTexture(TextureLoader& loader, const std::string& path, short key, GLenum format, GLint internalFormat,
                 const std::string& user = {}, AssetBudget* budget = nullptr);
// Ends the line the last "\nALERT" left open, so what is printed next starts a line of its own.
void endAlertLine(TextureLoader& loader);

// loadTexture for a file read already (inside its folder, assets/assetFiles.h): its
// `bytes`, or, when `readProblem` is not empty, why the file at `path` could not be read.
void loadTextureBytes(TextureLoader& loader, const std::string& path, const std::string& bytes,
                      const std::string& readProblem, short key, GLenum format, GLint internalFormat,
                      const std::string& user = {}, AssetBudget* budget = nullptr);

// What the GL driver and the loader take, asked of the current context.
ImageLimits textureLimits();
// Uploads a decoded image (null: an empty texture) into a new record of the loader's
// Assets under `key`, and unloads the image. Where GL runs out of memory for it, one line
// opened by `name` (the image, as the console names it elsewhere) says so, and the texture
// is mid-grey instead.
void uploadImage(TextureLoader& loader, FIBITMAP* image, short key, GLenum format, GLint internalFormat,
                 const std::string& name = {});

// Counts a decoded image into `budget`. One that would pass a total is named by it in one
// line opened by `name`, unloaded and set to null; false then, and the caller uploads
// mid-grey in its place (uploadMidGrey).
bool admitImage(AssetBudget& budget, FIBITMAP*& image, const std::string& name);
// A texture of one mid-grey texel under `key`: what a picture not kept draws as.
void uploadMidGrey(TextureLoader& loader, short key);

// Deletes the texture's GL name and sets it to 0; no GL call for a name of 0.
void releaseTexture(Texture& texture);
