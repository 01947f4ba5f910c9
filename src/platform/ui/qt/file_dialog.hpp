// The open-file dialog of the Qt engine: Qt's own dialog rather than the desktop's, so
// that it behaves the same on every system and can be driven by tests.
#pragma once

#include <QByteArray>
#include <QStringList>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ui/engine.hpp"

class QWidget;

namespace vc::ui::qt {

/// A filter pattern such as "*.clw" or "*.clw;*.inc" as file-name wildcards that match
/// whatever the case of the letters, as names match on Windows: "*.[cC][lL][wW]". A
/// "*.*" matches every name, with or without a dot; an empty pattern too.
QStringList caseInsensitivePatterns(std::string_view pattern);

/// Shows the dialog over `parent` (may be null): only an existing file can be confirmed.
/// The chosen file's absolute path in the file system's encoding, or nothing when the
/// user cancels. `state` is what the dialogs of this run remember (the folders visited,
/// the view): it starts the dialog, which leaves its own there.
std::optional<std::string> askOpenFileDialog(const OpenFileRequest& request, QWidget* parent,
                                             QByteArray& state);

}  // namespace vc::ui::qt
