#include "platform/files/open_file_registry.hpp"

#include <filesystem>
#include <map>
#include <mutex>

namespace vc::files {
namespace {

std::mutex registryLock;

std::map<std::string, int>& openFiles() {
  static std::map<std::string, int> files;
  return files;
}

}  // namespace

std::string canonicalPath(const std::string& path) {
  std::error_code ec;
  const auto p = std::filesystem::weakly_canonical(std::filesystem::absolute(path, ec), ec);
  return ec ? path : p.string();
}

void OpenFileRegistry::opened(const std::string& canonical) {
  std::lock_guard guard(registryLock);
  ++openFiles()[canonical];
}

void OpenFileRegistry::closed(const std::string& canonical) {
  std::lock_guard guard(registryLock);
  const auto it = openFiles().find(canonical);
  if (it != openFiles().end() && --it->second <= 0) openFiles().erase(it);
}

bool OpenFileRegistry::isOpen(const std::string& canonical) {
  std::lock_guard guard(registryLock);
  return openFiles().count(canonical) > 0;
}

}  // namespace vc::files
