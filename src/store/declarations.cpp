#include "store/declarations.hpp"

#include <cstddef>
#include <optional>

#include "globals/globals.hpp"

namespace vc::store {

thread_local SourceLineRecord AR1;
thread_local SourceLineRecord AR2;
thread_local ResumenRecord RES;
thread_local ResumenRecord RESA;

namespace {

using vc::files::FieldKind;

thread_local std::optional<vc::files::TextFile> archivo1Copy;
thread_local std::optional<vc::files::TextFile> archivo2Copy;
thread_local std::optional<ResumenFile> resumenCopy;
thread_local std::optional<ResumenFile> resumenAliasCopy;

std::string_view bytesOf(const vc::globals::FileNameText& variable) {
  return {variable.data(), variable.size()};
}

void attachArchivo(std::optional<vc::files::TextFile>& copy, SourceLineRecord& record,
                   const vc::globals::FileNameText& name) {
  copy.reset();
  copy.emplace(bytesOf(name), record.DATO.data(), record.DATO.size());
  clear(record);
}

void attachResumen(std::optional<ResumenFile>& copy, ResumenRecord& record) {
  copy.reset();
  copy.emplace(record);
  clear(record);
}

}  // namespace

void clear(SourceLineRecord& record) {
  record.DATO.clear();
}

void clear(ResumenRecord& record) {
  record.MODULO.clear();
  record.NOMBRE.clear();
  record.TIPO.clear();
  record.MODO.clear();
  record.EXTERNAL = 0;
  record.DIFERENTE = 0;
}

const vc::files::TableSpec& resumenSpec() {
  static const vc::files::TableSpec layout{
      "resumen",
      sizeof(ResumenRecord),
      {
          {"MODULO", offsetof(ResumenRecord, MODULO), 30, FieldKind::text},
          {"NOMBRE", offsetof(ResumenRecord, NOMBRE), 30, FieldKind::text},
          {"TIPO", offsetof(ResumenRecord, TIPO), 30, FieldKind::text},
          {"MODO", offsetof(ResumenRecord, MODO), 30, FieldKind::text},
          {"EXTERNAL", offsetof(ResumenRecord, EXTERNAL), 1, FieldKind::byte},
          {"DIFERENTE", offsetof(ResumenRecord, DIFERENTE), 1, FieldKind::byte},
      },
      {
          {"indmod", {0, 4, 1}},
          {"indnom", {1, 4, 0}},
      },
  };
  return layout;
}

ResumenFile::ResumenFile(ResumenRecord& record)
    : KeyedTable(resumenSpec(), "resumen.dat", &record) {}

vc::files::TextFile& archivo1() {
  if (!archivo1Copy) attachArchivo(archivo1Copy, AR1, vc::globals::NOMBREARCHIVO1);
  return *archivo1Copy;
}

vc::files::TextFile& archivo2() {
  if (!archivo2Copy) attachArchivo(archivo2Copy, AR2, vc::globals::NOMBREARCHIVO2);
  return *archivo2Copy;
}

ResumenFile& resumen() {
  if (!resumenCopy) attachResumen(resumenCopy, RES);
  return *resumenCopy;
}

ResumenFile& resumenAlias() {
  if (!resumenAliasCopy) attachResumen(resumenAliasCopy, RESA);
  return *resumenAliasCopy;
}

void attachThreadFiles() {
  attachArchivo(archivo1Copy, AR1, vc::globals::NOMBREARCHIVO1);
  attachArchivo(archivo2Copy, AR2, vc::globals::NOMBREARCHIVO2);
  attachResumen(resumenCopy, RES);
  attachResumen(resumenAliasCopy, RESA);
}

void detachThreadFiles() {
  resumenAliasCopy.reset();
  resumenCopy.reset();
  archivo2Copy.reset();
  archivo1Copy.reset();
}

}  // namespace vc::store
