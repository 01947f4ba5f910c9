// The access and relation objects of the four files, one pair per file and thread, and
// the per-thread references through which the rest of the system reaches them.
#pragma once

#include <string_view>
#include <vector>

#include "globals/globals.hpp"
#include "platform/files/file_access_base.hpp"
#include "platform/files/relation_base.hpp"
#include "platform/text/fixed_text.hpp"

namespace vc::store {

/// What sets one file's access object apart from the others'.
struct FileSpecifics {
  std::string_view label;                                      // FILENAMEVALUE after prepare
  vc::files::FileDriver& (*file)();                            // this thread's copy of the file
  vc::files::RecordBuffer (*buffer)();                         // this thread's record
  const vc::globals::FileNameText* nameVariable;               // the variable FILENAME is bound to
  bool aliasOfResumen;                                         // resumenAlias: linked to resumen
  std::vector<std::pair<const void*, std::string_view>> keys;  // registered by firstUse
  vc::files::FileAccessBase*& (*publicAccess)();               // this thread's public references
  vc::files::RelationBase*& (*publicRelation)();
};

/// The access object of one file.
class FileAccess : public vc::files::FileAccessBase {
 public:
  explicit FileAccess(const FileSpecifics& specifics) : specifics_(specifics) {}
  ~FileAccess() override;

  void prepare() override;
  void release() override;
  vc::errors::Severity firstUse(vc::files::UseKind kind) override;

 private:
  const FileSpecifics& specifics_;
};

/// The relation object of one file, through which windows open and close it.
class FileRelation : public vc::files::RelationBase {
 public:
  FileRelation(const FileSpecifics& specifics, std::size_t slot)
      : specifics_(specifics), slot_(slot) {}

  void prepare();
  void release() override;

 private:
  const FileSpecifics& specifics_;
  std::size_t slot_;
};

/// This thread's public references; empty until openFileAccess, and again after
/// closeFileAccess.
extern thread_local vc::files::FileAccessBase* archivo1Access;
extern thread_local vc::files::RelationBase* archivo1Relation;
extern thread_local vc::files::FileAccessBase* archivo2Access;
extern thread_local vc::files::RelationBase* archivo2Relation;
extern thread_local vc::files::FileAccessBase* resumenAccess;
extern thread_local vc::files::RelationBase* resumenRelation;
extern thread_local vc::files::FileAccessBase* resumenAliasAccess;
extern thread_local vc::files::RelationBase* resumenAliasRelation;

/// Creates this thread's eight objects and sets the public relation references.
void newFileAccessObjects();
/// Prepares the four relation objects: archivo1, archivo2, resumen, resumenAlias.
void prepareFileAccessObjects();
/// Releases and frees the eight objects, file by file in the same order.
void releaseFileAccessObjects();

/// newFileAccessObjects, then prepareFileAccessObjects.
void openFileAccess();
/// releaseFileAccessObjects.
void closeFileAccess();

}  // namespace vc::store
