// Display pictures: how a field's value is written for the eye. "@s<n>" shows the first
// n characters of a text, "@n<n>" a whole number within n positions, "@d17" a date and
// "@t7" a time of day as the regional settings say, "@p...p" a number through a pattern.
#pragma once

#include <string>
#include <string_view>

#include "platform/ui/binding.hpp"
#include "platform/ui/regional_settings.hpp"

namespace vc::ui {

/// A parsed display picture.
struct Picture {
  enum class Kind {
    none,     // no picture, or one we do not know: the value is shown as it is
    text,     // "@s<n>"
    number,   // "@n<n>"
    date,     // "@d17": the short date pattern
    time,     // "@t7": hours and minutes
    pattern,  // "@p<text>p"
  };
  Kind kind = Kind::none;
  int width = 0;        // positions; at least 1 for text and number
  std::string pattern;  // pattern: the text between the two delimiters
};

/// Reads a picture such as "@s20", "@n3", "s30", "D17", "T7" or "pPage <<#p" (the leading
/// "@" and a trailing "@" are optional, the letter's case does not matter). Anything
/// else, including a width of 0, modifiers between the letter and the width, or a date
/// or time picture of another number, gives Kind::none.
Picture parsePicture(std::string_view picture);

/// The value written through the picture, as bytes of the value's own code page.
/// - text: the first `width` bytes of the text (a number is written in decimal first);
///   nothing is added to a shorter text.
/// - number: the whole number right-justified in exactly `width` positions, a minus sign
///   counting as one of them; when it does not fit, `width` number signs ("###"). A text
///   is read as a number (blanks around it, a sign, digits, a fraction rounded half away
///   from zero); a text that is not a number counts as 0.
/// - date: the value is a day number (platform/ui/calendar.hpp), written in the short
///   date pattern: "d" the day, "dd" the day in two digits, "M" and "MM" the month alike,
///   "yy" the year in two digits, "yyyy" (three or more) the whole year; longer runs of d
///   or M count as two, and every other character stands as it is.
/// - time: the value is hundredths of a second since midnight (any value is taken within
///   one day), written as hours in two positions (a leading zero or a blank, as iTLzero
///   says), the separator, the minutes in two digits; a 12-hour clock (iTime 0) shows 12
///   for hours 0 and 12, then a blank and s1159 (before noon) or s2359.
/// - pattern: every "<" and "#" of the pattern is a digit position, filled from the right
///   with the number's digits; a leading zero shows as a blank under "<" and as 0 under
///   "#"; the rest of the pattern stands as it is. Digits beyond the positions go before
///   the first one, so no number is ever cut; a minus sign takes the blank before the
///   first digit, or goes before the first position.
/// - none: the text as it is, or the number in decimal.
/// Numbers given as text are read as for the number picture.
std::string formatPicture(const Picture& picture, const CellValue& value);
/// The same with the regional settings given rather than those in force.
std::string formatPicture(const Picture& picture, const CellValue& value,
                          const RegionalSettings& regional);

}  // namespace vc::ui
