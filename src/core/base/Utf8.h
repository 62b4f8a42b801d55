#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace cadro {

/// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or
/// code points above U+10FFFF).
bool isValidUtf8(std::string_view text);

/// The code point at byte `i` of `text`, moving `i` past it; negative for a
/// malformed sequence, which `i` then moves past.
std::int32_t nextCodePoint(std::string_view text, std::size_t& i);

/// True when `text` holds a control character (C0, DEL or C1: line breaks,
/// tabs, terminal escape sequences), which titles and steps never do.
bool hasControlCharacters(std::string_view text);

/// `text` with each control character shown as U+FFFD, so that text from a
/// file cannot move a terminal's cursor or break a line of output.
std::string withoutControlCharacters(std::string_view text);

/// Trims white space and line breaks (ASCII and Unicode) from both ends.
std::string trimWhitespaceAndNewlines(std::string_view text);

/// The first `count` user-perceived characters (grapheme clusters) of `text`.
std::string prefixCharacters(std::string_view text, std::size_t count);

}  // namespace cadro
