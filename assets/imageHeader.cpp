#include "assets/imageHeader.h"

#include "base/utf8Text.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

unsigned int byteAt(const std::string& bytes, size_t at) { return static_cast<unsigned char>(bytes[at]); }

unsigned int bigEndian16(const std::string& bytes, size_t at) { return byteAt(bytes, at) << 8 | byteAt(bytes, at + 1); }

unsigned long bigEndian32(const std::string& bytes, size_t at)
{
    return static_cast<unsigned long>(bigEndian16(bytes, at)) << 16 | bigEndian16(bytes, at + 2);
}

unsigned int littleEndian16(const std::string& bytes, size_t at) { return byteAt(bytes, at + 1) << 8 | byteAt(bytes, at); }

unsigned long littleEndian32(const std::string& bytes, size_t at)
{
    return static_cast<unsigned long>(littleEndian16(bytes, at + 2)) << 16 | littleEndian16(bytes, at);
}

// Markers libjpeg reads a length after, other than a frame header's: DHT, DAC, DQT, DNL,
// DRI, APP0 to APP15 and COM.
bool hasLength(unsigned int marker)
{
    return marker == 0xc4 || marker == 0xcc || (marker >= 0xdb && marker <= 0xdd) || (marker >= 0xe0 && marker <= 0xef) ||
           marker == 0xfe;
}

// The first frame header (SOF0 to SOF15) found as libjpeg under FreeImage finds it:
// segments skipped by their lengths; stray bytes, fill bytes and FF 00 skipped before a
// marker; and, as FreeImage lets libjpeg go on past an unknown marker, such a marker's
// bytes not skipped but scanned. A scan, a second start, the end, or a length that
// libjpeg would take otherwise, before any frame: no size.
bool jpegSize(const std::string& bytes, unsigned int& width, unsigned int& height)
{
    size_t at = 2;  // past the start marker
    for (;;) {
        while (at < bytes.size() && byteAt(bytes, at) != 0xff)
            ++at;
        while (at < bytes.size() && byteAt(bytes, at) == 0xff)
            ++at;
        if (at >= bytes.size())
            return false;
        const unsigned int marker = byteAt(bytes, at++);
        const bool frame = marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xcc;
        if (marker == 0xd8 || marker == 0xd9 || marker == 0xda)
            return false;
        if (!frame && !hasLength(marker))
            continue;  // FF 00, a restart, TEM or an unknown marker: no length
        if (at + 2 > bytes.size())
            return false;
        const size_t length = bigEndian16(bytes, at);
        if (frame) {
            // length, precision, height, width
            if (length < 8 || at + 7 > bytes.size())
                return false;
            height = bigEndian16(bytes, at + 3);
            width = bigEndian16(bytes, at + 5);
            return true;
        }
        if (length < 2)
            return false;
        at += length;
    }
}

// One colour component of a JPEG frame: its id and sampling factors.
struct JpegComponent {
    unsigned int id, horizontal, vertical;
};

// The samples of the frame's component `id`, which is subsampled by its factors against
// the largest; the whole frame's pixels for an id the frame lacks.
unsigned long long componentSamples(unsigned int id, unsigned int width, unsigned int height,
                                    const std::vector<JpegComponent>& components)
{
    unsigned int mostH = 1, mostV = 1;
    for (const JpegComponent& c : components) {
        mostH = std::max(mostH, c.horizontal);
        mostV = std::max(mostV, c.vertical);
    }
    for (const JpegComponent& c : components)
        if (c.id == id)
            return static_cast<unsigned long long>((static_cast<unsigned long long>(width) * c.horizontal + mostH - 1) /
                                                   mostH) *
                   ((static_cast<unsigned long long>(height) * c.vertical + mostV - 1) / mostV);
    return static_cast<unsigned long long>(width) * height;
}

