#include "assets/imageHeader.h"

#include <cstddef>

namespace {

unsigned int byteAt(const std::string& bytes, size_t at) { return static_cast<unsigned char>(bytes[at]); }

unsigned int bigEndian16(const std::string& bytes, size_t at) { return byteAt(bytes, at) << 8 | byteAt(bytes, at + 1); }

unsigned long bigEndian32(const std::string& bytes, size_t at)
{
    return static_cast<unsigned long>(bigEndian16(bytes, at)) << 16 | bigEndian16(bytes, at + 2);
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

} // namespace

ImageFormat imageFormatOf(const std::string& bytes)
{
    if (bytes.compare(0, 3, "\xff\xd8\xff") == 0)
        return ImageFormat::jpeg;
    if (bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0)
        return ImageFormat::png;
    return ImageFormat::other;
}

bool imageHeaderSize(const std::string& bytes, unsigned int& width, unsigned int& height)
{
    switch (imageFormatOf(bytes)) {
    case ImageFormat::jpeg:
        return jpegSize(bytes, width, height);
    case ImageFormat::png:
        return pngSize(bytes, width, height);
    default:
        return false;
    }
}
