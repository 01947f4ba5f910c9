#include "platform/ini/ini_document.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <system_error>
#include <utility>

#include "platform/ini/ini_cache.hpp"
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

enum class Replacement { done, failed, ownerNotKept };

/// Writes bytes to a new file beside target and renames it over target, so that a
/// failure leaves the old file whole. When target exists (old), the new file takes its
/// owner, group and mode before it takes its place: ownerNotKept when they cannot be
/// given to it, and then nothing has changed.
Replacement replaceFile(const std::filesystem::path& target, const std::string& bytes,
                        const struct stat* old) {
  static std::atomic<unsigned> counter{0};
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
  // Readable by its writer alone until it has the old file's owner and mode: the old file
  // may be private to its owner.
  const mode_t createMode = old != nullptr ? 0600 : 0666;
  std::filesystem::path temp;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    std::string name(1, '.');
    name.append(target.filename().string()).append(".tmp").append(std::to_string(::getpid()));
    name.append("-").append(std::to_string(counter++));
    temp = folder / name;
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, createMode);
    if (fd < 0 && errno != EEXIST) return Replacement::failed;
  }
  if (fd < 0) return Replacement::failed;

  Replacement answer = Replacement::done;
  if (old != nullptr) {
    struct stat made {};
    // The owner first: a change of owner may clear mode bits.
    const bool sameOwner =
        ::fstat(fd, &made) == 0 && made.st_uid == old->st_uid && made.st_gid == old->st_gid;
    if (!sameOwner && ::fchown(fd, old->st_uid, old->st_gid) != 0) {
      answer = Replacement::ownerNotKept;
    } else if (::fchmod(fd, old->st_mode & 07777) != 0) {
      answer = Replacement::ownerNotKept;
    }
  }
  bool ok = answer == Replacement::done && writeAll(fd, bytes) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (ok && std::rename(temp.c_str(), target.c_str()) != 0) {
    ok = false;
    // A folder that lets no one replace another user's file (sticky) may still let the
    // file be written.
    if (old != nullptr && (errno == EPERM || errno == EACCES)) answer = Replacement::ownerNotKept;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    return answer == Replacement::done ? Replacement::failed : answer;
  }
  return Replacement::done;
}

/// Writes bytes over the file at target, which keeps its owner, mode and links. Room for
/// a longer text is taken first, so that a full disk refuses the write before a byte of
/// the old text has changed.
bool writeInPlace(const std::filesystem::path& target, const std::string& bytes) {
  const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  const off_t oldSize = st.st_size;
  const auto newSize = static_cast<off_t>(bytes.size());
  if (newSize > oldSize) {
    const int err = ::posix_fallocate(fd, oldSize, newSize - oldSize);
    // A file system that cannot reserve room is written all the same; a full one is not.
    if (err != 0 && err != EOPNOTSUPP && err != EINVAL) {
      (void)::ftruncate(fd, oldSize);
      ::close(fd);
      return false;
    }
  }
  bool ok = true;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    const ssize_t n =
        ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      ok = false;
    else
      done += static_cast<std::size_t>(n);
  }
  ok = ok && ::ftruncate(fd, newSize) == 0 && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  return ok;
}

}  // namespace

IniDocument IniDocument::load(const std::filesystem::path& path) {
  return *shared(path);
}

std::shared_ptr<const IniDocument> IniDocument::shared(const std::filesystem::path& path) {
  auto document = IniCache::share(path);
  return document ? document : std::make_shared<const IniDocument>();
}

std::optional<IniDocument> IniDocument::loadForUpdate(const std::filesystem::path& path) {
  return IniCache::load(path);
}

std::optional<IniDocument> IniDocument::read(const std::filesystem::path& path) {
  if (path.empty()) return std::nullopt;
  files::Os& seam = files::os();
  const files::PathKind kind = seam.stat(path.string());
  if (kind == files::PathKind::missing) return IniDocument{};
  if (kind != files::PathKind::file) return std::nullopt;
  const files::OsOpen opened = seam.open(path.string(), files::AccessMode::readOnly);
  if (opened.fd < 0) return std::nullopt;
  std::string bytes;
  constexpr std::size_t kChunk = 64 * 1024;
  // Room for the whole file at once: grown chunk by chunk, the text would pass through
  // copies of up to twice its size.
  if (const auto stamp = seam.fileStamp(path.string())) bytes.reserve(stamp->size + kChunk);
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
  return parse(std::move(bytes));
}

IniDocument IniDocument::parse(std::string_view bytes) {
  return parse(std::string(bytes));
}

IniDocument IniDocument::parse(std::string&& bytes) {
  IniDocument doc;
  doc.bytes_ = std::move(bytes);
  const std::string_view view(doc.bytes_);
  const auto nl = view.find('\n');
  if (nl != std::string_view::npos) doc.newline_ = nl > 0 && view[nl - 1] == '\r' ? "\r\n" : "\n";
  doc.indexSections();
  return doc;
}