// libpng takes nothing but IHDR as the first chunk.
bool pngSize(const std::string& bytes, unsigned int& width, unsigned int& height)
{
    if (bytes.size() < 24 || bytes.compare(12, 4, "IHDR") != 0)
        return false;
    const unsigned long w = bigEndian32(bytes, 16), h = bigEndian32(bytes, 20);
    // libpng refuses sides beyond 2^31 - 1; so does this, before they are cut to unsigned int
    if (w > 0x7fffffffu || h > 0x7fffffffu)
        return false;
    width = static_cast<unsigned int>(w);
    height = static_cast<unsigned int>(h);
    return true;
}

// A BMP: "BM", then an info header of one of the sizes stb_image reads (core 12 bytes,
// Windows 40, 56, 108 or 124), one plane and a depth it reads.
bool bmpHeader(const std::string& bytes)
{
    if (bytes.size() < 26 || bytes.compare(0, 2, "BM") != 0)
        return false;
    const unsigned long infoSize = littleEndian32(bytes, 14);
    const bool core = infoSize == 12;
    if (!core && infoSize != 40 && infoSize != 56 && infoSize != 108 && infoSize != 124)
        return false;
    if (bytes.size() < (core ? 26u : 30u) || littleEndian16(bytes, core ? 22 : 26) != 1)
        return false;
    const unsigned int depth = littleEndian16(bytes, core ? 24 : 28);
    return depth == 1 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
}

// The 18-byte header of a TGA, the one format without a signature.
struct TgaHeader {
    unsigned int idLength, type, mapFirst, mapLength, mapBits, width, height, bits;
    bool mapped() const { return type == 1 || type == 9; }
    bool runLength() const { return type >= 9; }
};

// A TGA header as TGA writers make it, checked field by field so that a file of another
// format, or text, is hardly ever taken for one: image type 1, 2, 3 (colour-mapped, true
// colour, grey) or their run-length forms 9, 10, 11; a colour map present exactly for the
// colour-mapped types, with entries of 8, 15, 16, 24 or 32 bits; 8 or 16 bits an index,
// 15, 16, 24 or 32 a colour, 8 or 16 a grey pixel; no interleaving (the descriptor's top
// two bits, a long-dropped feature); neither side 0. It is asked only of bytes that no
// format with a signature claims. The file's name is not asked: the viewer takes every
// format whatever the name, and a texture named .jpg may be any of them.
bool tgaHeader(const std::string& bytes, TgaHeader& header)
{
    if (bytes.size() < 18)
        return false;
    header = {byteAt(bytes, 0),          byteAt(bytes, 2),          littleEndian16(bytes, 3), littleEndian16(bytes, 5),
              byteAt(bytes, 7),          littleEndian16(bytes, 12), littleEndian16(bytes, 14), byteAt(bytes, 16)};
    const unsigned int mapType = byteAt(bytes, 1), descriptor = byteAt(bytes, 17), bits = header.bits;
    const unsigned int kind = header.type & 7;
    if ((header.type != kind && header.type != kind + 8) || kind == 0 || kind > 3 || (descriptor & 0xc0) != 0 ||
        header.width == 0 || header.height == 0)
        return false;
    if (header.mapped()) {
        const unsigned int entry = header.mapBits;
        return mapType == 1 && header.mapLength > 0 && (bits == 8 || bits == 16) &&
               (entry == 8 || entry == 15 || entry == 16 || entry == 24 || entry == 32);
    }
    if (mapType != 0)
        return false;
    return kind == 2 ? bits == 15 || bits == 16 || bits == 24 || bits == 32 : bits == 8 || bits == 16;
}

// Bytes a pixel or a colour map entry of that many bits takes (15 bits: 2).
unsigned int bytesOf(unsigned int bits) { return (bits + 7) / 8; }

