#include "platform/ui/file_picker.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ui/scripted/scripted_engine.hpp"

namespace vc::ui {
namespace {

namespace fs = std::filesystem;

TEST(FilePickerTest, BuildsTheRequestAndKeepsTheCurrentFolder) {
  const fs::path start = fs::current_path();
  const fs::path other = fs::temp_directory_path();
  ScriptedEngine engine;
  FilePicker picker(engine);
  picker.init();
  EXPECT_EQ(picker.WINDOWTITLE.clipped(), "Select A File");
  EXPECT_EQ(picker.FLAGS, file_flag::explorer);
  picker.setFilter("clw files   ", "*.clw");
  EXPECT_EQ(picker.MASKSTRING.clipped(), "clw files|*.clw");
  picker.WINDOWTITLE = "Archivo CLW de la varcompass  EXE";
  picker.CLEARONCANCEL = 1;

  engine.chooseFile((other / "a.clw").string()).cancelFile();
  EXPECT_EQ(picker.askFile(true), (other / "a.clw").string());
  EXPECT_EQ(picker.DIALOGCANCELLED, 0);
  EXPECT_EQ(fs::current_path(), start);
  EXPECT_EQ(picker.askFile(true), "");
  EXPECT_EQ(picker.DIALOGCANCELLED, 1);

  ASSERT_EQ(engine.fileDialogs().size(), 2u);
  const OpenFileRequest& r = engine.fileDialogs()[0];
  EXPECT_EQ(r.title, "Archivo CLW de la varcompass  EXE");
  ASSERT_EQ(r.filters.size(), 1u);
  EXPECT_EQ(r.filters[0].first, "clw files");
  EXPECT_EQ(r.filters[0].second, "*.clw");
  EXPECT_EQ(r.folder, start.string());
}

TEST(FilePickerTest, BlankMaskMeansAllFiles) {
  ScriptedEngine engine;
  FilePicker picker(engine);
  picker.init();
  engine.cancelFile();
  picker.askFile(false);
  ASSERT_EQ(engine.fileDialogs().size(), 1u);
  EXPECT_EQ(engine.fileDialogs()[0].filters.at(0).first, "All Files");
  EXPECT_EQ(engine.fileDialogs()[0].filters.at(0).second, "*.*");
}

}  // namespace
}  // namespace vc::ui
