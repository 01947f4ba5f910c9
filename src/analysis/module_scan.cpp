#include "analysis/module_scan.hpp"

#include "globals/globals.hpp"
#include "platform/text/text_ops.hpp"
#include "store/store.hpp"

namespace vc::analysis {

using vc::text::find;
using vc::text::substring;

void folderOf(std::string_view path, SourceFolder& folder) {
  folder.clear();
  const std::string_view name = vc::text::clip(path);
  const std::size_t last = name.find_last_of("\\/");
  if (last != std::string_view::npos) folder = name.substr(0, last + 1);
}

void collectModules(ModuleQueue& moduleQueue, SourceFolder& sourceFolder) {
  folderOf(globals::NOMBREARCHIVO1.view(), sourceFolder);

  auto& archivo1 = vc::store::archivo1();
  auto& AR1 = vc::store::AR1;
  archivo1.set(1);
  for (;;) {
    if (archivo1.eof()) {
      moduleQueue.sortByName();
      return;
    }
    (void)archivo1.next();  // EOF was just tested false, so a line was read
    if (find("MAP", AR1.DATO.view()) != 0) break;
  }
  for (;;) {
    if (archivo1.eof()) break;
    (void)archivo1.next();  // EOF was just tested false, so a line was read
    const std::string_view line = AR1.DATO.view();
    if (line[0] == '!') break;
    const std::size_t p = find("MODULE(", line);
    if (p == 0) continue;
    // The character right after "MODULE(" (normally the opening quote) is dropped.
    std::string name = substring(line, static_cast<long>(p) + 8, 20);
    if (const std::size_t q = find(".", name); q != 0) name = substring(name, 1, q - 1);
    moduleQueue.TAB1.NOMBRE = name;
    moduleQueue.TAB1.EXPORT = 0;
    moduleQueue.TAB1.EXTERNALS = 0;
    moduleQueue.add();
    // The procedure line and the END under a MODULE( line are passed over unread; past
    // the end of the file these reads take nothing, which is all that matters here.
    (void)archivo1.next();
    (void)archivo1.next();
  }
  moduleQueue.sortByName();
}

}  // namespace vc::analysis