// Whether the TGA holds its id, its colour map and every pixel, walking the packets of a
// run-length one; counted as stb_image reads it (it skips `mapFirst` bytes before the map).
bool tgaComplete(const std::string& bytes, const TgaHeader& header)
{
    unsigned long long at = 18ull + header.idLength;
    if (header.mapped())
        at += header.mapFirst + static_cast<unsigned long long>(header.mapLength) * bytesOf(header.mapBits);
    const unsigned int pixel = bytesOf(header.bits);
    const unsigned long long pixels = static_cast<unsigned long long>(header.width) * header.height;
    if (!header.runLength())
        return at + pixels * pixel <= bytes.size();
    // Each packet costs at least two bytes: the walk ends within the file.
    for (unsigned long long done = 0; done < pixels;) {
        if (at >= bytes.size())
            return false;
        const unsigned int packet = byteAt(bytes, static_cast<size_t>(at++));
        const unsigned int count = (packet & 0x7f) + 1;
        at += (packet & 0x80) ? pixel : static_cast<unsigned long long>(count) * pixel;
        if (at > bytes.size())
            return false;
        done += count;
    }
    return true;
}

// The BMP's width and height, height without the sign that makes rows run top-down.
// A negative width is no image's.
bool bmpSize(const std::string& bytes, unsigned int& width, unsigned int& height)
{
    if (littleEndian32(bytes, 14) == 12) {
        width = littleEndian16(bytes, 18);
        height = littleEndian16(bytes, 20);
        return true;
    }
    const unsigned long w = littleEndian32(bytes, 18), h = littleEndian32(bytes, 22);
    if (w >= 0x80000000ul)
        return false;
    width = static_cast<unsigned int>(w);
    height = static_cast<unsigned int>(h < 0x80000000ul ? h : 0x100000000ul - h);
    return true;
}

// Whether the BMP's rows, each padded to 4 bytes, are all there from its pixel offset on.
// Run-length and other compressions stb_image refuses by itself: nothing to count.
bool bmpComplete(const std::string& bytes)
{
    unsigned int width = 0, height = 0;
    if (!bmpSize(bytes, width, height))
        return false;
    const bool core = littleEndian32(bytes, 14) == 12;
    if (!core && (bytes.size() < 34 || (littleEndian32(bytes, 30) != 0 && littleEndian32(bytes, 30) != 3)))
        return true;
    const unsigned long long offset = littleEndian32(bytes, 10);
    const unsigned long long depth = littleEndian16(bytes, core ? 24 : 28);
    const unsigned long long row = (width * depth + 31) / 32 * 4;
    if (offset > bytes.size())
        return false;
    return height == 0 || row <= (bytes.size() - offset) / height;
}

} // namespace

ImageFormat imageFormatOf(const std::string& bytes)
{
    if (bytes.compare(0, 3, "\xff\xd8\xff") == 0)
        return ImageFormat::jpeg;
    if (bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0)
        return ImageFormat::png;
    if (bmpHeader(bytes))
        return ImageFormat::bmp;
    TgaHeader tga;
    if (tgaHeader(bytes, tga))
        return ImageFormat::tga;
    return ImageFormat::other;
}

bool imageHeaderSize(const std::string& bytes, unsigned int& width, unsigned int& height)
{
    switch (imageFormatOf(bytes)) {
    case ImageFormat::jpeg:
        return jpegSize(bytes, width, height);
    case ImageFormat::png:
        return pngSize(bytes, width, height);
    case ImageFormat::bmp:
        return bmpSize(bytes, width, height);
    case ImageFormat::tga: {
        TgaHeader tga;
        tgaHeader(bytes, tga);
        width = tga.width;
        height = tga.height;
        return true;
    }
    default:
        return false;
    }
}

