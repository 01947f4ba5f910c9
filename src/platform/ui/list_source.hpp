// The data a list control shows: rows of fields, read by the engine at every redisplay.
#pragma once

#include "platform/ui/binding.hpp"

namespace vc::ui {

/// A list is bound like any control; its binding holds one row per entry.
using ListSource = Binding;

}  // namespace vc::ui
