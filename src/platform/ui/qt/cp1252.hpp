// Texts of the program are bytes of the Windows-1252 code page; the widgets want Unicode.
// The conversion is for display only: the data keep their bytes.
#pragma once

#include <QString>
#include <optional>
#include <string_view>

namespace vc::ui::qt {

/// Every byte as its Windows-1252 character. The five bytes the code page leaves
/// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters of the same
/// value, as Windows itself converts them.
QString fromCp1252(std::string_view bytes);

/// The Windows-1252 byte of one character, or nothing when the code page has none for it.
std::optional<unsigned char> toCp1252(QChar c);

}  // namespace vc::ui::qt
