// Rows of the results table as tests write them, and the adding of them to resumen.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/errors/error_manager.hpp"
#include "store/store.hpp"

namespace vc::testing {

/// One row of resumen. Name and type lead, as the purge and the report judge by them;
/// the fields a test leaves out are those it does not look at.
struct ResumenRow {
  std::string nombre;
  std::string tipo = "LONG";
  std::string modulo = "M";
  int external = 0;
  std::string modo = "";
};

/// record cleared, then holding row.
inline void fillRecord(const ResumenRow& row, vc::store::ResumenRecord& record) {
  vc::store::clear(record);
  record.MODULO = row.modulo;
  record.NOMBRE = row.nombre;
  record.TIPO = row.tipo;
  record.MODO = row.modo;
  record.EXTERNAL = static_cast<std::uint8_t>(row.external);
}

/// Adds rows, in their order, to this thread's resumen, which is open: streamed, as the
/// analysis adds them, so that tables of thousands of rows are made quickly.
inline void addResumenRows(const std::vector<ResumenRow>& rows) {
  vc::store::ResumenFile& resumen = vc::store::resumen();
  ASSERT_TRUE(resumen.stream().ok());
  for (const ResumenRow& row : rows) {
    fillRecord(row, vc::store::RES);
    ASSERT_EQ(resumen.add(), vc::files::FileError::none);
  }
  ASSERT_TRUE(resumen.flush().ok());
}

/// Opens resumen through its relation, as a window does, adds rows, and closes it again.
inline void fillResumen(const std::vector<ResumenRow>& rows) {
  ASSERT_EQ(vc::store::resumenRelation->open(), vc::errors::Severity::benign);
  addResumenRows(rows);
  vc::store::resumenRelation->close();
}

}  // namespace vc::testing
