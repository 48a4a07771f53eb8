#pragma once
// An exhibition folder in the viewer and its tools: read into the application before the
// window (a bad file ends the run with its one line, or on the page leaves the built-in
// hall), and once running a folder dropped on the window or changed under --watch put in
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
// Reads the exhibition at `path` (nothing when empty) and uses it in `application`, before
// any window opens; its warnings go to standard error. False, with `error` its one line
// and the application left as it was, when the file has an error.
bool useHallFrom(Application& application, const std::string& path, std::string& error);

// Reads `path` (a folder or its .json) and shows it in place of the hall shown: the old
// exhibition's models and textures are released, the new one's loaded. False after its
// one line, with the hall shown kept, when the file has an error.
bool openExhibition(Application& application, const std::string& path);

// The driver keeps each shadow map and view-sized target in a block of its own. The C
// library serves such a block from its heap, where it stays resident once freed, as soon
// as it has unmapped one of that size: a hall with another number of lights would then
// keep tens of MiB for good. This keeps every block of 4 MiB or more mapped apart, so
// freeing it hands it back, and the heap's top only shrinks past 8 MiB free, so the
// driver's swing from frame to frame costs no system calls. Called once, before the
// window opens; nothing where the C library has no such settings.
void keepLargeBlocksApart();

// What dropping files on the window does: opens the first (a folder or an exhibition
// file); the rest are named and left.
bool openDroppedPaths(Application& application, const std::vector<std::string>& paths);
