// The control kinds that windows may use, registered once at process start.
#pragma once

#include "platform/ui/window_structure.hpp"

namespace vc::ui {

void registerControlKind(ControlKind kind);
bool isControlKindRegistered(ControlKind kind);
/// Forgets every registration (tests start from a clean registry).
void clearControlKinds();

}  // namespace vc::ui
