// The seam through which the services show a modal message box: the window engine
// implements it, so the error manager never depends on a toolkit.
#pragma once

#include <string>
#include <vector>

namespace vc::errors {

enum class MessageIcon { none, information };

/// One modal message box. `text` may hold "|", which the engine shows as a line break.
struct MessageRequest {
  std::string caption;
  std::string text;
  MessageIcon icon = MessageIcon::none;
  std::vector<std::string> buttons{"OK"};
  int defaultButton = 1;  // 1-based index into buttons
};

class MessagePresenter {
 public:
  virtual ~MessagePresenter() = default;
  /// Shows the box and returns once the user has closed it: the 1-based button pressed.
  virtual int showMessage(const MessageRequest& request) = 0;
};

}  // namespace vc::errors
