// The modal message box of the Qt engine.
#pragma once

#include "platform/errors/message_presenter.hpp"

class QWidget;

namespace vc::ui::qt {

/// Shows `request` over `parent` (may be null) and waits for the user: the 1-based
/// number of the button pressed. A "|" in the text is a line break. A box closed without
/// a button (Escape with a single button) answers its default button.
int showMessageBox(const errors::MessageRequest& request, QWidget* parent);

}  // namespace vc::ui::qt
