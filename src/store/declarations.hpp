// The four file declarations: the two source-line files and the results table with its
// second cursor. Each thread has its own copies, attached with cleared buffers.
#pragma once

#include "platform/files/keyed_table.hpp"
#include "platform/files/text_file.hpp"
#include "store/records.hpp"

namespace vc::store {

/// A declaration of "resumen.dat" with the keys indmod and indnom.
class ResumenFile : public vc::files::KeyedTable {
 public:
  static constexpr vc::files::KeyId indmod{0};  // MODULO, EXTERNAL, NOMBRE
  static constexpr vc::files::KeyId indnom{1};  // NOMBRE, EXTERNAL, MODULO
  // Fields by their place in the layout, for reads of some fields only.
  static constexpr std::size_t nombreField = 1;
  static constexpr std::size_t tipoField = 2;

  explicit ResumenFile(ResumenRecord& record);
};

/// The row and keys of the results table.
const vc::files::TableSpec& resumenSpec();

/// This thread's copies; a thread that has not attached its files gets them on first use.
vc::files::TextFile& archivo1();
vc::files::TextFile& archivo2();
ResumenFile& resumen();
ResumenFile& resumenAlias();

/// Sets up this thread's archivo1, archivo2, resumen and resumenAlias, in this order, each
/// with its buffer cleared; nothing is opened.
void attachThreadFiles();
/// Destroys this thread's resumenAlias, resumen, archivo2 and archivo1, in this order.
void detachThreadFiles();

}  // namespace vc::store
