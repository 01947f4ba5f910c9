#include "platform/report/qt/preview_window.hpp"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTest>
#include <filesystem>

#include "platform/ini/ini_document.hpp"
#include "platform/report/qt/print_dialog.hpp"
#include "platform/report/qt/qt_output.hpp"
#include "platform/report/report_instance.hpp"
#include "platform/report/sample_report.hpp"
#include "platform/settings/settings_store.hpp"
#include "report_qt_support.hpp"
#include "support/temp_folder.hpp"

namespace vc::report {
namespace {

namespace fs = std::filesystem;
namespace sample = testing::sample;
using testing::whenShown;

template <typename T>
T* child(QDialog* dialog, const char* name) {
  T* w = dialog->findChild<T*>(name);
  EXPECT_NE(w, nullptr) << name;
  return w;
}

void press(QDialog* dialog, const char* name) {
  child<QPushButton>(dialog, name)->click();
}

/// Runs `act` on the first visible top-level widget of type T once it is up, unless
/// `live` has been set false meanwhile.
template <typename T>
void whenUp(std::function<void(T*)> act, std::shared_ptr<bool> live = nullptr) {
  QTimer::singleShot(10, [act, live] {
    if (live && !*live) return;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* t = qobject_cast<T*>(w); t && t->isVisible()) return act(t);
    whenUp<T>(act, live);
  });
}

/// A question seen.
struct Question {
  std::string title, text;
};

/// Answers the next question with `button` and notes it in `seen`; setting the result
/// false withdraws the answer while no question has come.
std::shared_ptr<bool> answer(std::vector<Question>& seen, QMessageBox::StandardButton button) {
  auto live = std::make_shared<bool>(true);
  whenUp<QMessageBox>(
      [&seen, button](QMessageBox* box) {
        seen.push_back({box->windowTitle().toStdString(), box->text().toStdString()});
        box->button(button)->click();
      },
      live);
  return live;
}

/// How much of the page view the page covers: the larger of its two shares, width and
/// height, since a whole page fits one of them and leaves grey beside the other.
double pageCover(QDialog* d) {
  auto* view = child<QScrollArea>(d, "pageView");
  const QSize page = view->widget()->size();
  const QSize room = view->viewport()->size();
  return std::max(static_cast<double>(page.width()) / room.width(),
                  static_cast<double>(page.height()) / room.height());
}

class PreviewWindowTest : public ::testing::Test {
 protected:
  PreviewWindowTest() {
    testing::startApplication();
    settings.openSettings(".\\varcompass.INI", settings::SettingsKind::iniFile);
    ReportInstance report(structure, vars.bindings());
    report.open();
    for (int i = 0; i < 100; ++i) report.print(sample::DETAIL);  // three pages
    pages.emplace(report.close());
    options.settings = &settings;
    options.allowPrintCurrent = true;
  }
  std::optional<std::string> saved(const char* section, const char* key) {
    return ini::IniDocument::load(folder.path() / "varcompass.INI").value(section, key);
  }

