// The file-selection object: the settings of an open-file dialog and the one call that
// shows it, keeping the current folder as it was when asked to.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/text/fixed_text.hpp"
#include "platform/ui/engine.hpp"

namespace vc::ui {

namespace file_flag {
inline constexpr std::uint8_t explorer = 0x10;
}

class FilePicker {
 public:
  explicit FilePicker(Engine& engine) : engine_(engine) {}

  /// The set-up: the default title "Select A File", Explorer style.
  void init();
  /// The filter: the description without trailing blanks, "|", the pattern.
  void setFilter(std::string_view description, std::string_view pattern);
  /// Shows the dialog; the chosen file's full path, or blank when nothing was chosen and
  /// CLEARONCANCEL is set (DEFAULTFILE otherwise). With keepFolder the current folder is
  /// the same afterwards, whatever the dialog did to it.
  std::string askFile(bool keepFolder);

  vc::text::FixedText<80> WINDOWTITLE;
  vc::text::FixedText<255> MASKSTRING;
  std::uint8_t FLAGS = 0;
  std::uint8_t CLEARONCANCEL = 0;
  vc::text::FixedText<260> DEFAULTDIRECTORY;
  vc::text::FixedText<256> DEFAULTFILE;
  vc::text::FixedText<260> SAVEPATH;
  std::uint8_t DIALOGCANCELLED = 0;

 private:
  Engine& engine_;
};

}  // namespace vc::ui