JpegWork jpegWork(const std::string& bytes)
{
    JpegWork work;
    if (imageFormatOf(bytes) != ImageFormat::jpeg)
        return work;
    unsigned int width = 0, height = 0;
    std::vector<JpegComponent> components;
    bool framed = false;
    // Every marker outside a segment both decoders skip by its length is looked at: the
    // entropy-coded data of a scan stuffs each FF byte it holds (FF 00), so an FF followed by
    // anything but 00, a fill FF or a restart is a marker wherever it stands. A marker
    // neither decoder skips by length (TEM, an unknown one) is scanned through.
    for (size_t at = 2;;) {
        at = bytes.find('\xff', at);
        if (at == std::string::npos)
            return work;
        while (at < bytes.size() && byteAt(bytes, at) == 0xff)
            ++at;
        if (at >= bytes.size())
            return work;
        const unsigned int marker = byteAt(bytes, at++);
        if (marker == 0xd9)
            return work;  // the end: neither decoder reads on
        const bool frame = marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xcc;
        const bool scan = marker == 0xda;
        if (!frame && !scan && !hasLength(marker))
            continue;
        if (at + 2 > bytes.size())
            return work;
        const size_t length = bigEndian16(bytes, at);
        if (length < 2)
            return work;
        const size_t end = std::min(bytes.size(), at + length);
        if ((marker >= 0xe0 && marker <= 0xef) || marker == 0xfe)
            ++work.keptSegments;
        if (frame && !framed && at + 8 <= end) {
            // length, precision, height, width, count, then id, factors and table of each
            framed = true;
            height = bigEndian16(bytes, at + 3);
            width = bigEndian16(bytes, at + 5);
            for (size_t c = at + 8; c + 3 <= end && components.size() < byteAt(bytes, at + 7); c += 3)
                components.push_back({byteAt(bytes, c), std::max(1u, byteAt(bytes, c + 1) >> 4),
                                      std::max(1u, byteAt(bytes, c + 1) & 15u)});
        }
        if (scan) {
            ++work.scans;
            // length, count, then each component's id and tables
            const unsigned int count = at + 3 <= end ? byteAt(bytes, at + 2) : 0;
            for (size_t c = at + 3, i = 0; i < count && c + 2 <= end; c += 2, ++i)
                work.samples += componentSamples(byteAt(bytes, c), width, height, components);
        }
        at += length;
    }
}

unsigned long pngPackedChunks(const std::string& bytes)
{
    unsigned long packed = 0;
    if (imageFormatOf(bytes) != ImageFormat::png)
        return packed;
    // length, type, data, CRC
    for (size_t at = 8; bytes.size() - at >= 12;) {
        const unsigned long length = bigEndian32(bytes, at);
        if (length > bytes.size() - at - 12)
            return packed;
        const std::string type = bytes.substr(at + 4, 4);
        if (type == "IEND")
            return packed;
        if (type == "zTXt" || type == "iCCP") {
            ++packed;
        } else if (type == "iTXt") {
            // keyword, NUL, then the compression flag
            const size_t nul = bytes.find('\0', at + 8);
            packed += nul != std::string::npos && nul + 1 < at + 8 + length && bytes[nul + 1] != 0;
        }
        at += 12 + length;
    }
    return packed;
}

std::string pngChunkPastItsEnd(const std::string& bytes)
{
    if (imageFormatOf(bytes) != ImageFormat::png)
        return "";
    for (size_t at = 8; bytes.size() - at >= 12;) {
        const unsigned long length = bigEndian32(bytes, at);
        const std::string type = bytes.substr(at + 4, 4);
        if (type == "IEND")
            return "";
        // A cut-off IDAT is read as far as it goes, and libpng names the damage.
        if (length > bytes.size() - at - 12)
            return type == "IDAT" ? ""
                                  : "its " + printableText(type) + " chunk declares " + std::to_string(length) +
                                        " bytes, where " + std::to_string(bytes.size() - at - 12) + " are left";
        at += 12 + length;
    }
    return "";
}

bool imageHoldsItsPixels(const std::string& bytes)
{
    TgaHeader tga;
    switch (imageFormatOf(bytes)) {
    case ImageFormat::bmp:
        return bmpComplete(bytes);
    case ImageFormat::tga:
        return tgaHeader(bytes, tga) && tgaComplete(bytes, tga);
    default:
        return true;
    }
}
