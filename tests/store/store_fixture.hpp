// A fresh current folder, an error manager that records its boxes, and this thread's
// files and access objects set up as the frame sets them up.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "globals/globals.hpp"
#include "platform/files/file_test_support.hpp"
#include "store/store.hpp"
#include "support/temp_folder.hpp"

namespace vc::store {

class StoreTest : public ::testing::Test {
 protected:
  StoreTest() {
    vc::testing::bindForTest(manager, presenter);
    vc::globals::errorManager = &manager;
    vc::globals::NOMBREARCHIVO1.clear();
    vc::globals::NOMBREARCHIVO2.clear();
    attachThreadFiles();
    openFileAccess();
  }
  ~StoreTest() override {
    closeFileAccess();
    detachThreadFiles();
    vc::globals::errorManager = nullptr;
  }

  /// Opens through a relation; "halted" when a fatal report ended the program.
  static std::string openThrough(vc::files::RelationBase* relation) {
    try {
      return relation->open() == vc::errors::Severity::benign ? "opened" : "not opened";
    } catch (const vc::errors::ProgramHalted&) {
      return "halted";
    }
  }

  vc::testing::TempFolder folder;  // first: made current before, removed after the rest
  vc::errors::ErrorManager manager;
  vc::testing::RecordingPresenter presenter;
};

}  // namespace vc::store
