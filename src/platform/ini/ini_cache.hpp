// The INI documents last read or written, by path, so that a file is read and parsed
// again only when it changed: a window's placement is read at every open and close, and
// a large settings file must not be parsed each time.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>

#include "platform/ini/ini_document.hpp"

namespace vc::ini {

/// Process-wide, guarded by its own lock; a few paths are kept.
class IniCache {
 public:
  /// The document at path as IniDocument::read gives it, from the cache when the file
  /// still has the stamp it had then (the same file, size and time of change).
  static std::optional<IniDocument> load(const std::filesystem::path& path);
  /// As load, the document shared with the cache; null when the file cannot be read.
  static std::shared_ptr<const IniDocument> share(const std::filesystem::path& path);
  /// Forgets the document of path, whose file was just written.
  static void forget(const std::filesystem::path& path);
  /// Forgets every document (for tests).
  static void clear();
};

}  // namespace vc::ini
