#include "platform/settings/settings_store.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_folder.hpp"

namespace vc::settings {
namespace {

using vc::testing::TempFolder;

constexpr const char* kFile = ".\\varcompass.INI";
/// How the fake logs a position handed over as "not given".
const std::string kNone = "none";

/// A window without a display: its placement, and every change made to it, in order.
class FakePlacement : public WindowPlacement {
 public:
  bool max = false, min = false, canResize = false;
  std::optional<int> px = 0, py = 0, pw = 0, ph = 0;
  std::vector<std::string> calls;

  bool maximized() const override { return max; }
  bool minimized() const override { return min; }
  bool resizable() const override { return canResize; }
  std::optional<int> x() const override { return px; }
  std::optional<int> y() const override { return py; }
  std::optional<int> width() const override { return pw; }
  std::optional<int> height() const override { return ph; }
  void setMaximized(bool on) override { max = on, log("maximized", on); }
  void setMinimized(bool on) override { min = on, log("minimized", on); }
  void setX(std::optional<int> v) override { px = v, log("x", v); }
  void setY(std::optional<int> v) override { py = v, log("y", v); }
  void setWidth(int v) override { pw = v, log("width", v); }
  void setHeight(int v) override { ph = v, log("height", v); }

 private:
  void log(const char* what, std::optional<int> v) {
    calls.push_back(std::string(what) + "=" + (v ? std::to_string(*v) : kNone));
  }
};

TEST(SettingsStoreTest, FirstRunRestoresNothingAndLeavesTheFileAsDeclared) {
  TempFolder folder;
  SettingsStore store;
  store.openSettings(kFile, SettingsKind::iniFile);
  EXPECT_TRUE(store.sectors().empty());

  FakePlacement main;
  main.px = 12, main.py = 34, main.pw = 200, main.ph = 100;
  store.restoreWindow("Main", main);
  EXPECT_TRUE(main.calls.empty());

  store.saveWindow("Main", main);
  store.closeSettings();
  EXPECT_EQ(TempFolder::read("varcompass.INI"),
            "[Main]\r\nMaximize=No\r\nMinimize=No\r\nXPos=12\r\nYPos=34\r\n"
            "[__Dont_Touch_Me__]\r\nSectors=0\r\n");
}

TEST(SettingsStoreTest, MaximisedWindowIsSavedWithoutPlaceAndReopensMaximised) {
  TempFolder folder;
  TempFolder::write("varcompass.INI",
                    "[ver_resumen]\r\nMaximize=No\r\nMinimize=No\r\nXPos=5\r\nYPos=6\r\n"
                    "Width=70\r\nHeight=80\r\n[Main]\r\nXPos=1\r\n");
  SettingsStore store;
  store.openSettings(kFile, SettingsKind::iniFile);
  FakePlacement window;
  window.max = true, window.canResize = true, window.px = 9, window.pw = 99;
  store.saveWindow("ver_resumen", window);
  EXPECT_EQ(TempFolder::read("varcompass.INI"),
            "[ver_resumen]\r\nMaximize=Yes\r\nMinimize=No\r\n[Main]\r\nXPos=1\r\n");

  FakePlacement reopened;
  reopened.px = 3, reopened.py = 4;
  store.restoreWindow("ver_resumen", reopened);
  // The position goes to the engine as "not given", and maximising comes after it.
  EXPECT_EQ(reopened.calls,
            (std::vector<std::string>{"x=" + kNone, "y=" + kNone, "maximized=1", "minimized=0"}));
}

TEST(SettingsStoreTest, MaximizeOtherThanYesOrNoIgnoresTheWholeSection) {
  const struct {
    const char* name;
    std::string maximize;  // the whole line, empty for none
    bool restored;
  } cases[] = {
      {"No", "Maximize=No\r\n", true},
      {"Yes", "Maximize=Yes\r\n", true},
      {"trailing blanks ignored", "Maximize=No   \r\n", true},
      {"key name in other case", "MAXIMIZE=No\r\n", true},
      {"lower case value", "Maximize=yes\r\n", false},
      {"upper case value", "Maximize=NO\r\n", false},
      {"number", "Maximize=1\r\n", false},
      {"empty", "Maximize=\r\n", false},
      {"absent", "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    TempFolder::write("varcompass.INI",
                      "[Main]\r\n" + c.maximize + "Minimize=Yes\r\nXPos=40\r\nYPos=50\r\n");
    SettingsStore store;
    store.openSettings(kFile, SettingsKind::iniFile);
    FakePlacement window;
    store.restoreWindow("Main", window);
    EXPECT_EQ(!window.calls.empty(), c.restored);
    if (c.restored) {
      EXPECT_EQ(window.px, 40);
      EXPECT_EQ(window.py, 50);
      EXPECT_TRUE(window.min);
    }
  }
}

TEST(SettingsStoreTest, MovedWindowReopensWhereItWasLeft) {
  TempFolder folder;
  SettingsStore store;
  store.openSettings(kFile, SettingsKind::iniFile);
  FakePlacement first;
  first.px = 10, first.py = 20;
  store.saveWindow("analizar", first);
  first.px = -30, first.py = 45;  // moved, closed again
  store.saveWindow("analizar", first);
  store.closeSettings();

  SettingsStore next;  // the next run
  next.openSettings(kFile, SettingsKind::iniFile);
  FakePlacement reopened;
  reopened.max = true;  // a window that starts maximised is taken out of it first
  next.restoreWindow("analizar", reopened);
  EXPECT_EQ(reopened.calls,
            (std::vector<std::string>{"maximized=0", "x=-30", "y=45", "minimized=0"}));
}

TEST(SettingsStoreTest, ResizableWindowsKeepTheirSize) {
  TempFolder folder;
  SettingsStore store;
  store.openSettings(kFile, SettingsKind::iniFile);
  FakePlacement preview;
  preview.canResize = true, preview.px = 1, preview.py = 2, preview.pw = 300, preview.ph = 400;
  store.saveWindow("_PreviewWindow_", preview);
  EXPECT_EQ(TempFolder::read("varcompass.INI"),
            "[_PreviewWindow_]\r\nMaximize=No\r\nMinimize=No\r\nXPos=1\r\nYPos=2\r\n"
            "Width=300\r\nHeight=400\r\n");

  FakePlacement resizable;
  resizable.canResize = true;
  store.restoreWindow("_PreviewWindow_", resizable);
  EXPECT_EQ(resizable.pw, 300);
  EXPECT_EQ(resizable.ph, 400);

  FakePlacement fixed;
  fixed.pw = 50, fixed.ph = 60;
  store.restoreWindow("_PreviewWindow_", fixed);
  EXPECT_EQ(fixed.pw, 50);
  EXPECT_EQ(fixed.ph, 60);
  EXPECT_EQ(fixed.px, 1);

  // A minimised window keeps no place and no size.
  preview.min = true;
  store.saveWindow("_PreviewWindow_", preview);
  EXPECT_EQ(TempFolder::read("varcompass.INI"),
            "[_PreviewWindow_]\r\nMaximize=No\r\nMinimize=Yes\r\n");
}

TEST(SettingsStoreTest, PlaceOrSizeNotGivenIsLeftOutOfTheFile) {
  // The number that stands for "none" in the file is never written as a place either: it
  // would come back as none.
  const int marker = std::numeric_limits<int>::min();
  const struct {
    const char* name;
    std::optional<int> x, width;
    std::string keys;
  } cases[] = {
      {"both given", 7, 90, "XPos=7\r\nYPos=8\r\nWidth=90\r\nHeight=60\r\n"},
      {"no position", std::nullopt, 90, "YPos=8\r\nWidth=90\r\nHeight=60\r\n"},
      {"no width", 7, std::nullopt, "XPos=7\r\nYPos=8\r\nHeight=60\r\n"},
      {"the file's own none", marker, marker, "YPos=8\r\nHeight=60\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    SettingsStore store;
    store.openSettings(kFile, SettingsKind::iniFile);
    FakePlacement window;
    window.canResize = true, window.px = c.x, window.py = 8, window.pw = c.width, window.ph = 60;
    store.saveWindow("Main", window);
    EXPECT_EQ(TempFolder::read("varcompass.INI"),
              "[Main]\r\nMaximize=No\r\nMinimize=No\r\n" + c.keys);
  }
}

TEST(SettingsStoreTest, BookkeepingListIsWrittenBackAsRead) {
  TempFolder folder;
  const std::string file =
      "[Main]\r\nMaximize=No\r\nMinimize=No\r\nXPos=1\r\nYPos=2\r\n"
      "[__Dont_Touch_Me__]\r\nSectors=1\r\nSectors_1=alpha,beta 2,gamma\r\n";
  TempFolder::write("varcompass.INI", file);
  SettingsStore store;
  store.openSettings(kFile, SettingsKind::iniFile);
  EXPECT_EQ(store.sectors(), (std::vector<SectorEntry>{{"alpha", "beta 2", "gamma"}}));
  store.closeSettings();
  EXPECT_TRUE(store.sectors().empty());
  EXPECT_EQ(TempFolder::read("varcompass.INI"), file);
}

TEST(SettingsStoreTest, HandEditedBookkeepingStaysBoundedAndIsWrittenBackAsRead) {
  // Nothing changes the list, so whatever a hand left in the section goes back as it was.
  const struct {
    const char* name;
    std::string section;
    std::size_t loaded;
  } cases[] = {
      {"negative count", "Sectors=-4\r\n", 0},
      {"not a number", "Sectors=many\r\n", 0},
      {"count beyond the 32-bit range", "Sectors=99999999999999999999\r\n",
       SettingsStore::kMaxSectors},
      {"entries missing", "Sectors=2\r\n", 2},
      {"fewer entries than counted", "Sectors=3\r\nSectors_1=a,b,c\r\nSectors_3=x,y,z\r\n", 3},
      {"blanks and commas of its own",
       "Sectors=2\r\nSectors_1=a  b ,, c,d,,\r\nSectors_2=no commas\r\n", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    const std::string file = "[__Dont_Touch_Me__]\r\n" + c.section;
    TempFolder::write("varcompass.INI", file);
    SettingsStore store;
    store.openSettings(kFile, SettingsKind::iniFile);
    EXPECT_EQ(store.sectors().size(), c.loaded);
    store.closeSettings();
    EXPECT_EQ(TempFolder::read("varcompass.INI"), file);
  }
}

TEST(SettingsStoreTest, NumbersOutOfShapeNeverCrash) {
  const struct {
    const char* value;
    std::optional<int> expected;
  } cases[] = {
      {"abc", 0},
      {"12px", 12},
      {"-2147483648", std::nullopt},  // the number that stands for no position
      {"99999999999", 2147483647},
      {"-99999999999", std::nullopt},
      {"+7", 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    TempFolder folder;
    TempFolder::write("varcompass.INI",
                      std::string("[Main]\r\nMaximize=No\r\nXPos=") + c.value + "\r\n");
    SettingsStore store;
    store.openSettings(kFile, SettingsKind::iniFile);
    FakePlacement window;
    store.restoreWindow("Main", window);
    EXPECT_EQ(window.px, c.expected);
    EXPECT_EQ(window.py, std::nullopt);
  }
}

TEST(SettingsStoreTest, UnwritableSettingsFileIsNeitherDetectedNorReported) {
  TempFolder folder;
  std::filesystem::create_directory("varcompass.INI");
  SettingsStore store;
  store.openSettings(kFile, SettingsKind::iniFile);
  FakePlacement window;
  store.restoreWindow("Main", window);
  store.saveWindow("Main", window);
  store.closeSettings();
  EXPECT_TRUE(window.calls.empty());
  EXPECT_TRUE(std::filesystem::is_empty("varcompass.INI"));
}

}  // namespace
}  // namespace vc::settings
