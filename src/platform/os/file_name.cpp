#include "platform/os/file_name.hpp"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "platform/os/os.hpp"
#include "platform/text/ascii_case.hpp"
#include "platform/text/text_ops.hpp"

namespace vc::files {
namespace {

/// The name without trailing blanks and with backslashes turned into slashes.
std::string portableName(std::string_view name) {
  std::string path(text::clip(name));
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

std::string foldedName(std::string_view name) {
  std::string out(name);
  for (char& c : out) c = static_cast<char>(text::foldAsciiCase(static_cast<unsigned char>(c)));
  return out;
}

/// One folder's names by their folded form, each the first in byte order of its
/// spellings, as they stood when the folder had `stamp`.
struct Listing {
  const Os* seam = nullptr;
  std::string folder;
  FileStamp stamp;
  std::unordered_map<std::string, std::string> byFoldedName;
};

// A few recent listings, so that an analysis of many modules named in another case than
// their files lists their folder once rather than once per module. A listing is kept only
// when the folder had not changed for a while before it was read: the file system stamps
// changes with a coarse clock, and a change in the same tick as the listing would leave
// the stamp as it was.
constexpr std::size_t kListingsKept = 8;
std::mutex listingsLock;
std::deque<Listing> listings;

/// The spelling under which base stands in folder; nothing when it stands under none.
/// Fails when the folder cannot be listed: then no one can say the name is free.
std::optional<std::optional<std::string>> findIgnoringCase(Os& seam, const std::string& folder,
                                                           const FileStamp& stamp,
                                                           const std::string& base) {
  const std::string wanted = foldedName(base);
  {
    std::lock_guard guard(listingsLock);
    for (const Listing& l : listings) {
      if (l.seam == &seam && l.folder == folder && l.stamp == stamp) {
        const auto it = l.byFoldedName.find(wanted);
        if (it == l.byFoldedName.end()) return std::optional<std::string>{};
        return std::optional<std::string>{it->second};
      }
    }
  }
  const auto listedAt = std::chrono::system_clock::now();
  const auto names = seam.listFolder(folder);
  if (!names) return std::nullopt;
  Listing listing{&seam, folder, stamp, {}};
  listing.byFoldedName.reserve(names->size());
  for (const std::string& name : *names) {
    auto [it, added] = listing.byFoldedName.try_emplace(foldedName(name), name);
    if (!added && name < it->second) it->second = name;
  }
  std::optional<std::string> found;
  if (const auto it = listing.byFoldedName.find(wanted); it != listing.byFoldedName.end()) {
    found = it->second;
  }
  if (settledBefore(stamp, listedAt) && seam.folderStamp(folder) == stamp) {
    std::lock_guard guard(listingsLock);
    std::erase_if(listings,
                  [&](const Listing& l) { return l.seam == &seam && l.folder == folder; });
    listings.push_front(std::move(listing));
    if (listings.size() > kListingsKept) listings.pop_back();
  }
  return found;
}

}  // namespace

ResolvedName resolveFileName(std::string_view name) {
  ResolvedName out;
  out.path = portableName(name);
  if (out.path.empty() || out.path.back() == '/' || out.path.find('\0') != std::string::npos ||
      out.path.size() >= kLongestPath) {
    out.status = FileStatus::of(FileError::invalidFilename);
    return out;
  }
  Os& seam = os();
  if (seam.stat(out.path) != PathKind::missing) {
    out.exists = true;
    return out;
  }
  const auto slash = out.path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : out.path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? out.path : out.path.substr(slash + 1);
  const auto stamp = seam.folderStamp(folder);
  if (!stamp) {
    out.status = FileStatus::of(FileError::pathNotFound);
    return out;
  }
  const auto found = findIgnoringCase(seam, folder, *stamp, base);
  if (!found) {
    // Not 5: that would have the open retried read-only, which cannot help.
    out.status = {FileError::fileSystemError, "13", "Permission denied to list the folder"};
    return out;
  }
  if (*found) {
    out.path = (slash == std::string::npos ? std::string() : folder) + **found;
    out.exists = true;
  }
  return out;
}

ResolvedName resolveExistingFile(std::string_view name) {
  ResolvedName resolved = resolveFileName(name);
  if (resolved.status.ok() && !resolved.exists) {
    resolved.status = FileStatus::of(FileError::fileNotFound);
  }
  return resolved;
}

}  // namespace vc::files
