#pragma once
// Builds a hall from its description: every material, object and light made in the
// table's order, each object given its role, maps and placement and stored in the
// registries its role belongs to. A model or texture the assets lack is named on
// standard error and stood in for, so the hall is still drawn.
#include <vector>

struct Assets;
struct Hall;
struct HallDescription;

// The models and textures the rows name by key come from `assets`, which must outlive
// the hall (its objects point into them). `environmentMaps[k]` is the cube map (GL name) the k-th reflecting object shows; a
// reflecting object beyond the list shows none.
void buildHall(Hall& hall, const HallDescription& description, const Assets& assets,
               const std::vector<unsigned int>& environmentMaps);

// The built-in hall into the default one, with the environment cube maps.
void buildScene();
