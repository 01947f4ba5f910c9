#include "platform/ini/profile_strings.hpp"

#include "platform/ini/ini_document.hpp"
#include "platform/ini/ini_path.hpp"

namespace vc::ini {

std::string readProfileString(std::string_view fileName, std::string_view section,
                              std::string_view key, std::string_view defaultValue) {
  const auto value = IniDocument::shared(resolveIniPath(fileName))->value(section, key);
  return value ? *value : std::string(defaultValue);
}

void writeProfileString(std::string_view fileName, std::string_view section, std::string_view key,
                        std::string_view value) {
  const auto path = resolveIniPath(fileName);
  if (path.empty()) return;
  auto doc = IniDocument::loadForUpdate(path);
  if (doc && doc->set(section, key, value)) doc->save(path);
}

void removeProfileKey(std::string_view fileName, std::string_view section, std::string_view key) {
  const auto path = resolveIniPath(fileName);
  if (path.empty()) return;
  auto doc = IniDocument::loadForUpdate(path);
  if (!doc || !doc->value(section, key)) return;  // nothing to remove: leave the file be
  doc->remove(section, key);
  doc->save(path);
}

}  // namespace vc::ini
