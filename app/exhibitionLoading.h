#pragma once
// An exhibition folder in the viewer and its tools: read before the window (a bad file
// ends the run with its one line), its own files loaded at start-up beside the built-in
// ones, and once running a folder dropped on the window or changed under --watch put in
// place of the hall shown, releasing what the old exhibition held. A file with an error
// is the same one line, and the hall shown stays.
#include "scene/exhibition.h"

#include <string>
#include <vector>

struct Application;

// Prints the reader's warnings, then its error if any, one line each on standard error.
// True when the exhibition can be shown.
bool reportExhibition(const Exhibition& exhibition);

// Before start-up: the hall initApplication builds is the exhibition's, with its files.
void useExhibition(Application& application, Exhibition exhibition, const std::string& path);
// The --hall option of the viewer and capture: reads the exhibition at `path` (nothing when
// empty) and uses it in `application`, before any window opens. False, its line printed,
// when the file has an error.
bool useHallOption(Application& application, const std::string& path);

// Loads the exhibition's own models and images (none for the built-in hall) into the
// application's assets; a file that is missing or damaged gets the usual stand-in and one
// line naming it and its user ("exhibits[2]: image file ...").
void loadExhibitionFiles(Application& application);

// Uploads the exhibition's own models that are not uploaded yet (the hall's are uploaded
// with the programs), so they are drawn and have their bounds. The programs must be built.
void uploadExhibitionModels(Application& application);

// Reads `path` (a folder or its .json) and shows it in place of the hall shown: the old
// exhibition's models and textures are released, the new one's loaded. False after its
// one line, with the hall shown kept, when the file has an error.
bool openExhibition(Application& application, const std::string& path);

// What dropping files on the window does: opens the first (a folder or an exhibition
// file); the rest are named and left.
bool openDroppedPaths(Application& application, const std::vector<std::string>& paths);
