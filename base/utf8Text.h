#pragma once
// UTF-8 as it comes from a file, read without trusting it: decoded to code points (a byte
// that starts or continues no valid sequence becomes U+FFFD), or escaped where a control
// or an invalid byte would reach a terminal or a page.
#include <string>

constexpr char32_t replacementCharacter = 0xFFFD;

std::u32string decodeUtf8(const std::string& text);

// Text from a file (a caption, a title, a file name, an importer's words) made safe to show
// on a terminal or in a page: each byte of a C0 or C1 control, of DEL, of a bidirectional
// control (U+061C, U+200E, U+200F, U+202A to U+202E, U+2066 to U+2069) and each byte that
// is no part of valid UTF-8 becomes `\xNN`; letters and signs of any script pass as they are.
// A file cannot so end a console line, move the cursor, set the terminal's title or turn
// the text around.
std::string printableText(const std::string& text);
