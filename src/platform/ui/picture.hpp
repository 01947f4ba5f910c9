// Display pictures: how a field's value is written for the eye. "@s<n>" shows the first
// n characters of a text, "@n<n>" a whole number within n positions.
#pragma once

#include <string>
#include <string_view>

#include "platform/ui/binding.hpp"

namespace vc::ui {

/// A parsed display picture.
struct Picture {
  enum class Kind {
    none,    // no picture, or one we do not know: the value is shown as it is
    text,    // "@s<n>"
    number,  // "@n<n>"
  };
  Kind kind = Kind::none;
  int width = 0;  // positions; at least 1 for text and number
};

/// Reads a picture such as "@s20", "@n3" or "s30" (the leading "@" and a trailing "@"
/// are optional, the letter's case does not matter). Anything else, including a width of
/// 0 or modifiers between the letter and the width, gives Kind::none.
Picture parsePicture(std::string_view picture);

/// The value written through the picture, as bytes of the value's own code page.
/// - text: the first `width` bytes of the text (a number is written in decimal first);
///   nothing is added to a shorter text.
/// - number: the whole number right-justified in exactly `width` positions, a minus sign
///   counting as one of them; when it does not fit, `width` number signs ("###"). A text
///   is read as a number (blanks around it, a sign, digits, a fraction rounded half away
///   from zero); a text that is not a number counts as 0.
/// - none: the text as it is, or the number in decimal.
std::string formatPicture(const Picture& picture, const CellValue& value);

}  // namespace vc::ui
