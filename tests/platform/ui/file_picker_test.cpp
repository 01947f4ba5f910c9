#include "platform/ui/file_picker.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "platform/ui/scripted/scripted_engine.hpp"
#include "support/temp_folder.hpp"

namespace vc::ui {
namespace {

namespace fs = std::filesystem;
using vc::testing::TempFolder;

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

/// A dialog that leaves the current folder where the user browsed to, as a desktop's
/// open-file dialog may.
class WanderingDialogEngine : public ScriptedEngine {
 public:
  explicit WanderingDialogEngine(fs::path browsedTo) : browsedTo_(std::move(browsedTo)) {}
  std::optional<std::string> askOpenFile(const OpenFileRequest& request) override {
    fs::current_path(browsedTo_);
    return ScriptedEngine::askOpenFile(request);
  }

 private:
  fs::path browsedTo_;
};

TEST(FilePickerTest, TheFolderIsKeptWhateverTheDialogDid) {
  TempFolder start;
  fs::create_directory("browsed");
  fs::create_directory("default");
  const fs::path browsed = fs::canonical("browsed");
  const fs::path byDefault = fs::canonical("default");
  const fs::path home = fs::canonical(start.path());
  struct Case {
    const char* name;
    bool keepFolder;
    bool choose;
    bool defaultFolder;
    fs::path after;
  };
  const Case cases[] = {
      {"a file chosen after browsing", true, true, false, home},
      {"cancelled after browsing", true, false, false, home},
      {"the default folder left again", true, true, true, home},
      {"no keeping: where the dialog left it", false, true, true, browsed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::current_path(home);
    WanderingDialogEngine engine(browsed);
    FilePicker picker(engine);
    picker.init();
    if (c.defaultFolder) picker.DEFAULTDIRECTORY = byDefault.string();
    if (c.choose)
      engine.chooseFile((browsed / "a.clw").string());
    else
      engine.cancelFile();
    (void)picker.askFile(c.keepFolder);
    EXPECT_EQ(fs::current_path(), c.after);
    ASSERT_EQ(engine.fileDialogs().size(), 1u);
    EXPECT_EQ(engine.fileDialogs()[0].folder, (c.defaultFolder ? byDefault : home).string());
    if (c.keepFolder) {
      EXPECT_EQ(picker.SAVEPATH.clipped(), home.string());
    }
  }
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
