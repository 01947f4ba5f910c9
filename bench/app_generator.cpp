#include "app_generator.hpp"

#include <cstdio>
#include <fstream>
#include <string>

namespace vc::bench {
namespace {

std::string moduleName(std::size_t i) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "MOD%05zu", i);
  return buf;
}

// One global declaration in one of the shapes real applications use; i varies the name
// so that names repeat across modules (as shared globals do) with differing types.
std::string declaration(std::size_t module, std::size_t i) {
  char buf[160];
  switch (i % 8) {
    case 0:
      std::snprintf(buf, sizeof buf, "GLO:Nombre%zu   STRING(%zu),EXTERNAL,DLL(dll_mode)", i,
                    20 + module % 3);
      break;
    case 1:
      std::snprintf(buf, sizeof buf, "GLO:Contador%zu LONG", i);
      break;
    case 2:
      std::snprintf(buf, sizeof buf, "GLO:Importe%zu  DECIMAL(10,2),THREAD", i);
      break;
    case 3:
      std::snprintf(buf, sizeof buf, "GLO:Fecha%zu    LONG  ! Fecha, en formato estandar", i);
      break;
    case 4:
      std::snprintf(buf, sizeof buf,
                    "Clientes%zu     FILE,DRIVER('DOS'),PRE(CL%zu),CREATE,BINDABLE,THREAD", i, i);
      break;
    case 5:
      std::snprintf(buf, sizeof buf, "GLO:Flag%zu\tBYTE,EXTERNAL", i);
      break;
    case 6:
      std::snprintf(buf, sizeof buf, "glo:texto%zu   CSTRING(%zu),STATIC,THREAD,EXTERNAL,DLL", i,
                    41 + module % 2);
      break;
    default:
      std::snprintf(buf, sizeof buf, "GLO:Total%zu    REAL", i);
      break;
  }
  return buf;
}

std::size_t writeFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return text.size();
}

}  // namespace

GeneratedApp generateApp(const std::filesystem::path& folder, std::size_t modules,
                         std::size_t declarationsPerModule) {
  std::filesystem::create_directories(folder);
  GeneratedApp app;
  app.mainSource = folder / "APP.clw";
  app.modules = modules;

  std::string main = "  PROGRAM\r\n\r\n  INCLUDE('ABERROR.INC'),ONCE\r\n\r\n  MAP\r\n";
  for (std::size_t m = 0; m < modules; ++m) {
    main += "    MODULE('" + moduleName(m) + ".CLW')\r\n";
    main += "Proc" + std::to_string(m) + "    PROCEDURE\r\n";
    main += "    END\r\n";
  }
  main += "  END\r\n!--- fin del MAP\r\n  CODE\r\n  Main\r\n";
  app.bytes += writeFile(app.mainSource, main);

  for (std::size_t m = 0; m < modules; ++m) {
    std::string src = "  MEMBER('APP.clw')\r\n\r\n  INCLUDE('EQUATES.CLW')\r\n\r\n";
    src += "!--- Application Global and Exported Procedure Definitions --------------------\r\n";
    for (std::size_t d = 0; d < declarationsPerModule; ++d) {
      src += declaration(m, d);
      src += "\r\n";
      if (d % 50 == 49) src += "Proc" + std::to_string(d) + "  PROCEDURE(LONG pId)\r\n  ! nota\r\n";
    }
    src += "!--- fin\r\n  CODE\r\n";
    app.bytes += writeFile(folder / (moduleName(m) + ".CLW"), src);
    app.declarations += declarationsPerModule;
  }
  return app;
}

}  // namespace vc::bench
