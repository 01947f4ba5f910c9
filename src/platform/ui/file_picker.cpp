#include "platform/ui/file_picker.hpp"

#include <filesystem>
#include <system_error>

namespace vc::ui {
namespace {

std::string currentFolder() {
  std::error_code ec;
  auto p = std::filesystem::current_path(ec);
  return ec ? std::string() : p.string();
}

void makeCurrent(std::string_view folder) {
  std::error_code ec;
  std::filesystem::current_path(std::filesystem::path(std::string(folder)), ec);
}

// "desc|pattern|desc|pattern" into pairs; a pattern without description keeps its place.
std::vector<std::pair<std::string, std::string>> parseMask(std::string_view mask) {
  std::vector<std::pair<std::string, std::string>> out;
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t bar = mask.find('|', start);
    parts.emplace_back(mask.substr(start, bar == std::string_view::npos ? bar : bar - start));
    if (bar == std::string_view::npos) break;
    start = bar + 1;
  }
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) out.emplace_back(parts[i], parts[i + 1]);
  if (parts.size() % 2 == 1 && !parts.back().empty()) out.emplace_back(parts.back(), parts.back());
  return out;
}

}  // namespace

void FilePicker::init() {
  WINDOWTITLE = "Select A File";
  FLAGS = file_flag::explorer;
}

void FilePicker::setFilter(std::string_view description, std::string_view pattern) {
  std::string mask(vc::text::clip(description));
  mask += '|';
  mask += pattern;
  MASKSTRING = mask;
}

std::string FilePicker::askFile(bool keepFolder) {
  DIALOGCANCELLED = 0;
  // SAVEPATH holds 260 characters; a deeper folder is kept whole aside so that the
  // restore never lands in a cut-off path.
  const std::string saved = keepFolder ? currentFolder() : std::string();
  if (keepFolder) SAVEPATH = saved;
  if (!DEFAULTDIRECTORY.isBlank()) makeCurrent(DEFAULTDIRECTORY.clipped());

  OpenFileRequest request;
  request.title = std::string(WINDOWTITLE.clipped());
  request.filters =
      parseMask(MASKSTRING.isBlank() ? std::string_view("All Files|*.*") : MASKSTRING.clipped());
  request.initialFile = std::string(DEFAULTFILE.clipped());
  request.folder = currentFolder();
  request.flags = FLAGS;

  std::string result(DEFAULTFILE.clipped());
  if (auto chosen = engine_.askOpenFile(request)) {
    result = *chosen;
  } else {
    DIALOGCANCELLED = 1;
    if (CLEARONCANCEL) result.clear();
  }
  if (keepFolder) makeCurrent(saved);
  return result;
}

}  // namespace vc::ui
