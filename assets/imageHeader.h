#pragma once
// What the first bytes of an image file say, read by this code alone before any decoder
// sees them: whether it is a JPEG or a PNG, the two formats the viewer takes, and the size
// its header declares. Both builds, desktop and browser, decide with these the same way.
#include <string>

// JPEG (FF D8 FF) and PNG (its 8-byte signature) are known by their first bytes,
// whatever the file's name. Their readers, libjpeg-turbo and libpng, have been fuzzed for
// years; no other format's reader is run.
enum class ImageFormat { other, jpeg, png };
ImageFormat imageFormatOf(const std::string& bytes);

// The width and height a JPEG's frame header or a PNG's IHDR declares; false when there
// is none to read. A decoder must not be asked for a size first: libjpeg, reading only the
// header of a progressive JPEG, already allocates for the whole frame.
bool imageHeaderSize(const std::string& bytes, unsigned int& width, unsigned int& height);
