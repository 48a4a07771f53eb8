#pragma once
// The 27 images of the hall: read with FreeImage into mipmapped, repeating,
// anisotropically filtered 2D textures, held under fixed keys by the one loader.
#include "app/glApi.h"
#include <map>
#include <string>

struct Texture {
    GLuint id = 0;
    int key = 0;
};

class TextureLoader {
public:
    std::map<unsigned int, Texture*> textures;

    static TextureLoader& getInstance();
    virtual ~TextureLoader();

private:
    TextureLoader() = default;
    static TextureLoader* instance;
};

// Folder the image files are read from ("./res/textures/").
extern std::string textureDirectory;

struct TextureListEntry {
    short key;
    const char* file;
};
extern const TextureListEntry textureList[27];

// The loaded texture under `key`; null when there is none.
Texture* findTexture(unsigned int key);

void loadTextures();
void loadTexture(const std::string& path, short key, GLenum format, GLint internalFormat);
