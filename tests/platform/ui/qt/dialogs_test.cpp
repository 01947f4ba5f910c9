#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <filesystem>

#include "platform/ui/qt/file_dialog.hpp"
#include "qt_test_support.hpp"
#include "support/temp_folder.hpp"

namespace vc::ui {
namespace {

using vc::ui::testing::whenShown;

class DialogsTest : public ::testing::Test {
 protected:
  DialogsTest() {
    vc::ui::testing::startApplication();
    vc::ui::testing::registerAllKinds(engine);
  }
  QtEngine engine;
};

TEST_F(DialogsTest, MessageBoxShowsTheRequestAndAnswersTheButtonPressed) {
  errors::MessageRequest request;
  request.caption = "File Access Error";
  request.text = "Primera l\xednea|segunda";
  request.icon = errors::MessageIcon::information;
  request.buttons = {"S\xed", "No", "Cancelar"};
  request.defaultButton = 2;

  QString text, title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;
  QString defaultText;
  whenShown<QMessageBox>([&](QMessageBox* box) {
    text = box->text();
    title = box->windowTitle();
    icon = box->icon();
    for (QAbstractButton* b : box->buttons()) buttons << b->text();
    defaultText = box->defaultButton() ? box->defaultButton()->text() : QString();
    box->buttons().at(2)->click();
  });
  const int pressed = engine.showMessage(request);
  EXPECT_EQ(text, QString::fromUtf8("Primera l\u00ednea\nsegunda"));
  EXPECT_EQ(title, QStringLiteral("File Access Error"));
  EXPECT_EQ(icon, QMessageBox::Information);
  EXPECT_EQ(buttons.size(), 3);
  EXPECT_TRUE(buttons.contains(QString::fromUtf8("S\u00ed")));
  EXPECT_EQ(defaultText, QStringLiteral("No"));
  EXPECT_EQ(request.buttons.at(static_cast<std::size_t>(pressed - 1)), buttons.at(2).toStdString());
}

TEST_F(DialogsTest, PlainMessageHasNoTitleNoIconAndOneOkButton) {
  errors::MessageRequest request;
  request.text = "El Archivo no contiene declaraciones de MODULOS";
  QString title = QStringLiteral("unset");
  QMessageBox::Icon icon = QMessageBox::Information;
  int buttonCount = 0;
  whenShown<QMessageBox>([&](QMessageBox* box) {
    title = box->windowTitle();
    icon = box->icon();
    buttonCount = static_cast<int>(box->buttons().size());
    QTest::keyClick(box, Qt::Key_Escape);  // with one button, Escape is that button
  });
  EXPECT_EQ(engine.showMessage(request), 1);
  EXPECT_TRUE(title.isEmpty());
  EXPECT_EQ(icon, QMessageBox::NoIcon);
  EXPECT_EQ(buttonCount, 1);
}

TEST_F(DialogsTest, PatternsMatchWhateverTheCase) {
  vc::testing::TempFolder folder;
  for (const char* name : {"a.clw", "B.CLW", "c.Clw", "d.txt", "eclw", "f.clwx"})
    vc::testing::TempFolder::write(folder.path() / name, "");
  struct Case {
    const char* pattern;
    QStringList listed;
  };
  const Case cases[] = {
      {"*.clw", {"B.CLW", "a.clw", "c.Clw"}},
      {"*.clw;*.TXT", {"B.CLW", "a.clw", "c.Clw", "d.txt"}},
      {"*.*", {"B.CLW", "a.clw", "c.Clw", "d.txt", "eclw", "f.clwx"}},
      {"", {"B.CLW", "a.clw", "c.Clw", "d.txt", "eclw", "f.clwx"}},
      {"[ab].clw", {"a.clw"}},  // a set of the pattern's own is kept as written
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    QDir dir(QString::fromStdString(folder.path().string()));
    dir.setSorting(QDir::Name);
    // Matched with case, as Linux names are: the patterns themselves must ignore it.
    EXPECT_EQ(
        dir.entryList(qt::caseInsensitivePatterns(c.pattern), QDir::Files | QDir::CaseSensitive),
        c.listed);
  }
}

TEST_F(DialogsTest, FileDialogOffersTheFilterAndReturnsTheChosenPath) {
  vc::testing::TempFolder folder;
  vc::testing::TempFolder::write(folder.path() / "APP.CLW", "PROGRAM\r\n");
  const QString here = QString::fromStdString(folder.path().string());

  OpenFileRequest request;
  request.title = "Archivo CLW de la varcompass  EXE";
  request.filters = {{"clw files", "*.clw"}};
  request.folder = folder.path().string();

  QString title, directory;
  QStringList filters;
  QFileDialog::Options options;
  QFileDialog::FileMode mode = QFileDialog::AnyFile;
  whenShown<QFileDialog>([&](QFileDialog* d) {
    title = d->windowTitle();
    directory = d->directory().absolutePath();
    filters = d->nameFilters();
    options = d->options();
    mode = d->fileMode();
    d->selectFile(QStringLiteral("APP.CLW"));
    static_cast<QDialog*>(d)->accept();
  });
  const auto chosen = engine.askOpenFile(request);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(std::filesystem::path(*chosen), folder.path() / "APP.CLW");
  EXPECT_EQ(title, QStringLiteral("Archivo CLW de la varcompass  EXE"));
  EXPECT_EQ(directory, here);
  EXPECT_EQ(filters, QStringList{QStringLiteral("clw files (*.[cC][lL][wW])")});
  EXPECT_TRUE(options & QFileDialog::DontUseNativeDialog);
  EXPECT_TRUE(options & QFileDialog::HideNameFilterDetails);  // "clw files" alone is shown
  EXPECT_EQ(mode, QFileDialog::ExistingFile);
}

TEST_F(DialogsTest, FileDialogConfirmsOnlyAnExistingFile) {
  vc::testing::TempFolder folder;
  OpenFileRequest request;
  request.title = "Select A File";
  request.filters = {{"clw files", "*.clw"}};
  request.folder = folder.path().string();

  bool refused = false, stayedOpen = false;
  whenShown<QFileDialog>([&](QFileDialog* d) {
    d->selectFile(QStringLiteral("NOEXISTE.CLW"));
    whenShown<QMessageBox>([&](QMessageBox* warning) {
      refused = true;
      warning->accept();
    });
    static_cast<QDialog*>(d)->accept();  // returns once the warning is dismissed
    stayedOpen = d->isVisible();
    d->reject();
  });
  EXPECT_EQ(engine.askOpenFile(request), std::nullopt);
  EXPECT_TRUE(refused);
  EXPECT_TRUE(stayedOpen);
}

TEST_F(DialogsTest, CancelledFileDialogChoosesNothing) {
  OpenFileRequest request;
  request.filters = {{"clw files", "*.clw"}};
  whenShown<QFileDialog>([](QFileDialog* d) { d->reject(); });
  EXPECT_EQ(engine.askOpenFile(request), std::nullopt);
  // What the dialog remembers goes to the engine's scratch folder, not the user's home.
  EXPECT_FALSE(QSettings(QSettings::UserScope, QStringLiteral("QtProject"))
                   .fileName()
                   .startsWith(QDir::homePath()));
}

}  // namespace
}  // namespace vc::ui

