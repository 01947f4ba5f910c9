// Window structures: the declarative description of a window and its controls, in
// dialog units, from which a Window instance and the engine's widgets are built.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vc::ui {

/// The control kinds a window may use; each must be registered with its engine before use.
enum class ControlKind {
  stringPicture,  // a string showing a variable through a picture
  stringText,     // a string with a fixed text
  image,
  line,
  button,
  prompt,
  list,
  text,
  progress,
  sheet,
  tab,
};

/// Position and size in dialog units; empty where the structure leaves them open.
struct Rect {
  std::optional<int> x;
  std::optional<int> y;
  std::optional<int> width;
  std::optional<int> height;
};

struct Font {
  std::string face;
  int points = 0;
  int weight = 400;  // 400 regular, 700 bold
};

namespace control_flag {
inline constexpr unsigned disabled = 1u << 0;
inline constexpr unsigned defaultButton = 1u << 1;
inline constexpr unsigned hidden = 1u << 2;
inline constexpr unsigned hScroll = 1u << 3;
inline constexpr unsigned vScroll = 1u << 4;
inline constexpr unsigned immediate = 1u << 5;
inline constexpr unsigned centered = 1u << 6;  // a string's text centred in its box
}  // namespace control_flag

struct ControlSpec {
  int number = 0;      // 1, 2, ... in the order of the structure
  std::string equate;  // "BOTON1" for ?BOTON1
  ControlKind kind = ControlKind::button;
  Rect at;                   // width/height open: taken from the text
  std::string text;          // caption; bytes of the Windows-1252 code page
  std::optional<Font> font;  // the window's font when absent
  unsigned flags = 0;
  std::string format;  // list column format ("99L(2)|M~Modulo~@s20@...")
  int parent = 0;      // a tab's sheet, or a control's tab; 0 for the window
  std::string status;  // the status-bar message while the control has the focus
  std::string icon;    // a button's icon, by its file name ("WACANCEL.ICO")
  std::string tip;     // the tool tip
};

namespace window_flag {
inline constexpr unsigned systemMenu = 1u << 0;  // close box
inline constexpr unsigned resizable = 1u << 1;
inline constexpr unsigned maximizeBox = 1u << 2;
inline constexpr unsigned thinBorder = 1u << 3;  // a title bar and a thin, fixed border
inline constexpr unsigned grey = 1u << 4;        // dialog-style background
inline constexpr unsigned center = 1u << 5;
}  // namespace window_flag

struct WindowSpec {
  std::string name;   // the structure's label, e.g. "P1_WINDOW"
  std::string title;  // caption
  Rect at;
  Font font;
  unsigned flags = 0;
  std::vector<ControlSpec> controls;

  const ControlSpec* control(int number) const;
  const ControlSpec* control(const std::string& equate) const;
};

}  // namespace vc::ui
