#pragma once
// An exhibition's own files in the assets: its models and images loaded beside the
// built-in ones (at start-up, or when another exhibition is opened), and its models
// uploaded once the programs are built. A file that is missing or damaged gets the usual
// stand-in and one line naming it and its user ("exhibits[2]: image file ..."); so does
// one that would pass the exhibition's totals of vertices, texture pixels or GPU bytes
// (assets/assetBudget.h), counted in file order before anything is uploaded.
#include "assets/assets.h"
#include "scene/hallTable.h"

struct ShaderPrograms;

// Loads the exhibition's own models and images (none for the built-in hall, whose assets
// name no exhibition folder) as `hall` uses them.
void loadExhibitionFiles(Assets& assets, const HallDescription& hall);

// Uploads the exhibition's own models that are not uploaded yet (the hall's are uploaded
// with the programs), so they are drawn and have their bounds. The programs must be built.
// One that GL has no memory for is named in a line (by its user in `hall`) and emptied,
// to stand in as a box.
void uploadExhibitionModels(Assets& assets, const HallDescription& hall, const ShaderPrograms& programs);
