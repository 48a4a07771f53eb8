#include "app/exhibitionAssets.h"

#include "assets/assetFiles.h"
#include "assets/assets.h"
#include "assets/modelTextures.h"
#include "assets/models.h"
#include "assets/textures.h"
#include "programs/modelInputs.h"
#include "programs/programs.h"
#include "scene/exhibitionFiles.h"

#include <map>
#include <iostream>

namespace {

bool usesTexture(const ObjectRow& row, unsigned int key)
{
    return row.texture == key || row.normalMap == key || row.specularMap == key;
}

bool usesTexture(const SurfaceMaps& maps, unsigned int key)
{
    return maps.texture == key || maps.normalMap == key || maps.specularMap == key;
}

std::string modelUser(const HallDescription& hall, short key)
{
    for (const ObjectRow& row : hall.objects)
        if (row.model == key)
            return objectUser(row);
    return "";
}

std::string textureUser(const HallDescription& hall, unsigned int key)
{
    for (const ObjectRow& row : hall.objects)
        if (usesTexture(row, key))
            return objectUser(row);
    if (usesTexture(hall.walls, key))
        return "room.walls";
    if (usesTexture(hall.floor, key))
        return "room.floor";
    return "";
}

} // namespace

void loadExhibitionFiles(Assets& assets, const HallDescription& hall)
{
    // Each exhibition has the totals to itself.
    assets.budget.used = AssetTotals();
    if (assets.exhibitionFolder.empty())
        return;
    loadModelsFrom(assets, assets.exhibitionFolder, assets.exhibitionModelFiles,
                   [&hall](short key) { return modelUser(hall, key); });
    // Each image is opened once inside the folder, and decoded once however many paths
    // lead to it: a key naming a file read already shares that file's texture.
    const std::string folder = resolvedPath(assets.exhibitionFolder);
    std::map<FileIdentity, short> keyOfFile;
    TextureLoader& loader = textureLoader(assets);
    for (const TextureFile& file : assets.exhibitionTextureFiles) {
        const std::string path = assets.exhibitionFolder + "/" + file.file;
        std::string bytes, problem;
        OpenedFile opened = openInsideFolder(folder, path, problem);
        if (opened.isOpen()) {
            const auto known = keyOfFile.find(opened.identity);
            if (known != keyOfFile.end() && loader.textures.count(static_cast<unsigned int>(known->second))) {
                loader.textures[static_cast<unsigned int>(file.key)] = loader.textures[static_cast<unsigned int>(known->second)];
                continue;
            }
            keyOfFile[opened.identity] = file.key;
            opened.readAll(maxImageFileBytes, bytes, problem);
        }
        loadTextureBytes(loader, path, bytes, problem, file.key, GL_BGR, GL_RGB,
                         textureUser(hall, static_cast<unsigned int>(file.key)), &assets.budget);
    }
    // The models' own pictures take the keys after the exhibition's.
    loadModelTextures(assets, folder, assets.exhibitionModelFiles, keyOfFile,
                      static_cast<short>(firstTextureKey + assets.exhibitionTextureFiles.size()),
                      [&hall](short key) { return modelUser(hall, key); });
    endAlertLine(loader);
}

void uploadExhibitionModels(Assets& assets, const HallDescription& hall, const ShaderPrograms& programs)
{
    // The lit programs share their attribute locations; the bump-mapped one reads them all.
    ShaderProgram* program = programs.normalMapTexture && programs.normalMapTexture->program
                                 ? programs.normalMapTexture
                                 : programs.genericTexture;
    if (!program)
        return;
    for (const ModelFile& file : assets.exhibitionModelFiles)
        if (ModelData* model = getModel(assets, file.key); model && model->vertexArray == 0 && !uploadModel(*model, *program)) {
            std::cerr << modelFileName(modelUser(hall, file.key), assets.exhibitionFolder + "/" + file.file)
                      << ": GL ran out of memory for its buffers; it is shown as a stand-in." << std::endl;
        }
}
