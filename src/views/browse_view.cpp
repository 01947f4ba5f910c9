#include "views/browse_view.hpp"

#include <optional>

#include "store/declarations.hpp"

namespace vc::views {
namespace {

thread_local std::optional<vc::files::TableView> view;
thread_local bool used = false;

void bindBrowseView() {
  view.emplace(vc::store::resumen());
}

}  // namespace

vc::files::TableView& browseView() {
  if (!view) bindBrowseView();
  return *view;
}

void useBrowseView() {
  used = true;
}

void closeBrowseView() {
  if (!used) return;
  view.reset();
  used = false;
}

}  // namespace vc::views
