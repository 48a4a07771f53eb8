#include "render/filterParameters.h"

float bloomfactor = 1.0f;
float focalDepth = 10.0f;
float focalLength = 1000.0f;
float fstop = 19.0f;