IniDocument::Line IniDocument::lineAt(std::size_t begin) const {
  const std::size_t nl = bytes_.find('\n', begin);
  if (nl == std::string::npos) return {begin, bytes_.size(), bytes_.size()};
  const std::size_t end = nl > begin && bytes_[nl - 1] == '\r' ? nl - 1 : nl;
  return {begin, end, nl + 1};
}

std::string_view IniDocument::textOf(const Line& line) const {
  return std::string_view(bytes_).substr(line.begin, line.end - line.begin);
}

void IniDocument::indexSections() {
  sections_.clear();
  for (std::size_t at = 0; at < bytes_.size();) {
    const Line line = lineAt(at);
    if (sectionOf(textOf(line))) {
      if (!sections_.empty()) sections_.back().end = at;
      sections_.push_back({at, bytes_.size()});
    }
    at = line.next;
  }
}

std::optional<IniDocument::Section> IniDocument::findSection(std::string_view section) const {
  for (const Section& s : sections_) {
    const auto name = sectionOf(textOf(lineAt(s.header)));
    if (name && sameName(*name, section)) return s;
  }
  return std::nullopt;
}

std::optional<std::string> IniDocument::value(std::string_view section,
                                              std::string_view key) const {
  const auto range = findSection(section);
  if (!range) return std::nullopt;
  for (std::size_t at = lineAt(range->header).next; at < range->end;) {
    const Line line = lineAt(at);
    const auto entry = entryOf(textOf(line));
    if (entry && sameName(entry->key, key)) return std::string(entry->value);
    at = line.next;
  }
  return std::nullopt;
}

void IniDocument::ensureFinalLineEnd() {
  if (!bytes_.empty() && bytes_.back() != '\n') bytes_ += newline_;
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
    ensureFinalLineEnd();
    bytes_.append("[").append(section).append("]").append(newline_);
    bytes_.append(text).append(newline_);
    indexSections();
    return true;
  }
  Line lastFilled = lineAt(range->header);
  for (std::size_t at = lastFilled.next; at < range->end;) {
    const Line line = lineAt(at);
    const auto entry = entryOf(textOf(line));
    if (entry && sameName(entry->key, key)) {
      bytes_.replace(line.begin, line.end - line.begin, text);
      indexSections();
      return true;
    }
    if (!trimBlanks(textOf(line)).empty()) lastFilled = line;
    at = line.next;
  }
  // After the section's last line that holds anything, so that a blank line separating it
  // from the next section stays where it is.
  std::size_t insertAt = lastFilled.next;
  if (lastFilled.next == lastFilled.end) {
    // That line ended the file without a line end: it gets one, like the file's first.
    bytes_.insert(lastFilled.end, newline_);
    insertAt = lastFilled.end + newline_.size();
  }
  bytes_.insert(insertAt, text + newline_);
  indexSections();
  return true;
}

void IniDocument::remove(std::string_view section, std::string_view key) {
  const auto range = findSection(section);
  if (!range) return;
  std::string kept = bytes_.substr(0, lineAt(range->header).next);
  for (std::size_t at = kept.size(); at < range->end;) {
    const Line line = lineAt(at);
    const auto entry = entryOf(textOf(line));
    if (!(entry && sameName(entry->key, key)))
      kept.append(bytes_, line.begin, line.next - line.begin);
    at = line.next;
  }
  kept.append(bytes_, range->end, std::string::npos);
  bytes_ = std::move(kept);
  indexSections();
}

std::string IniDocument::bytes() const {
  return bytes_;
}

bool IniDocument::save(const std::filesystem::path& path) const {
  if (path.empty()) return false;
  std::error_code ec;
  std::filesystem::path target = path;
  if (std::filesystem::is_symlink(target, ec)) {
    // Write the file the link points at, not the link.
    target = std::filesystem::weakly_canonical(path, ec);
    if (ec) return false;
  }
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) return false;
  if (exists) {
    if (!S_ISREG(old.st_mode)) return false;
    // A file that may not be written stays as it is, even though its folder would let a
    // new file take its place.
    const int probe = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (probe < 0) return false;
    ::close(probe);
  }
  bool ok = false;
  switch (replaceFile(target, bytes_, exists ? &old : nullptr)) {
    case Replacement::done:
      ok = true;
      break;
    case Replacement::ownerNotKept:
      // Another user's file (or one of a group this user is not in) that this user may
      // write: written where it is, so that it stays that user's.
      ok = writeInPlace(target, bytes_);
      break;
    case Replacement::failed:
      break;
  }
  // Read afresh next time: keeping this document too would double the memory a large
  // file takes while it is being written.
  if (ok) IniCache::forget(path);
  return ok;
}

}  // namespace vc::ini
