#include "store/file_access.hpp"

#include <array>
#include <memory>

#include "globals/globals.hpp"
#include "store/declarations.hpp"

namespace vc::store {

thread_local vc::files::FileAccessBase* archivo1Access = nullptr;
thread_local vc::files::RelationBase* archivo1Relation = nullptr;
thread_local vc::files::FileAccessBase* archivo2Access = nullptr;
thread_local vc::files::RelationBase* archivo2Relation = nullptr;
thread_local vc::files::FileAccessBase* resumenAccess = nullptr;
thread_local vc::files::RelationBase* resumenRelation = nullptr;
thread_local vc::files::FileAccessBase* resumenAliasAccess = nullptr;
thread_local vc::files::RelationBase* resumenAliasRelation = nullptr;

namespace {

using vc::errors::Severity;
using vc::files::UseKind;

/// The owning references of one file on this thread.
struct Owners {
  std::unique_ptr<FileAccess> access;
  std::unique_ptr<FileRelation> relation;
};
thread_local std::array<Owners, 4> owners;

template <typename Record>
vc::files::RecordBuffer bufferOf(Record& record) {
  return {&record, sizeof(Record)};
}

const std::array<FileSpecifics, 4>& specifics() {
  static const std::array<FileSpecifics, 4> table{{
      {"archivo1",
       []() -> vc::files::FileDriver& { return archivo1(); },
       [] { return bufferOf(AR1); },
       &vc::globals::NOMBREARCHIVO1,
       false,
       {},
       []() -> vc::files::FileAccessBase*& { return archivo1Access; },
       []() -> vc::files::RelationBase*& { return archivo1Relation; }},
      {"archivo2",
       []() -> vc::files::FileDriver& { return archivo2(); },
       [] { return bufferOf(AR2); },
       &vc::globals::NOMBREARCHIVO2,
       false,
       {},
       []() -> vc::files::FileAccessBase*& { return archivo2Access; },
       []() -> vc::files::RelationBase*& { return archivo2Relation; }},
      {"resumen",
       []() -> vc::files::FileDriver& { return resumen(); },
       [] { return bufferOf(RES); },
       nullptr,
       false,
       {{&ResumenFile::indmod, "RES:indmod"}, {&ResumenFile::indnom, "RES:indnom"}},
       []() -> vc::files::FileAccessBase*& { return resumenAccess; },
       []() -> vc::files::RelationBase*& { return resumenRelation; }},
      {"resumenAlias",
       []() -> vc::files::FileDriver& { return resumenAlias(); },
       [] { return bufferOf(RESA); },
       nullptr,
       true,
       {{&ResumenFile::indmod, "RESA:indmod"}, {&ResumenFile::indnom, "RESA:indnom"}},
       []() -> vc::files::FileAccessBase*& { return resumenAliasAccess; },
       []() -> vc::files::RelationBase*& { return resumenAliasRelation; }},
  }};
  return table;
}

}  // namespace

FileAccess::~FileAccess() {
  // The object was never torn down when its file was never used.
  if (killed == 0) release();
}

void FileAccess::prepare() {
  initialized = 0;
  buffer = specifics_.buffer();
  if (specifics_.aliasOfResumen) aliasedFile = resumenAccess;
  fileNameValue = specifics_.label;
  errors = vc::globals::errorManager;
  file = &specifics_.file();
  if (specifics_.nameVariable != nullptr) {
    fileName = std::string_view(specifics_.nameVariable->data(), specifics_.nameVariable->size());
  }
  FileAccessBase::prepare();
  specifics_.publicAccess() = this;
}

Severity FileAccess::firstUse(UseKind kind) {
  if (kind != UseKind::initialiseOnly) firstUse(UseKind::initialiseOnly);
  if (kind == UseKind::initialiseOnly && initialized == 0) {
    if (vc::globals::errorManager == nullptr) return Severity::fatal;
    inUseFile = 1;
    setUp(specifics_.file(), *vc::globals::errorManager);
    create = 1;
    lockRecover = 10;
    for (const auto& [key, description] : specifics_.keys) {
      addKey(key, std::string(description), /*autoNumber=*/false);
    }
  }
  return FileAccessBase::firstUse(kind);
}

void FileAccess::release() {
  FileAccessBase::release();
  specifics_.publicAccess() = nullptr;
}

void FileRelation::prepare() {
  FileAccess& access = *owners[slot_].access;
  access.prepare();
  init(access);
  if (specifics_.aliasOfResumen) aliasFile = resumenRelation;
}

void FileRelation::release() {
  if (me != nullptr) me->release();
  RelationBase::release();
  specifics_.publicRelation() = nullptr;
  owners[slot_].access.reset();
  me = nullptr;
}

void newFileAccessObjects() {
  for (std::size_t i = 0; i < owners.size(); ++i) {
    owners[i].access = std::make_unique<FileAccess>(specifics()[i]);
    owners[i].relation = std::make_unique<FileRelation>(specifics()[i], i);
  }
  for (std::size_t i = 0; i < owners.size(); ++i) {
    specifics()[i].publicRelation() = owners[i].relation.get();
  }
}

void prepareFileAccessObjects() {
  for (Owners& o : owners) {
    if (o.relation) o.relation->prepare();
  }
}

void releaseFileAccessObjects() {
  for (Owners& o : owners) {
    if (o.relation) o.relation->release();
    o.relation.reset();
    o.access.reset();
  }
}

void openFileAccess() {
  newFileAccessObjects();
  prepareFileAccessObjects();
}

void closeFileAccess() {
  releaseFileAccessObjects();
}

}  // namespace vc::store
