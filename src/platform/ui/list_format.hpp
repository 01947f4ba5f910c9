// A list control's column format string, such as
// "99L(2)|M~Modulo~@s20@36C(2)|M~Locales~@n3@", read into columns.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vc::ui {

enum class ColumnAlign { left, right, center, decimal };

/// One column of a list. Widths and indents are in dialog units.
struct ListColumn {
  int width = 0;  // 0 when the format gives none
  ColumnAlign align = ColumnAlign::left;
  int indent = 0;  // left/right: distance from that edge; center/decimal: offset
  ColumnAlign headerAlign = ColumnAlign::left;  // the data's unless the format says
  int headerIndent = 0;
  bool rightBorder = false;  // "|": a line on the column's right
  bool resizable = false;    // "M": the user may drag the column's width
  bool colored = false;      // "*": four colour fields follow the column's own field
  std::string header;        // between "~" and "~"; bytes, Windows-1252
  std::string picture;       // between "@" and "@", with its leading "@" ("@s20")
  std::size_t field = 0;     // the row field the column shows, from 0
};

/// Reads a format string into its columns, in order. A column is its width (digits),
/// its data alignment L, R, C or D with an optional "(indent)", then modifiers: "|",
/// "M", "*", "~header~" optionally followed by the header's alignment and "(indent)",
/// and "@picture@". Each column shows the next row field; a "*" column uses four more
/// fields for its colours. Modifiers we do not know (with their parenthesised argument,
/// and "#n#") are skipped. Never fails: a malformed string gives what can be read of it,
/// an unterminated header or picture runs to the end, and numbers saturate at 9999.
std::vector<ListColumn> parseListFormat(std::string_view format);

}  // namespace vc::ui
