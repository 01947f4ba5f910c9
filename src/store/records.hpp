// The record buffers of the four files, one set per thread.
#pragma once

#include <cstdint>

#include "platform/text/fixed_text.hpp"

namespace vc::store {

/// One line of a source file, blank-padded to 200 characters.
struct SourceLineRecord {
  vc::text::FixedText<200> DATO;
};

/// One row of the results table: 122 bytes, the fields in this order without gaps.
struct ResumenRecord {
  vc::text::FixedText<30> MODULO;
  vc::text::FixedText<30> NOMBRE;
  vc::text::FixedText<30> TIPO;
  vc::text::FixedText<30> MODO;
  std::uint8_t EXTERNAL;
  std::uint8_t DIFERENTE;
};
static_assert(sizeof(ResumenRecord) == 122, "the row is stored without gaps");

/// This thread's buffers: archivo1, archivo2, resumen and resumenAlias.
extern thread_local SourceLineRecord AR1;
extern thread_local SourceLineRecord AR2;
extern thread_local ResumenRecord RES;
extern thread_local ResumenRecord RESA;

/// Texts blank, numbers 0.
void clear(SourceLineRecord& record);
void clear(ResumenRecord& record);

}  // namespace vc::store
