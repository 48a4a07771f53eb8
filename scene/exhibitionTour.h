#pragma once
// The `tour` of an exhibition file: a list of places (a pose, or `exhibit: N`, each with the
// seconds to reach it), or, as the built-in hall has it, a script of orbit and glide steps.
#include "navigation/tour.h"

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

TourScript readTour(const nlohmann::json& value, int exhibitCount, size_t maxKeyframes, double maxCoordinate,
                    std::vector<std::string>& warnings);
