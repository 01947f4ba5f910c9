#include "platform/report/qt/preview_window.hpp"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
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
