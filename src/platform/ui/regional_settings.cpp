#include "platform/ui/regional_settings.hpp"

#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <mutex>
#include <optional>

namespace vc::ui {
namespace {

bool isAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) > 127 || c == '\0') return false;
  return true;
}

/// One conversion of a strftime pattern: its letter and whether a flag asked for no
/// padding or for blank padding.
struct Conversion {
  char letter = 0;
  bool unpadded = false;
};

/// Reads the conversion after a '%' at s[i]; i ends past it. Nothing at a lone '%'.
std::optional<Conversion> readConversion(std::string_view s, std::size_t& i) {
  ++i;  // the '%'
  Conversion c;
  while (i < s.size() && (s[i] == '-' || s[i] == '_' || s[i] == '0' || s[i] == '^')) {
    if (s[i] == '-' || s[i] == '_') c.unpadded = true;
    ++i;
  }
  if (i < s.size() && (s[i] == 'E' || s[i] == 'O')) ++i;
  if (i >= s.size()) return std::nullopt;
  c.letter = s[i++];
  return c;
}

/// The short date pattern of a strftime date pattern, or nothing when it holds a field
/// the pattern cannot say, or a letter that it would take for a field.
std::optional<std::string> shortDateOf(std::string_view format) {
  std::string out;
  for (std::size_t i = 0; i < format.size();) {
    const char ch = format[i];
    if (ch != '%') {
      if (ch == 'd' || ch == 'M' || ch == 'y') return std::nullopt;
      out += ch;
      ++i;
      continue;
    }
    const auto c = readConversion(format, i);
    if (!c) return std::nullopt;
    switch (c->letter) {
      case 'd':
        out += c->unpadded ? "d" : "dd";
        break;
      case 'e':
        out += "d";
        break;
      case 'm':
        out += c->unpadded ? "M" : "MM";
        break;
      case 'y':
        out += "yy";
        break;
      case 'Y':
        out += "yyyy";
        break;
      case 'D':
        out += "MM/dd/yy";
        break;
      case 'F':
        out += "yyyy-MM-dd";
        break;
      case '%':
        out += '%';
        break;
      default:
        return std::nullopt;
    }
  }
  if (out.empty() || !isAscii(out)) return std::nullopt;
  return out;
}

/// The composite time conversions spelt out, so the hour and minutes can be found.
std::string expandTime(std::string_view format) {
  std::string out;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      const char next = format[i + 1];
      const char* expansion = next == 'r'   ? "%I:%M:%S %p"
                              : next == 'R' ? "%H:%M"
                              : next == 'T' ? "%H:%M:%S"
                                            : nullptr;
      if (expansion) {
        out += expansion;
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  return out;
}

RegionalSettings readFromLocale() {
  // The locale the environment names for LC_TIME, in the order the C library looks.
  const char* name = nullptr;
  for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) {
      name = value;
      break;
    }
  }
  if (!name) return {};
  const std::string_view n(name);
  if (n == "C" || n == "POSIX" || n.substr(0, 2) == "C.") return {};
  locale_t locale = newlocale(LC_TIME_MASK, name, static_cast<locale_t>(nullptr));
  if (!locale) return {};
  RegionalSettings settings =
      regionalSettingsFromFormats(nl_langinfo_l(D_FMT, locale), nl_langinfo_l(T_FMT, locale),
                                  nl_langinfo_l(AM_STR, locale), nl_langinfo_l(PM_STR, locale));
  freelocale(locale);
  return settings;
}

std::mutex& settingsLock() {
  static std::mutex lock;
  return lock;
}

std::optional<RegionalSettings>& settingsInForce() {
  static std::optional<RegionalSettings> settings;
  return settings;
}

}  // namespace

RegionalSettings regionalSettingsFromFormats(std::string_view dateFormat,
                                             std::string_view timeFormat, std::string_view am,
                                             std::string_view pm) {
  RegionalSettings s;
  if (const auto date = shortDateOf(dateFormat)) s.sShortDate = *date;

  const std::string time = expandTime(timeFormat);
  for (std::size_t i = 0; i < time.size();) {
    if (time[i] != '%') {
      ++i;
      continue;
    }
    const auto hour = readConversion(time, i);
    if (!hour ||
        (hour->letter != 'H' && hour->letter != 'k' && hour->letter != 'I' && hour->letter != 'l'))
      continue;
    // The text between the hour and the minutes is the separator.
    const std::size_t separatorStart = i;
    const std::size_t minutes = time.find("%M", i);
    if (minutes == std::string::npos) break;
    const std::string separator = time.substr(separatorStart, minutes - separatorStart);
    if (separator.find('%') != std::string::npos || !isAscii(separator)) break;
    s.sTime = separator;
    s.iTime = hour->letter == 'H' || hour->letter == 'k' ? 1 : 0;
    s.iTLzero = hour->unpadded || hour->letter == 'k' || hour->letter == 'l' ? 0 : 1;
    break;
  }

  if (!am.empty() && isAscii(am)) s.s1159 = std::string(am);
  if (!pm.empty() && isAscii(pm)) s.s2359 = std::string(pm);
  return s;
}

RegionalSettings regionalSettings() {
  std::lock_guard guard(settingsLock());
  auto& settings = settingsInForce();
  if (!settings) settings = readFromLocale();
  return *settings;
}

void setRegionalSettings(const RegionalSettings& settings) {
  std::lock_guard guard(settingsLock());
  settingsInForce() = settings;
}

}  // namespace vc::ui
