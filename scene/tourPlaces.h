#pragma once
// The tour a hall's visitors get when its description names exhibits rather than poses:
// a view of exhibit N from the side facing the room's centre (or, with another exhibit in
// the way, the nearest clear side round it), at eye height, far enough for its bounding
// sphere to fill about two thirds of the picture; and, for a hall whose
// description has no tour, a made-up one: the hall from the entrance, then each exhibit in
// turn, looping. GL-free: it reads the spheres and the room box the builder measured.
#include "navigation/tour.h"

struct Hall;

// Whether `script` still needs the hall: no steps, and no places or a place of an exhibit.
bool tourNeedsHall(const TourScript& script);

// `script` with every place of an exhibit turned into a pose, or the made-up tour.
TourScript placedTour(const TourScript& script, const Hall& hall);

// The view of exhibit `exhibit`, and the view from the entrance (the middle of the room's
// front wall, +z, looking in).
TourKeyframe exhibitView(const Hall& hall, int exhibit);
TourKeyframe entranceView(const Hall& hall);
