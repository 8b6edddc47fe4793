#pragma once
// Text in the windows is held in code page 932 bytes, like the records it
// shows. It becomes UTF-8 only on its way to the terminal, and what a person
// types becomes code page 932 on its way in (glibc iconv "CP932").
#include <optional>
#include <string>
#include <string_view>

namespace volq {

// Code page 932 bytes of UTF-8 text; captions and messages written in the
// source as UTF-8 go through it once. A character without a code page 932
// form raises a conversion Failure.
std::string Cp932(std::string_view utf8);
// The same for typed text: nullopt when it is not convertible.
std::optional<std::string> TryCp932(std::string_view utf8);
// UTF-8 of code page 932 bytes for display; a byte that starts no valid
// character shows as '?', so record text of any content can be printed.
std::string ToUtf8(std::string_view cp932);
// Code page 932 text with its width forms folded, for matching what a person
// typed against a caption: full-width letters, digits, signs and space
// become ASCII, half-width katakana (with a following voiced mark) the
// full-width ones. The result is UTF-8, for comparing only.
std::string WidthFolded(std::string_view cp932);

}  // namespace volq
