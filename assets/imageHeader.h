#pragma once
// What the first bytes of an image file say, read by this code alone before any decoder
// sees them: which of the formats the viewer takes it is (JPEG, PNG, TGA, BMP), the size
// its header declares, and whether the file holds all the pixels it announces. Both
// builds, desktop and browser, decide with these the same way.
#include <string>

// Known by their first bytes, whatever the file's name: JPEG (FF D8 FF), PNG (its 8-byte
// signature), BMP ("BM" and an info header stb_image reads). TGA has no signature: it is
// taken for bytes no other format claims whose 18-byte header is one a TGA writer makes
// (see tgaHeader in the source). JPEG and PNG go to libjpeg-turbo and libpng on the
// desktop, TGA and BMP to stb_image in both builds; no other format's reader is run.
enum class ImageFormat { other, jpeg, png, bmp, tga };
ImageFormat imageFormatOf(const std::string& bytes);

// The width and height a JPEG's frame header or a PNG's IHDR declares; false when there
// is none to read. A decoder must not be asked for a size first: libjpeg, reading only the
// header of a progressive JPEG, already allocates for the whole frame.
bool imageHeaderSize(const std::string& bytes, unsigned int& width, unsigned int& height);

// Whether the bytes hold every pixel a TGA or BMP header announces (an RLE TGA's packets
// are walked for it): stb_image would read zeros past the end, or leave rows it never
// filled, where this refuses the file. True for JPEG and PNG, whose readers report damage.
bool imageHoldsItsPixels(const std::string& bytes);

// The decoding a JPEG asks for, read from its markers alone, as libjpeg and stb_image
// meet them: its scans; the samples they go over in all, each scan counting every sample
// of each colour component it holds (a decoder visits each block of those components
// however little the scan's bytes say); and its comment and application segments, which
// libjpeg keeps in a list it walks to its end for each new one. Zero for other formats.
struct JpegWork {
    unsigned long scans = 0;
    unsigned long long samples = 0;
    unsigned long keptSegments = 0;
};
JpegWork jpegWork(const std::string& bytes);

// The chunks of a PNG that libpng inflates besides its pixels, each up to 8 MB however
// small: zTXt, iCCP, and iTXt with its compression flag set; counted up to IEND or the
// first chunk cut off. Zero for other formats.
unsigned long pngPackedChunks(const std::string& bytes);

// A chunk of a PNG, other than its pixels (IDAT), that declares more bytes than the file
// has left: libpng allocates such a chunk whole before it reads it, gigabytes for a few
// bytes of file. Its description ("its iTXt chunk declares N bytes, where M are left"), or
// empty when there is none or the bytes are no PNG.
std::string pngChunkPastItsEnd(const std::string& bytes);
