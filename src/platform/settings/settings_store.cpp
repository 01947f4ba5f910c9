#include "platform/settings/settings_store.hpp"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

#include "platform/ini/ini_document.hpp"
#include "platform/ini/ini_path.hpp"
#include "platform/text/text_ops.hpp"

namespace vc::settings {
namespace {

constexpr std::string_view kBookkeeping = "__Dont_Touch_Me__";
constexpr std::string_view kSectors = "Sectors";

/// A profile value read as an integer: leading blanks, an optional sign and the digits
/// that follow; no digits give 0, and a number beyond the 32-bit range stops at its end.
int toInt(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  long long value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
    if (value > 1LL << 31) break;
  }
  if (negative) value = -value;
  if (value < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  return static_cast<int>(value);
}

/// The value that stands for "no position or size" where the file holds one: a window
/// saved without a place has the key removed, but a hand may write the number itself.
constexpr int kNoValue = std::numeric_limits<std::int32_t>::min();

/// A position or size as the file keeps it: absent when the key is, or holds kNoValue.
std::optional<int> toPlace(const std::optional<std::string>& value) {
  if (!value) return std::nullopt;
  const int n = toInt(*value);
  if (n == kNoValue) return std::nullopt;
  return n;
}

std::string sectorKey(int n) {
  return std::string(kSectors) + "_" + std::to_string(n);
}

std::string limited(std::string_view s, std::size_t length) {
  return std::string(text::clip(s.substr(0, std::min(s.size(), length))));
}

/// An entry split at its commas into three texts; a third text keeps any further commas.
SectorEntry splitSector(std::string_view s) {
  SectorEntry e;
  const auto c1 = s.find(',');
  e.first = limited(s.substr(0, c1), SettingsStore::kSectorTextLength);
  if (c1 == std::string_view::npos) return e;
  s.remove_prefix(c1 + 1);
  const auto c2 = s.find(',');
  e.second = limited(s.substr(0, c2), SettingsStore::kSectorTextLength);
  if (c2 == std::string_view::npos) return e;
  e.third = limited(s.substr(c2 + 1), SettingsStore::kSectorTextLength);
  return e;
}

}  // namespace

void SettingsStore::openSettings(std::string_view fileName, SettingsKind kind) {
  std::lock_guard guard(lock_);
  fileName_ = limited(fileName, kFileNameLength);
  kind_ = kind;
  sectors_.clear();
  sectorValues_.clear();
  const auto doc = ini::IniDocument::shared(ini::resolveIniPath(fileName_));
  sectorCount_ = doc->value(kBookkeeping, kSectors);
  const int n = sectorCount_ ? std::clamp(toInt(*sectorCount_), 0, kMaxSectors) : 0;
  for (int i = 1; i <= n; ++i) {
    const auto value = doc->value(kBookkeeping, sectorKey(i));
    if (value) sectorValues_.emplace_back(i, *value);
    sectors_.push_back(splitSector(value.value_or("")));
  }
}

void SettingsStore::restoreWindow(std::string_view procedureName, WindowPlacement& window) {
  const std::string section(text::clip(procedureName));
  bool maximized = false;
  bool minimized = false;
  std::optional<int> x, y, w, h;
  {
    std::lock_guard guard(lock_);
    const auto doc = ini::IniDocument::shared(ini::resolveIniPath(fileName_));
    const auto read = [&](std::string_view key) { return doc->value(section, key).value_or(""); };
    const std::string maximize = read("Maximize");
    if (text::equal(maximize, "No"))
      maximized = false;
    else if (text::equal(maximize, "Yes"))
      maximized = true;
    else
      return;  // a section spoilt by hand, or none: the window stays as declared
    minimized = text::equal(read("Minimize"), "Yes");
    x = toPlace(doc->value(section, "XPos"));
    y = toPlace(doc->value(section, "YPos"));
    w = toPlace(doc->value(section, "Width"));
    h = toPlace(doc->value(section, "Height"));
  }

  const bool wasMaximized = window.maximized();
  if (wasMaximized && !maximized) window.setMaximized(false);
  window.setX(x);
  window.setY(y);
  if (window.resizable()) {
    if (w) window.setWidth(*w);
    if (h) window.setHeight(*h);
  }
  if (maximized && !wasMaximized) window.setMaximized(true);
  window.setMinimized(minimized);
}

void SettingsStore::saveWindow(std::string_view procedureName, WindowPlacement& window) {
  const std::string section(text::clip(procedureName));
  const bool maximized = window.maximized();
  const bool minimized = window.minimized();
  std::optional<int> x, y, w, h;
  if (!maximized && !minimized) {
    x = window.x();
    y = window.y();
    if (window.resizable()) {
      w = window.width();
      h = window.height();
    }
  }

  std::lock_guard guard(lock_);
  const auto path = ini::resolveIniPath(fileName_);
  auto doc = ini::IniDocument::loadForUpdate(path);
  if (!doc) return;
  // All six keys go to the file in one write, so the section is never left half saved.
  doc->set(section, "Maximize", maximized ? "Yes" : "No");
  doc->set(section, "Minimize", minimized ? "Yes" : "No");
  const std::pair<std::string_view, std::optional<int>> numbers[] = {
      {"XPos", x}, {"YPos", y}, {"Width", w}, {"Height", h}};
  for (const auto& [key, value] : numbers) {
    // The marker would read back as no place, so it is kept as none.
    if (value && *value != kNoValue)
      doc->set(section, key, std::to_string(*value));
    else
      doc->remove(section, key);
  }
  doc->save(path);
}

void SettingsStore::closeSettings() {
  std::lock_guard guard(lock_);
  const auto path = ini::resolveIniPath(fileName_);
  auto doc = ini::IniDocument::loadForUpdate(path);
  if (doc) {
    // A new settings file gets a count of 0. Values read from the file always fit on a
    // line again, so no set below can be refused.
    (void)doc->set(kBookkeeping, kSectors, sectorCount_.value_or("0"));
    for (const auto& [number, value] : sectorValues_)
      (void)doc->set(kBookkeeping, sectorKey(number), value);
    doc->save(path);
  }
  sectors_.clear();
  sectorCount_.reset();
  sectorValues_.clear();
}

std::string SettingsStore::fileName() const {
  std::lock_guard guard(lock_);
  return fileName_;
}

std::vector<SectorEntry> SettingsStore::sectors() const {
  std::lock_guard guard(lock_);
  return sectors_;
}

}  // namespace vc::settings
