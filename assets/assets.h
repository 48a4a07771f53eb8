#pragma once
// The assets' one owner: the folders and file lists the meshes and textures are read
// from, the records they were read into, and the GL names those were uploaded into.
// Every record made stays until the owner goes (or dropAssetsFrom drops an exhibition's),
// as objects may still point at one that a later load replaced under its key. releaseAssets deletes the GL names while the context
// is current; the destructor deletes only what is left, so an owner released before its
// context went makes no GL call as it goes.
#include "assets/assetBudget.h"
#include "assets/modelData.h"
#include "assets/modelTable.h"
#include "assets/textures.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

struct Assets {
    std::string modelDirectory = "./res/models/";
    std::string textureDirectory = "./res/textures/";
    // What loadModels and loadTextures read, in this order; a hall may name other files.
    std::vector<ModelFile> modelFiles = hallModelFiles();
    std::vector<TextureFile> textureFiles = hallTextureFiles();
    // An exhibition's own files, named relative to its folder (empty: there are none).
    std::string exhibitionFolder;
    std::vector<ModelFile> exhibitionModelFiles;
    std::vector<TextureFile> exhibitionTextureFiles;
    // What the exhibition's own models and pictures may take, and have taken, in all.
    AssetBudget budget;

    std::map<short, ModelData*> models;
    std::vector<std::unique_ptr<ModelData>> modelRecords;
    std::unique_ptr<TextureLoader> textureLoader;  // the textures by key
    std::vector<std::unique_ptr<Texture>> textureRecords;

    // The browser build's meshes, read from their pack on the first load.
    std::map<short, ModelData> meshPack;
    bool meshPackRead = false;

    Assets() = default;
    Assets(const Assets&) = delete;
    Assets& operator=(const Assets&) = delete;
    ~Assets();
};

// The assets the names without an Assets (loadModels(), getModel(key), findTexture(key),
// loadTextures(), TextureLoader::getInstance(), models) act on.
Assets& defaultAssets();

// The texture loader of `assets`, made when there is none.
TextureLoader& textureLoader(Assets& assets);

// The loaded texture under `key`; null when there is none.
Texture* findTexture(const Assets& assets, unsigned int key);
Texture* findTexture(unsigned int key);

// Loads every file of assets.textureFiles.
void loadTextures(Assets& assets);
void loadTextures();
// loadTexture (assets/textures.h) into the default assets.
void loadTexture(const std::string& path, short key, GLenum format, GLint internalFormat);

// File name of `key` in the list `assets` loads from; empty when it has none.
std::string modelFileName(const Assets& assets, short key);

// The twin of `model` in `assets` (`model` being the record under a key that has one,
// assets/modelTable.h), uploaded or not; null where it has none.
const ModelData* captureTwin(const Assets& assets, const ModelData& model);

// Deletes every buffer, vertex array and texture the records hold, and sets their names
// to 0; the arrays and the records stay. The context they were made in must be current.
void releaseAssets(Assets& assets);

// Drops the models and textures under keys from `firstKey` on (an exhibition's own files):
// deletes their GL names (the context must be current) and their records. Nothing may point at them any more: the hall that used them is gone
// or about to be replaced.
void dropAssetsFrom(Assets& assets, int firstKey);
