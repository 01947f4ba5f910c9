#include "platform/ini/ini_cache.hpp"

#include <chrono>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "platform/os/os.hpp"

namespace vc::ini {
namespace {

struct Entry {
  const files::Os* seam;
  std::string path;
  files::FileStamp stamp;
  std::shared_ptr<const IniDocument> document;
};

constexpr std::size_t kKept = 4;
std::mutex cacheLock;
std::deque<Entry> entries;

void keep(Entry entry) {
  std::lock_guard guard(cacheLock);
  std::erase_if(entries,
                [&](const Entry& e) { return e.seam == entry.seam && e.path == entry.path; });
  entries.push_front(std::move(entry));
  if (entries.size() > kKept) entries.pop_back();
}

}  // namespace

std::optional<IniDocument> IniCache::load(const std::filesystem::path& path) {
  const auto document = share(path);
  if (!document) return std::nullopt;
  return *document;
}

std::shared_ptr<const IniDocument> IniCache::share(const std::filesystem::path& path) {
  if (path.empty()) return nullptr;
  files::Os& seam = files::os();
  const std::string name = path.string();
  const auto before = seam.fileStamp(name);
  if (before) {
    std::lock_guard guard(cacheLock);
    for (const Entry& e : entries) {
      if (e.seam == &seam && e.path == name && e.stamp == *before) return e.document;
    }
  }
  const auto readAt = std::chrono::system_clock::now();
  auto read = IniDocument::read(path);
  if (!read) return nullptr;
  auto document = std::make_shared<const IniDocument>(std::move(*read));
  // Kept only when the file had not changed for a while before it was read, and did not
  // change while it was read: a change within the clock's tick would keep its stamp.
  if (before && files::settledBefore(*before, readAt) && seam.fileStamp(name) == before) {
    keep({&seam, name, *before, document});
  }
  return document;
}

void IniCache::forget(const std::filesystem::path& path) {
  const std::string name = path.string();
  std::lock_guard guard(cacheLock);
  std::erase_if(entries, [&](const Entry& e) { return e.path == name; });
}

void IniCache::clear() {
  std::lock_guard guard(cacheLock);
  entries.clear();
}

}  // namespace vc::ini
