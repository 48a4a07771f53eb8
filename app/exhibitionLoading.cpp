#include "app/exhibitionLoading.h"

#include "app/application.h"
#include "app/exhibitionAssets.h"
#include "assets/assets.h"
#include "base/utf8Text.h"

#include <iostream>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

static_assert(firstModelKey == firstTextureKey, "one key range is dropped for both");

namespace {

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
        std::cerr << printableText(warning) << std::endl;
    if (!exhibition.error.empty())
        std::cerr << printableText(exhibition.error) << std::endl;
    return exhibition.error.empty();
}

void useExhibition(Application& application, Exhibition exhibition, const std::string& path)
{
    takeFiles(application, exhibition, path);
    application.tour.script = exhibition.hall.tour;
    application.description = std::move(exhibition.hall);
}

bool useHallFrom(Application& application, const std::string& path, std::string& error)
{
    if (path.empty())
        return true;
    Exhibition exhibition = readExhibition(path);
    for (const std::string& warning : exhibition.warnings)
        std::cerr << printableText(warning) << std::endl;
    if (!exhibition.error.empty()) {
        error = exhibition.error;
        return false;
    }
    useExhibition(application, std::move(exhibition), path);
    return true;
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
    loadExhibitionFiles(application.assets, description);
    uploadExhibitionModels(application.assets, description, application.renderer.programs);
    showHall(application, std::move(description));
    application.renderer.environmentRefreshPending = true;
    std::cout << "Showing " << (title.empty() ? std::string("the exhibition") : "\"" + printableText(title) + "\"") << " from "
              << printableText(application.assets.exhibitionFolder) << std::endl;
    return true;
}

bool openDroppedPaths(Application& application, const std::vector<std::string>& paths)
{
    if (paths.empty())
        return false;
    for (size_t i = 1; i < paths.size(); ++i)
        std::cerr << "Dropped " << printableText(paths[i]) << " left unopened: one exhibition is shown at a time." << std::endl;
    return openExhibition(application, paths[0]);
}

void keepLargeBlocksApart()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
    mallopt(M_TRIM_THRESHOLD, 8 << 20);
#endif
}
