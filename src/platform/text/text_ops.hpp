// The text operations on fixed-length, blank-padded texts on which the module scan, the
// declaration parser and the purge depend. Positions count from 1; bytes are unsigned.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vc::text {

/// Position (from 1) of the first occurrence of pattern in text, case-sensitive, over the
/// whole text, trailing blanks included. 0 when it does not occur, when it is longer than
/// the text, or when it is empty.
std::size_t find(std::string_view pattern, std::string_view text);

/// Characters of text from start (from 1; 0 or less counts as 1) for length characters.
/// A start past the end or a length of 0 gives an empty text; a negative length, or one
/// longer than what remains, takes everything up to the end.
std::string substring(std::string_view text, long start, long length);

/// Leading blanks removed and as many blanks added at the end: the length stays.
std::string leftJustify(std::string_view text);

/// Trailing blanks removed.
std::string_view clip(std::string_view text);

/// The small letters a to z become capitals; every other byte stays.
std::string upperCase(std::string_view text);
char upperCase(char c);

/// Byte-by-byte comparison in which the shorter text is extended with blanks: trailing
/// blanks never matter, case does.
bool equal(std::string_view a, std::string_view b);

/// As equal, deciding by unsigned byte value at the first difference: <0, 0 or >0.
int order(std::string_view a, std::string_view b);

}  // namespace vc::text