namespace vc::ui {
namespace {

TEST(ToolkitSettingsTest, WhatTheDialogRemembersStaysInMemory) {
  // The folders the file dialog visited are remembered for the run, but nothing is made
  // in the temporary folder or the user's settings, so not even a kill, which runs no
  // clean-up, can leave them behind.
  vc::testing::TempFolder folder;
  const std::filesystem::path tmp = folder.path() / "tmp";
  const std::filesystem::path config = folder.path() / "config";
  const std::filesystem::path runtime = folder.path() / "runtime";
  for (const char* sub : {"tmp", "runtime", "first", "second"})
    std::filesystem::create_directories(folder.path() / sub);
  ::setenv("TMPDIR", tmp.c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
  vc::ui::testing::startApplication();
  QtEngine engine;
  OpenFileRequest request;
  request.filters = {{"clw files", "*.clw"}};
  QStringList history;
  for (const char* sub : {"first", "second"}) {
    request.folder = (folder.path() / sub).string();
    vc::ui::testing::whenShown<QFileDialog>([&](QFileDialog* d) {
      history = d->history();
      d->reject();
    });
    EXPECT_EQ(engine.askOpenFile(request), std::nullopt);
    EXPECT_TRUE(std::filesystem::is_empty(tmp));
    EXPECT_FALSE(std::filesystem::exists(config));
  }
  EXPECT_TRUE(history.contains(QString::fromStdString((folder.path() / "first").string())))
      << history.join(QLatin1Char(',')).toStdString();
  QSettings toolkit(QSettings::UserScope, QStringLiteral("QtProject"));
  EXPECT_FALSE(std::filesystem::exists(toolkit.fileName().toStdString()));
}

}  // namespace
}  // namespace vc::ui
