#include "app/exhibitionLoading.h"

#include "app/application.h"
#include "assets/assets.h"
#include "assets/modelTextures.h"
#include "assets/models.h"
#include "assets/textures.h"
#include "programs/modelInputs.h"

#include <iostream>

static_assert(firstModelKey == firstTextureKey, "one key range is dropped for both");

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

void takeFiles(Application& application, Exhibition& exhibition, const std::string& path)
{
    Assets& assets = application.assets;
    assets.exhibitionFolder = exhibition.folder;
    assets.exhibitionModelFiles = std::move(exhibition.modelFiles);
    assets.exhibitionTextureFiles = std::move(exhibition.textureFiles);
    application.exhibitionPath = path;
}

} // namespace

bool reportExhibition(const Exhibition& exhibition)
{
    for (const std::string& warning : exhibition.warnings)
        std::cerr << warning << std::endl;
    if (!exhibition.error.empty())
        std::cerr << exhibition.error << std::endl;
    return exhibition.error.empty();
}

void useExhibition(Application& application, Exhibition exhibition, const std::string& path)
{
    takeFiles(application, exhibition, path);
    application.tour.script = exhibition.hall.tour;
    application.description = std::move(exhibition.hall);
}

void loadExhibitionFiles(Application& application)
{
    Assets& assets = application.assets;
    if (assets.exhibitionFolder.empty())
        return;
    const HallDescription& hall = application.description;
    loadModelsFrom(assets, assets.exhibitionFolder, assets.exhibitionModelFiles,
                   [&hall](short key) { return modelUser(hall, key); });
    for (const TextureFile& file : assets.exhibitionTextureFiles)
        loadTexture(assets, assets.exhibitionFolder + "/" + file.file, file.key, GL_BGR, GL_RGB,
                    textureUser(hall, static_cast<unsigned int>(file.key)));
    // The models' own pictures take the keys after the exhibition's.
    loadModelTextures(assets, assets.exhibitionFolder, assets.exhibitionModelFiles, assets.exhibitionTextureFiles,
                      static_cast<short>(firstTextureKey + assets.exhibitionTextureFiles.size()),
                      [&hall](short key) { return modelUser(hall, key); });
}

void uploadExhibitionModels(Application& application)
{
    ShaderPrograms& programs = application.renderer.programs;
    // The lit programs share their attribute locations; the bump-mapped one reads them all.
    ShaderProgram* program = programs.normalMapTexture && programs.normalMapTexture->program
                                 ? programs.normalMapTexture
                                 : programs.genericTexture;
    if (!program)
        return;
    for (const ModelFile& file : application.assets.exhibitionModelFiles)
        if (ModelData* model = getModel(application.assets, file.key); model && model->vertexArray == 0)
            uploadModel(*model, *program);
}

bool openExhibition(Application& application, const std::string& path)
{
    Exhibition exhibition = readExhibition(path);
    if (!reportExhibition(exhibition))
        return false;
    // The old hall's objects point at these records until showHall replaces it below; no
    // frame is drawn in between.
    dropAssetsFrom(application.assets, firstModelKey);
    takeFiles(application, exhibition, path);
    const std::string title = exhibition.hall.title;
    HallDescription& description = application.description;
    description = std::move(exhibition.hall);
    loadExhibitionFiles(application);
    uploadExhibitionModels(application);
    showHall(application, std::move(description));
    application.renderer.environmentRefreshPending = true;
    std::cout << "Showing " << (title.empty() ? std::string("the exhibition") : "\"" + title + "\"") << " from "
              << application.assets.exhibitionFolder << std::endl;
    return true;
}

bool openDroppedPaths(Application& application, const std::vector<std::string>& paths)
{
    if (paths.empty())
        return false;
    for (size_t i = 1; i < paths.size(); ++i)
        std::cerr << "Dropped " << paths[i] << " left unopened: one exhibition is shown at a time." << std::endl;
    return openExhibition(application, paths[0]);
}

bool useHallOption(Application& application, const std::string& path)
{
    if (path.empty())
        return true;
    Exhibition exhibition = readExhibition(path);
    if (!reportExhibition(exhibition))
        return false;
    useExhibition(application, std::move(exhibition), path);
    return true;
}