  vc::testing::TempFolder folder;
  settings::SettingsStore settings;
  ReportSpec structure = testing::sampleReport();
  testing::SampleVariables vars;
  std::optional<PageSet> pages;
  PreviewOptions options;
  qt::QtOutput output;
};

TEST_F(PreviewWindowTest, PagesThroughAndZooms) {
  std::vector<int> shown;
  bool nextAtLast = true, firstAtFirst = true;
  double ppiAt100 = 0, ppiAt200 = 0, logicalDpi = 0;
  whenShown(qt::kPreviewName, [&](QDialog* d) {
    auto* preview = static_cast<qt::PreviewWindow*>(d);
    auto* box = child<QSpinBox>(d, "pageNumber");
    firstAtFirst = child<QPushButton>(d, "first")->isEnabled();
    shown.push_back(box->value());
    press(d, "next");
    shown.push_back(preview->currentPage());
    press(d, "last");
    shown.push_back(preview->currentPage());
    nextAtLast = child<QPushButton>(d, "next")->isEnabled();
    press(d, "previous");
    shown.push_back(box->value());
    box->setValue(1);
    shown.push_back(preview->currentPage());
    auto* zoom = child<QComboBox>(d, "zoom");
    zoom->setCurrentIndex(zoom->findText("100 %"));
    ppiAt100 = preview->pixelsPerInch();
    logicalDpi = d->logicalDpiX();
    zoom->setCurrentIndex(zoom->findText("200 %"));
    ppiAt200 = preview->pixelsPerInch();
    press(d, "close");
  });
  const PreviewAnswer answer = output.preview(*pages, "resumen Report", options);
  EXPECT_EQ(answer.choice, PreviewAnswer::Choice::leave);
  EXPECT_EQ(shown, (std::vector<int>{1, 2, 3, 2, 1}));
  EXPECT_FALSE(firstAtFirst);
  EXPECT_FALSE(nextAtLast);
  EXPECT_DOUBLE_EQ(ppiAt100, logicalDpi);
  EXPECT_DOUBLE_EQ(ppiAt200, 2 * logicalDpi);
}

// The preview opens on "Whole page": the page fits the window as soon as it shows, with
// no click, maximised or not, and fits again whenever the window's size changes; a zoom
// of a fixed size stays as it is.
TEST_F(PreviewWindowTest, TheWholePageFitsAtOpeningAndAfterEveryResize) {
  for (bool maximize : {false, true}) {
    SCOPED_TRACE(maximize ? "maximised" : "not maximised");
    options.maximize = maximize;
    double atOpening = 0, afterResize = 0, pageWidthCover = 0;
    QSize viewAtOpening;
    double ppiAt100 = 0, ppiAt100Resized = 0;
    whenShown(qt::kPreviewName, [&](QDialog* d) {
      auto* preview = static_cast<qt::PreviewWindow*>(d);
      atOpening = pageCover(d);
      viewAtOpening = child<QScrollArea>(d, "pageView")->viewport()->size();
      d->showNormal();
      d->resize(500, 300);
      QTest::qWait(50);
      afterResize = pageCover(d);
      auto* zoom = child<QComboBox>(d, "zoom");
      zoom->setCurrentIndex(zoom->findText("Page width"));
      d->resize(700, 400);
      QTest::qWait(50);
      auto* view = child<QScrollArea>(d, "pageView");
      pageWidthCover = static_cast<double>(view->widget()->width()) / view->viewport()->width();
      zoom->setCurrentIndex(zoom->findText("100 %"));
      ppiAt100 = preview->pixelsPerInch();
      d->resize(600, 500);
      QTest::qWait(50);
      ppiAt100Resized = preview->pixelsPerInch();
      press(d, "close");
    });
    output.preview(*pages, "resumen Report", options);
    EXPECT_GT(viewAtOpening.height(), 200);
    EXPECT_GT(atOpening, 0.9);
    EXPECT_LE(atOpening, 1.0);
    EXPECT_GT(afterResize, 0.9);
    EXPECT_LE(afterResize, 1.0);
    EXPECT_GT(pageWidthCover, 0.9);
    EXPECT_LE(pageWidthCover, 1.0);
    EXPECT_DOUBLE_EQ(ppiAt100Resized, ppiAt100);
  }
}

// PgDn and PgUp turn the page, Home and End go to the first and the last, wherever the
// keyboard is in the preview: the page number box and the zoom list do not take them.
TEST_F(PreviewWindowTest, PagingKeysTurnThePagesFromAnyPlaceInThePreview) {
  const struct {
    const char* name;
    Qt::Key key;
    int from;
    int expected;
  } keys[] = {
      {"PgDn", Qt::Key_PageDown, 1, 2}, {"PgDn on the last", Qt::Key_PageDown, 3, 3},
      {"PgUp", Qt::Key_PageUp, 3, 2},   {"PgUp on the first", Qt::Key_PageUp, 1, 1},
      {"Home", Qt::Key_Home, 3, 1},     {"End", Qt::Key_End, 1, 3},
  };
  const char* places[] = {"pageView", "pageNumber", "zoom", "next"};
  std::vector<std::string> failures;
  std::string zoomAfter;
  whenShown(qt::kPreviewName, [&](QDialog* d) {
    auto* preview = static_cast<qt::PreviewWindow*>(d);
    auto* box = child<QSpinBox>(d, "pageNumber");
    for (const char* place : places) {
      auto* target = child<QWidget>(d, place);
      for (const auto& k : keys) {
        box->setValue(k.from);
        target->setFocus();
        QWidget* focused = QApplication::focusWidget() ? QApplication::focusWidget() : target;
        QTest::keyClick(focused, k.key);
        if (preview->currentPage() != k.expected || box->value() != k.expected)
          failures.push_back(std::string(place) + ": " + k.name + " gave page " +
                             std::to_string(preview->currentPage()));
      }
    }
    zoomAfter = child<QComboBox>(d, "zoom")->currentText().toStdString();
    press(d, "close");
  });
  output.preview(*pages, "resumen Report", options);
  EXPECT_EQ(failures, std::vector<std::string>{});
  EXPECT_EQ(zoomAfter, "Whole page");
}

TEST_F(PreviewWindowTest, PrintAsksWhereAndWhichPagesAndCancelComesBack) {
  const std::string pdf = (folder.path() / "out.pdf").string();
  int printDialogs = 0;
  QStringList destinations;
  bool currentOffered = false;
  whenShown(qt::kPreviewName, [&](QDialog* preview) {
    press(preview, "next");
    // First the dialog is cancelled: the preview stays.
    whenShown(qt::kPrintDialogName, [&](QDialog* d) {
      ++printDialogs;
      press(d, "cancel");
      whenShown(qt::kPrintDialogName, [&](QDialog* d2) {
        ++printDialogs;
        auto* destination = child<QComboBox>(d2, "destination");
        for (int i = 0; i < destination->count(); ++i) destinations << destination->itemText(i);
        destination->setCurrentIndex(destination->findText("PDF file"));
        child<QLineEdit>(d2, "file")->setText(QString::fromStdString(pdf));
        currentOffered = child<QRadioButton>(d2, "currentPage")->isVisibleTo(d2);
        child<QSpinBox>(d2, "fromPage")->setValue(2);
        child<QSpinBox>(d2, "toPage")->setValue(3);
        press(d2, "ok");
      });
      press(preview, "print");
    });
    press(preview, "print");
  });
  const PreviewAnswer answer = output.preview(*pages, "resumen Report", options);
  EXPECT_EQ(printDialogs, 2);
  // With no printer here, the PDF file is still there to choose.
  EXPECT_TRUE(destinations.contains("PDF file"));
  EXPECT_TRUE(currentOffered);
  EXPECT_EQ(answer.choice, PreviewAnswer::Choice::print);
  EXPECT_EQ(answer.pages, PageChoice::range);
  EXPECT_EQ(answer.from, 2);
  EXPECT_EQ(answer.to, 3);
  EXPECT_EQ(answer.current, 2);
  EXPECT_EQ(answer.target.kind, PrintTarget::Kind::pdfFile);
  EXPECT_EQ(answer.target.name, pdf);
  // The dialog's position is kept under its own section.
  EXPECT_EQ(saved("_PreviewAskPagesWindow_", "Maximize"), "No");
  EXPECT_TRUE(saved("_PreviewAskPagesWindow_", "XPos").has_value());
}

// Printing to a PDF file that is there already asks first, as the save dialog of
// "Browse..." does, in its words; "No" keeps the dialog up and the file as it was, and a
// replacement agreed to in the save dialog is not asked again.
TEST_F(PreviewWindowTest, AnExistingPdfFileIsReplacedOnlyWhenTheUserAgrees) {
  const fs::path existing = folder.path() / "old.pdf";
  const fs::path fresh = folder.path() / "new.pdf";
  std::FILE* f = std::fopen(existing.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fputs("kept", f);
  std::fclose(f);
  // Opens the print dialog on a PDF file and hands it to `act`.
  const auto printTo = [&](std::function<void(QDialog*)> act) {
    whenShown(qt::kPreviewName, [&](QDialog* preview) {
      whenShown(qt::kPrintDialogName, [&](QDialog* d) {
        auto* destination = child<QComboBox>(d, "destination");
        destination->setCurrentIndex(destination->findText("PDF file"));
        act(d);
      });
      press(preview, "print");
    });
    return output.preview(*pages, "resumen Report", options);
  };
  const auto type = [](QDialog* d, const fs::path& path) {
    child<QLineEdit>(d, "file")->setText(QString::fromStdString(path.string()));
  };

  // Typed in the box: "No" keeps the dialog up; then "Yes".
  std::vector<Question> asked;
  bool upAfterNo = false;
  const PreviewAnswer typed = printTo([&](QDialog* d) {
    type(d, existing);
    answer(asked, QMessageBox::No);
    press(d, "ok");
    upAfterNo = d->isVisible();
    answer(asked, QMessageBox::Yes);
    press(d, "ok");
  });
  EXPECT_TRUE(upAfterNo);
  EXPECT_EQ(typed.choice, PreviewAnswer::Choice::print);
  EXPECT_EQ(typed.target.name, existing.string());
  ASSERT_EQ(asked.size(), 2u);

  // Through "Browse...": the save dialog asks, and the print dialog does not ask again.
  std::vector<Question> browsed;
  const PreviewAnswer chosen = printTo([&](QDialog* d) {
    whenUp<QFileDialog>([&](QFileDialog* files) {
      // The name typed over the one offered, in the same folder.
      QLineEdit* name = nullptr;
      for (QLineEdit* box : files->findChildren<QLineEdit*>())
        if (box->text() == QStringLiteral("resumen Report.pdf")) name = box;
      ASSERT_NE(name, nullptr);
      name->setText(QStringLiteral("old.pdf"));
      answer(browsed, QMessageBox::Yes);
      static_cast<QDialog*>(files)->accept();  // the save button
    });
    press(d, "browse");
    press(d, "ok");
  });
  EXPECT_EQ(chosen.choice, PreviewAnswer::Choice::print);
  EXPECT_EQ(chosen.target.name, existing.string());
  ASSERT_EQ(browsed.size(), 1u);
  // The same question in the same words.
  EXPECT_EQ(asked[0].title, browsed[0].title);
  EXPECT_EQ(asked[0].text, browsed[0].text);
  EXPECT_EQ(asked[0].text, "old.pdf already exists.\nDo you want to replace it?");

  // A file that is not there yet is written without a question.
  std::vector<Question> none;
  const std::shared_ptr<bool> watching = answer(none, QMessageBox::No);
  const PreviewAnswer created = printTo([&](QDialog* d) {
    type(d, fresh);
    press(d, "ok");
  });
  *watching = false;
  EXPECT_EQ(created.choice, PreviewAnswer::Choice::print);
  EXPECT_EQ(created.target.name, fresh.string());
  EXPECT_TRUE(none.empty());
  // The dialogs themselves write nothing: that is the printing's work.
  EXPECT_EQ(fs::file_size(existing), 4u);
  EXPECT_FALSE(fs::exists(fresh));
}

TEST_F(PreviewWindowTest, TheCurrentPageAndItsChoice) {
  whenShown(qt::kPreviewName, [&](QDialog* preview) {
    press(preview, "last");
    whenShown(qt::kPrintDialogName, [&](QDialog* d) {
      child<QRadioButton>(d, "currentPage")->setChecked(true);
      press(d, "ok");
    });
    press(preview, "print");
  });
  const PreviewAnswer answer = output.preview(*pages, "resumen Report", options);
  EXPECT_EQ(answer.pages, PageChoice::current);
  EXPECT_EQ(answer.current, 3);
  EXPECT_EQ(pagesToPrint(answer, 3).first, 3);
}

TEST_F(PreviewWindowTest, AMaximisedPreviewIsSavedAsMaximisedWithoutPosition) {
  options.maximize = true;
  bool maximized = false;
  whenShown(qt::kPreviewName, [&](QDialog* d) {
    maximized = d->isMaximized();
    press(d, "close");
  });
  output.preview(*pages, "resumen Report", options);
  EXPECT_TRUE(maximized);
  EXPECT_EQ(saved("_PreviewWindow_", "Maximize"), "Yes");
  EXPECT_FALSE(saved("_PreviewWindow_", "XPos").has_value());
  EXPECT_FALSE(saved("_PreviewWindow_", "Width").has_value());
}

// Opened and closed without being moved or resized, the preview opens the next time at
// exactly the same place and size, and so does the print dialog.
TEST_F(PreviewWindowTest, NotMovedItOpensAgainExactlyWhereItWas) {
  std::vector<QRect> preview, dialog;
  for (int run = 0; run < 3; ++run) {
    whenShown(qt::kPreviewName, [&](QDialog* d) {
      preview.push_back(d->geometry());
      whenShown(qt::kPrintDialogName, [&](QDialog* p) {
        dialog.push_back(p->geometry());
        press(p, "cancel");
      });
      press(d, "print");
      press(d, "close");
    });
    output.preview(*pages, "resumen Report", options);
  }
  ASSERT_EQ(preview.size(), 3u);
  ASSERT_EQ(dialog.size(), 3u);
  for (int run = 1; run < 3; ++run) {
    SCOPED_TRACE(run);
    EXPECT_EQ(preview[run], preview[0]);
    EXPECT_EQ(dialog[run], dialog[0]);
  }
}

TEST_F(PreviewWindowTest, APlacementSavedAtCloseIsRestoredNextTime) {
  QRect first, second;
  whenShown(qt::kPreviewName, [&](QDialog* d) {
    d->setGeometry(40, 60, 500, 400);
    QApplication::processEvents();
    first = d->geometry();
    press(d, "close");
  });
  output.preview(*pages, "resumen Report", options);
  EXPECT_EQ(saved("_PreviewWindow_", "Maximize"), "No");
  ASSERT_TRUE(saved("_PreviewWindow_", "Width").has_value());
  whenShown(qt::kPreviewName, [&](QDialog* d) {
    second = d->geometry();
    press(d, "close");
  });
  output.preview(*pages, "resumen Report", options);
  // Dialog units round: within a unit's pixels of where it was.
  EXPECT_NEAR(second.width(), first.width(), 8);
  EXPECT_NEAR(second.height(), first.height(), 8);
  EXPECT_NEAR(second.x(), first.x(), 8);
  EXPECT_NEAR(second.y(), first.y(), 8);
}

}  // namespace
}  // namespace vc::report
