#include "base/utf8Text.h"

#include <algorithm>

namespace {

// Continuation bytes 10xxxxxx after a lead byte; overlong forms, surrogates and values past
// U+10FFFF are no characters.
bool continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

} // namespace

std::u32string decodeUtf8(const std::string& text)
{
    std::u32string out;
    const size_t size = text.size();
    size_t i = 0;
    while (i < size) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        int length = 0;
        char32_t c = 0, lowest = 0;
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, c = lead & 0x1F, lowest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, c = lead & 0x0F, lowest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, c = lead & 0x07, lowest = 0x10000;
        }
        int taken = 1;
        while (length > 0 && taken < length && i + static_cast<size_t>(taken) < size &&
               continuation(static_cast<unsigned char>(text[i + static_cast<size_t>(taken)]))) {
            c = (c << 6) | (static_cast<unsigned char>(text[i + static_cast<size_t>(taken)]) & 0x3F);
            ++taken;
        }
        const bool whole = length > 0 && taken == length;
        if (whole && c >= lowest && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF))
            out.push_back(c);
        else
            out.push_back(replacementCharacter);
        // A broken sequence gives one U+FFFD for what was taken; the next byte starts afresh.
        i += static_cast<size_t>(taken);
    }
    return out;
}

namespace {

// The length of the valid UTF-8 sequence at `at` and its code point; 0 for a byte that
// starts none (as decodeUtf8 reads them: no overlong forms, surrogates or code points past
// U+10FFFF).
size_t validSequence(const std::string& text, size_t at, char32_t& c)
{
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    size_t length = 0;
    char32_t lowest = 0;
    if (lead < 0x80)
        length = 1, c = lead;
    else if ((lead & 0xE0) == 0xC0)
        length = 2, c = lead & 0x1F, lowest = 0x80;
    else if ((lead & 0xF0) == 0xE0)
        length = 3, c = lead & 0x0F, lowest = 0x800;
    else if ((lead & 0xF8) == 0xF0)
        length = 4, c = lead & 0x07, lowest = 0x10000;
    if (length == 0 || text.size() - at < length)
        return 0;
    for (size_t k = 1; k < length; ++k) {
        const unsigned char next = static_cast<unsigned char>(text[at + k]);
        if (!continuation(next))
            return 0;
        c = (c << 6) | (next & 0x3F);
    }
    if (c < lowest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return length;
}

bool unshown(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

} // namespace

std::string printableText(const std::string& text)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        char32_t c = 0;
        const size_t length = validSequence(text, at, c);
        if (length > 0 && !unshown(c)) {
            out.append(text, at, length);
            at += length;
            continue;
        }
        for (size_t end = at + std::max<size_t>(length, 1); at < end; ++at) {
            const unsigned char byte = static_cast<unsigned char>(text[at]);
            out += "\\x";
            out += digits[byte >> 4];
            out += digits[byte & 15];
        }
    }
    return out;
}
