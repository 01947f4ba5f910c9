#include "platform/ini/ini_document.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <system_error>
#include <utility>

#include "platform/os/os.hpp"
#include "platform/text/ascii_case.hpp"

namespace vc::ini {
namespace {

std::string_view trimBlanks(std::string_view s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

std::string_view trimTrailing(std::string_view s) {
  const auto last = s.find_last_not_of(" \t");
  return last == std::string_view::npos ? std::string_view{} : s.substr(0, last + 1);
}

bool sameName(std::string_view a, std::string_view b) {
  return text::equalIgnoringAsciiCase(trimBlanks(a), trimBlanks(b));
}

/// The name of the section that this line starts, if it starts one.
std::optional<std::string_view> sectionOf(std::string_view line) {
  line = trimBlanks(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  line.remove_prefix(1);
  const auto close = line.find(']');
  return trimBlanks(close == std::string_view::npos ? line : line.substr(0, close));
}

struct Entry {
  std::string_view key;
  std::string_view value;
};

/// The key and value of this line, if it is an entry (not blank, comment or header).
std::optional<Entry> entryOf(std::string_view line) {
  const std::string_view t = trimBlanks(line);
  if (t.empty() || t.front() == ';' || t.front() == '[') return std::nullopt;
  const auto eq = t.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return Entry{trimBlanks(t.substr(0, eq)), trimBlanks(t.substr(eq + 1))};
}

bool holdsLineBreak(std::string_view s) {
  return s.find_first_of("\r\n") != std::string_view::npos;
}

bool writeAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

IniDocument IniDocument::load(const std::filesystem::path& path) {
  return loadForUpdate(path).value_or(IniDocument{});
}

std::optional<IniDocument> IniDocument::loadForUpdate(const std::filesystem::path& path) {
  if (path.empty()) return std::nullopt;
  files::Os& seam = files::os();
  const files::PathKind kind = seam.stat(path.string());
  if (kind == files::PathKind::missing) return IniDocument{};
  if (kind != files::PathKind::file) return std::nullopt;
  const files::OsOpen opened = seam.open(path.string(), files::AccessMode::readOnly);
  if (opened.fd < 0) return std::nullopt;
  std::string bytes;
  constexpr std::size_t kChunk = 64 * 1024;
  for (;;) {
    const std::size_t at = bytes.size();
    bytes.resize(at + kChunk);
    const long got = seam.read(opened.fd, bytes.data() + at, kChunk, at);
    if (got < 0) {
      seam.close(opened.fd);
      return std::nullopt;
    }
    bytes.resize(at + static_cast<std::size_t>(got));
    if (static_cast<std::size_t>(got) < kChunk) break;
  }
  seam.close(opened.fd);
  return parse(bytes);
}

IniDocument IniDocument::parse(std::string_view bytes) {
  IniDocument doc;
  bool endSeen = false;
  while (!bytes.empty()) {
    const auto nl = bytes.find('\n');
    Line line;
    if (nl == std::string_view::npos) {
      line.text = std::string(bytes);
      bytes = {};
    } else {
      const bool crlf = nl > 0 && bytes[nl - 1] == '\r';
      line.text = std::string(bytes.substr(0, crlf ? nl - 1 : nl));
      line.end = crlf ? "\r\n" : "\n";
      bytes.remove_prefix(nl + 1);
      if (!endSeen) doc.newline_ = line.end;
      endSeen = true;
    }
    doc.lines_.push_back(std::move(line));
  }
  return doc;
}

std::optional<IniDocument::Range> IniDocument::findSection(std::string_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const auto name = sectionOf(lines_[i].text);
    if (!name || !sameName(*name, section)) continue;
    std::size_t end = i + 1;
    while (end < lines_.size() && !sectionOf(lines_[end].text)) ++end;
    return Range{i, end};
  }
  return std::nullopt;
}

std::optional<std::string> IniDocument::value(std::string_view section,
                                              std::string_view key) const {
  const auto range = findSection(section);
  if (!range) return std::nullopt;
  for (std::size_t i = range->header + 1; i < range->end; ++i) {
    const auto entry = entryOf(lines_[i].text);
    if (entry && sameName(entry->key, key)) return std::string(entry->value);
  }
  return std::nullopt;
}

bool IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
  section = trimBlanks(section);
  key = trimBlanks(key);
  value = trimTrailing(value);
  if (key.empty() || key.front() == ';' || key.front() == '[' ||
      key.find('=') != std::string_view::npos || section.find(']') != std::string_view::npos ||
      holdsLineBreak(section) || holdsLineBreak(key) || holdsLineBreak(value))
    return false;
  std::string text = std::string(key) + "=" + std::string(value);

  const auto range = findSection(section);
  if (!range) {
    if (!lines_.empty() && lines_.back().end.empty()) lines_.back().end = newline_;
    std::string header(1, '[');
    header.append(section).append("]");
    lines_.push_back({std::move(header), newline_});
    lines_.push_back({std::move(text), newline_});
    return true;
  }
  std::size_t lastFilled = range->header;
  for (std::size_t i = range->header + 1; i < range->end; ++i) {
    const auto entry = entryOf(lines_[i].text);
    if (entry && sameName(entry->key, key)) {
      lines_[i].text = std::move(text);
      return true;
    }
    if (!trimBlanks(lines_[i].text).empty()) lastFilled = i;
  }
  // After the section's last line that holds anything, so that a blank line separating it
  // from the next section stays where it is.
  if (lines_[lastFilled].end.empty()) lines_[lastFilled].end = newline_;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(lastFilled) + 1,
                Line{std::move(text), newline_});
  return true;
}

void IniDocument::remove(std::string_view section, std::string_view key) {
  const auto range = findSection(section);
  if (!range) return;
  for (std::size_t i = range->end; i-- > range->header + 1;) {
    const auto entry = entryOf(lines_[i].text);
    if (entry && sameName(entry->key, key))
      lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

std::string IniDocument::bytes() const {
  std::string out;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    out += lines_[i].text;
    // A line that ended the file without a line end needs one once lines follow it.
    out += lines_[i].end.empty() && i + 1 < lines_.size() ? newline_ : lines_[i].end;
  }
  return out;
}

bool IniDocument::save(const std::filesystem::path& path) const {
  if (path.empty()) return false;
  std::error_code ec;
  std::filesystem::path target = path;
  if (std::filesystem::is_symlink(target, ec)) {
    // Replace the file the link points at, not the link.
    target = std::filesystem::weakly_canonical(path, ec);
    if (ec) return false;
  }
  const auto status = std::filesystem::status(target, ec);
  const bool exists = std::filesystem::exists(status);
  if (exists) {
    if (!std::filesystem::is_regular_file(status)) return false;
    // A file that may not be written stays as it is, even though its folder would let a
    // new file take its place.
    std::FILE* probe = std::fopen(target.c_str(), "r+b");
    if (!probe) return false;
    std::fclose(probe);
  }

  static std::atomic<unsigned> counter{0};
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
  std::filesystem::path temp;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    std::string name(1, '.');
    name.append(target.filename().string()).append(".tmp").append(std::to_string(::getpid()));
    name.append("-").append(std::to_string(counter++));
    temp = folder / name;
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;

  bool ok = writeAll(fd, bytes()) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (ok && exists)
    std::filesystem::permissions(temp, status.permissions(), std::filesystem::perm_options::replace,
                                 ec);
  ok = ok && std::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

}  // namespace vc::ini
