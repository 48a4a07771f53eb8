#include "app/exhibitionCheck.h"

// The browser build imports nothing: it reads the mesh pack (modelsWeb.cpp).
#ifndef __EMSCRIPTEN__

#include "app/dataFolders.h"
#include "assets/assets.h"
#include "assets/isolatedImport.h"
#include "assets/models.h"
#include "base/utf8Text.h"
#include "scene/exhibition.h"
#include "scene/placement.h"

#include <map>
#include <memory>
#include <sstream>

namespace {

std::string sizeText(const Extent& extent)
{
    const glm::vec3 span = extent.high - extent.low;
    std::ostringstream text;
    text.precision(4);
    text << span.x << " x " << span.y << " x " << span.z;
    return text.str();
}

std::string numberText(float value)
{
    std::ostringstream text;
    text.precision(4);
    text << value;
    return text.str();
}

float footprintOffset(const ModelData& model, const glm::mat4& transform)
{
    const Extent extent = extentOf(&model, transform);
    const glm::vec3 origin(transform[3]);
    return glm::length(glm::vec2(0.5f * (extent.low.x + extent.high.x) - origin.x,
                                 0.5f * (extent.low.z + extent.high.z) - origin.z));
}

struct CheckedModel {
    std::string file;  // as it was read
    ModelData model;
    const ModelData* shown = &model;  // where the imported arrays are
    ModelImport result = ModelImport::Failed;
    std::string problem;
};

} // namespace

int checkExhibition(const std::string& path, std::ostream& out, std::ostream& err)
{
    const Exhibition exhibition = readExhibition(path);
    for (const std::string& warning : exhibition.warnings)
        err << printableText(warning) << std::endl;
    if (!exhibition.error.empty()) {
        err << printableText(exhibition.error) << std::endl;
        return 2;
    }
    const HallDescription& hall = exhibition.hall;
    std::map<short, std::unique_ptr<CheckedModel>> models;
    bool ownData = false;
    for (const ObjectRow& row : hall.objects) {
        if (row.box || row.role == ObjectRole::Lamp || models.count(row.model))
            continue;
        models[row.model] = std::make_unique<CheckedModel>();
        ownData = ownData || row.model < firstModelKey;
    }
    if (ownData && !findDataFolders("pinakora"))
        return 1;

    // The exhibition's files read inside its folder, the viewer's own inside theirs.
    std::vector<IsolatedImport> own, builtIn;
    auto entry = [&models](const std::string& folder, const ModelFile& file) {
        CheckedModel& checked = *models.at(file.key);
        IsolatedImport import;
        import.path = folder + file.file;
        import.smoothNormals = file.smoothNormals;
        import.allMeshes = file.allMeshes;
        import.model = &checked.model;
        return import;
    };
    for (const ModelFile& file : exhibition.modelFiles)
        if (models.count(file.key))
            own.push_back(entry(exhibition.folder + "/", file));
    for (const ModelFile& file : hallModelFiles())
        if (models.count(file.key))
            builtIn.push_back(entry(defaultAssets().modelDirectory, file));
    importIsolated(own, exhibition.folder);
    importIsolated(builtIn, defaultAssets().modelDirectory);
    for (std::vector<IsolatedImport>* imports : {&own, &builtIn}) {
        for (const IsolatedImport& import : *imports) {
            for (auto& [key, checked] : models) {
                if (&checked->model == import.model) {
                    checked->result = import.result;
                    checked->problem = import.problem;
                    checked->file = import.path;
                    // A file named again under another path was imported once, for the first name.
                    if (import.sameAs >= 0)
                        checked->shown = (*imports)[static_cast<size_t>(import.sameAs)].model;
                }
            }
        }
    }

    for (const ObjectRow& described : hall.objects) {
        const auto found = models.find(described.model);
        if (described.box || described.role == ObjectRole::Lamp || found == models.end())
            continue;
        const CheckedModel& checked = *found->second;
        const std::string line = objectUser(described) + ": " + printableText(checked.file);
        if (checked.result == ModelImport::Failed) {
            out << line << " could not be loaded: " << printableText(checked.problem) << std::endl;
            continue;
        }
        if (checked.shown->positions.empty()) {
            out << line << " holds no mesh" << std::endl;
            continue;
        }
        const ModelData& model = *checked.shown;
        const ObjectRow row = plainRow(described, &model, 0.0f);
        ObjectRow turnedOnly = row;
        turnedOnly.point = glm::vec3(0.0f);
        turnedOnly.scale = glm::vec3(1.0f);
        out << line << ": " << sizeText(extentOf(&model, glm::mat4(1.0f))) << " in its units, "
            << sizeText(extentOf(&model, placedMatrix(row))) << " as placed; " << model.indices.size() / 3
            << " triangles; origin " << numberText(footprintOffset(model, placedMatrix(turnedOnly)))
            << " from its footprint's centre (" << numberText(footprintOffset(model, placedMatrix(row)))
            << " as placed)" << std::endl;
    }
    return 0;
}

#endif
