// The relation base class the system's relation objects derive from: windows open and
// close a file through it, and it passes both on to the file's access object.
#pragma once

#include <vector>

#include "platform/errors/error_manager.hpp"
#include "platform/files/file_access_base.hpp"

namespace vc::files {

class RelationBase {
 public:
  RelationBase() = default;
  virtual ~RelationBase() = default;
  RelationBase(const RelationBase&) = delete;
  RelationBase& operator=(const RelationBase&) = delete;

  /// The relation set-up: this relation manages `access`, with no related files.
  void init(FileAccessBase& access);
  /// The relation tear-down: the list of related files is dropped.
  virtual void release();

  /// Counts the file open and makes sure it is physically open; the answer is benign, or
  /// the severity of the error that was shown.
  errors::Severity open();
  /// Counts one open less; the file is closed when none is left.
  void close();
  /// The quick-scan switch: sends "QUICKSCAN=on" (or "=off") to the file's driver and
  /// passes the switch on to the related files.
  void setQuickScan(bool on);

  FileAccessBase* me = nullptr;
  RelationBase* aliasFile = nullptr;
  std::vector<RelationBase*> related;
};

}  // namespace vc::files
