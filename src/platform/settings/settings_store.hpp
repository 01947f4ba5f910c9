// The settings store: each window's placement kept in a settings file under a section
// named after its procedure, and the store's own bookkeeping section.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/settings/window_placement.hpp"

namespace vc::settings {

enum class SettingsKind { iniFile };

/// One entry of the bookkeeping list: three texts of up to 100 characters.
struct SectorEntry {
  std::string first;
  std::string second;
  std::string third;
  friend bool operator==(const SectorEntry&, const SectorEntry&) = default;
};

/// Process-wide; every read and write of the file happens under the store's own lock.
class SettingsStore {
 public:
  static constexpr std::size_t kFileNameLength = 260;
  static constexpr std::size_t kSectorTextLength = 100;
  /// The most bookkeeping entries loaded: a hand-edited count beyond it is taken as this.
  static constexpr int kMaxSectors = 1024;

  SettingsStore() = default;
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  /// Remembers the file (its first 260 characters, Windows-style names allowed; relative
  /// names are taken from the current folder at each access) and loads the bookkeeping
  /// list. A missing or unreadable file gives an empty list.
  void openSettings(std::string_view fileName, SettingsKind kind);

  /// Applies the placement saved under the section procedureName. Nothing is applied when
  /// the section's "Maximize" is neither "Yes" nor "No" (or absent).
  void restoreWindow(std::string_view procedureName, WindowPlacement& window);

  /// Saves the window's placement under the section procedureName. A failed write is not
  /// detected: the placement is simply not kept.
  void saveWindow(std::string_view procedureName, WindowPlacement& window);

  /// Writes the bookkeeping list back ("Sectors" first, then the entries) and drops it.
  /// Nothing in the system changes the list, so each key goes back with the value it was
  /// read with: a hand-edited entry keeps its blanks and its commas, and an entry the
  /// count promises but the file lacks is not made up.
  void closeSettings();

  /// The file name given to openSettings, as remembered.
  std::string fileName() const;
  /// The bookkeeping list as loaded.
  std::vector<SectorEntry> sectors() const;

 private:
  mutable std::mutex lock_;
  std::string fileName_;
  SettingsKind kind_ = SettingsKind::iniFile;
  std::vector<SectorEntry> sectors_;
  // The bookkeeping keys as read: the count's value, and each entry present with its
  // number (from 1) and its whole value.
  std::optional<std::string> sectorCount_;
  std::vector<std::pair<int, std::string>> sectorValues_;
};

}  // namespace vc::settings
