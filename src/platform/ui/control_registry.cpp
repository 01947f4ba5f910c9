#include "platform/ui/control_registry.hpp"

#include <mutex>
#include <set>

namespace vc::ui {
namespace {

std::mutex registryLock;
std::set<ControlKind>& registry() {
  static std::set<ControlKind> kinds;
  return kinds;
}

}  // namespace

void registerControlKind(ControlKind kind) {
  std::lock_guard guard(registryLock);
  registry().insert(kind);
}

bool isControlKindRegistered(ControlKind kind) {
  std::lock_guard guard(registryLock);
  return registry().count(kind) != 0;
}

void clearControlKinds() {
  std::lock_guard guard(registryLock);
  registry().clear();
}

}  // namespace vc::ui
