#pragma once
// The post-processing filter parameters, sent as uniforms of the same names by the
// bloom and depth-of-field passes. The keyboard changes the depth-of-field three.
// Plain floats, no GL, so the keyboard can be tested without a context.

extern float bloomfactor;  // 1.0
extern float focalDepth;   // 10.0
extern float focalLength;  // 1000.0
extern float fstop;        // 19.0
