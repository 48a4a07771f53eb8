#pragma once
// An exhibition folder read into a hall description: `exhibition.json` (format
// docs/exhibition.md) and the model and image files it names, all inside the folder. The
// reader opens no model or image and needs no GL; the files it names get keys beyond the
// built-in tables, and `pinakora:models/NAME` or `pinakora:textures/NAME` names one of the
// viewer's own files under its own key. A problem that stops the reading is one line in
// `error`; keys it does not know are warnings.
#include "scene/exhibitionFiles.h"
#include "scene/hallTable.h"

#include <string>
#include <vector>

// Every exhibit, part, pedestal and fixture is drawn once more for each face of each
// light's shadow map and each mirror's environment map: these counts (some 5,000 objects
// at most) keep such a frame within about 2 s on a software driver.
struct ExhibitionLimits {
    size_t maxFileBytes = 1 << 20;  // exhibition.json
    size_t maxExhibits = 500;
    size_t maxParts = 8;            // models on one pedestal
    size_t maxFixtures = 500;
    int maxLights = 4;
    int maxReflecting = 4;          // mirror and glass exhibits together
    size_t maxKeyframes = 1000;
    size_t maxStringBytes = 4096;
    double maxCoordinate = 1e6;     // hall units, each axis
};

struct Exhibition {
    HallDescription hall;
    std::string folder;    // resolved; the files below are relative to it
    std::vector<ModelFile> modelFiles;      // the folder's own models, keys from firstModelKey
    std::vector<TextureFile> textureFiles;  // its images, keys from firstTextureKey
    std::vector<std::string> warnings;
    std::string error;     // empty when the hall could be read
};

// `path` is the folder or its exhibition.json (a .json file of another name is read too).
Exhibition readExhibition(const std::string& path, const ExhibitionLimits& limits = {});
// The same from text already read; `folder` is where the files it names must lie.
Exhibition readExhibitionText(const std::string& text, const std::string& fileName, const std::string& folder,
                              const ExhibitionLimits& limits = {});
