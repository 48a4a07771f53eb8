// Writes meshes, as the viewer loads them, into one mesh pack for the browser build
// (which cannot import the model files itself).
//
//   packMeshes OUT [modelFolder]     the built-in hall's models
//   packMeshes --hall DIR OUTFOLDER  an exhibition for the page: OUTFOLDER gets its
//                                    exhibition.json, its images (same paths) and
//                                    meshes.pack with its models under the keys the
//                                    reader gives them
#include "app/exhibitionLoading.h"
#include "assets/assets.h"
#include "assets/modelPack.h"
#include "assets/modelTextures.h"
#include "assets/models.h"

#include <filesystem>
#include <iostream>

namespace fs = std::filesystem;

namespace {

void countModels(const std::string& pack, const std::map<short, ModelData*>& models)
{
    size_t vertices = 0;
    for (const auto& [key, model] : models)
        vertices += model ? model->vertexCount : 0;
    std::cout << pack << ": " << models.size() << " models, " << vertices << " vertices" << std::endl;
}

// The images go as they are: the page decodes them itself. One that is missing is left
// out, and the page names it as the viewer does.
bool packExhibition(const std::string& hall, const std::string& outFolder)
{
    Exhibition exhibition = readExhibition(hall);
    if (!reportExhibition(exhibition))
        return false;
    std::error_code error;
    fs::create_directories(outFolder, error);
    const std::string json = fs::is_directory(hall) ? hall + "/exhibition.json" : hall;
    if (error || !fs::copy_file(json, outFolder + "/exhibition.json", fs::copy_options::overwrite_existing, error)) {
        std::cerr << "Could not write " << outFolder << "/exhibition.json: " << error.message() << std::endl;
        return false;
    }
    for (const TextureFile& file : exhibition.textureFiles) {
        const fs::path from = fs::path(exhibition.folder) / file.file;
        const fs::path to = fs::path(outFolder) / file.file;
        if (!fs::is_regular_file(from))
            continue;
        fs::create_directories(to.parent_path(), error);
        if (error || !fs::copy_file(from, to, fs::copy_options::overwrite_existing, error)) {
            std::cerr << "Could not write " << to.string() << ": " << error.message() << std::endl;
            return false;
        }
    }
    Assets assets;
    const HallDescription& description = exhibition.hall;
    loadModelsFrom(assets, exhibition.folder, exhibition.modelFiles, [&description](short key) {
        for (const ObjectRow& row : description.objects)
            if (row.model == key && row.exhibit >= 0)
                return "exhibits[" + std::to_string(row.exhibit) + "]";
        return std::string();
    });
    // The pictures the models' materials name go beside them, at the same paths; the
    // embedded ones travel in the pack.
    for (const ModelFile& file : exhibition.modelFiles) {
        const ModelData* model = getModel(assets, file.key);
        if (!model)
            continue;
        for (const std::string& picture : modelTextureFiles(exhibition.folder, file.file, *model)) {
            const fs::path to = fs::path(outFolder) / picture;
            fs::create_directories(to.parent_path(), error);
            if (error || !fs::copy_file(fs::path(exhibition.folder) / picture, to, fs::copy_options::overwrite_existing, error)) {
                std::cerr << "Could not write " << to.string() << ": " << error.message() << std::endl;
                return false;
            }
        }
    }
    const std::string pack = outFolder + "/meshes.pack";
    if (!writeModelPack(pack, assets.models)) {
        std::cerr << "Could not write " << pack << std::endl;
        return false;
    }
    countModels(pack, assets.models);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string usage = "usage: packMeshes OUT [modelFolder] | packMeshes --hall DIR OUTFOLDER\n";
    if (argc == 4 && std::string(argv[1]) == "--hall")
        return packExhibition(argv[2], argv[3]) ? 0 : 2;
    if (argc < 2 || argc > 3 || argv[1][0] == '-') {
        std::cerr << usage;
        return 2;
    }
    if (argc == 3)
        defaultAssets().modelDirectory = std::string(argv[2]) + "/";
    loadModels();
    if (!writeModelPack(argv[1], models)) {
        std::cerr << "Could not write " << argv[1] << std::endl;
        return 1;
    }
    countModels(argv[1], models);
    return 0;
}
