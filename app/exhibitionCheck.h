#pragma once
// `pinakora --check DIR`: an exhibition read and its models imported without a window or
// GL, one line per model placed: its file, its size in its own units and as placed in the
// hall, its triangles, and how far its origin lies from the centre of its footprint.
#include <ostream>
#include <string>

// 0 when the exhibition reads (a model that cannot be loaded is its line, and the check
// goes on), 2 after the line of an error of the file, 1 when the viewer's own data, which
// the exhibition names, cannot be found.
int checkExhibition(const std::string& path, std::ostream& out, std::ostream& err);
