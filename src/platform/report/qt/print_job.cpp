#include "platform/report/qt/print_job.hpp"

#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <algorithm>

#include "platform/report/qt/page_painter.hpp"

namespace vc::report::qt {
namespace {

constexpr int kPdfResolution = 1200;

QPageLayout layoutOf(const PageSet& pages) {
  const double w =
      (pages.orientation() == Orientation::portrait ? pages.pageWidth() : pages.pageHeight()) /
      1000.0;
  const double h =
      (pages.orientation() == Orientation::portrait ? pages.pageHeight() : pages.pageWidth()) /
      1000.0;
  return QPageLayout(
      QPageSize(QSizeF(w, h), QPageSize::Inch),
      pages.orientation() == Orientation::portrait ? QPageLayout::Portrait : QPageLayout::Landscape,
      QMarginsF(0, 0, 0, 0));
}

/// Draws the pages of `range` on a device that `painter` has begun; `newPage` moves the
/// device on to a fresh sheet.
template <typename NewPage>
bool paintRange(QPainter& painter, const PageSet& pages, PageRange range, double pixelsPerInch,
                NewPage newPage) {
  const int first = std::max(range.first, 1);
  const int last = std::min(range.last, pages.pageCount());
  for (int n = first; n <= last; ++n) {
    if (n > first && !newPage()) return false;
    paintPage(painter, pages, pages.pages()[static_cast<std::size_t>(n - 1)], pixelsPerInch);
  }
  return true;
}

std::string text(const QString& s) {
  return s.toStdString();
}

PrintResult failed(std::string reason) {
  return {PrintResult::Outcome::failed, std::move(reason)};
}

PrintResult printPdf(const PageSet& pages, PageRange range, const std::string& jobName,
                     const std::string& path) {
  const QString fileName = QFile::decodeName(QByteArray::fromStdString(path));
  if (fileName.isEmpty()) return failed("no PDF file was named");
  // Written aside and put in place whole, so a failure never leaves half a file.
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly))
    return failed("cannot write " + path + " (" + text(file.errorString()) + ")");
  bool painted = false;
  {
    QPdfWriter writer(&file);
    writer.setTitle(QString::fromStdString(jobName));
    writer.setResolution(kPdfResolution);
    writer.setPageLayout(layoutOf(pages));
    QPainter painter;
    if (painter.begin(&writer)) {
      painted =
          paintRange(painter, pages, range, writer.resolution(), [&] { return writer.newPage(); });
      painted = painter.end() && painted;
    }
  }
  if (!painted) {
    file.cancelWriting();
    return failed("cannot write " + path);
  }
  if (!file.commit()) return failed("cannot write " + path + " (" + text(file.errorString()) + ")");
  return {};
}

PrintResult printOnPrinter(const PageSet& pages, PageRange range, const std::string& jobName,
                           const std::string& name) {
  const QPrinterInfo info = name.empty() ? QPrinterInfo::defaultPrinter()
                                         : QPrinterInfo::printerInfo(QString::fromStdString(name));
  if (info.isNull())
    return failed(name.empty() ? "there is no printer" : "the printer " + name + " is not there");
  QPrinter printer(info, QPrinter::HighResolution);
  printer.setDocName(QString::fromStdString(jobName));
  printer.setFullPage(true);
  printer.setPageLayout(layoutOf(pages));
  const std::string printerName = text(info.printerName());
  QPainter painter;
  if (!painter.begin(&printer)) return failed("the printer " + printerName + " cannot be used");
  const bool painted =
      paintRange(painter, pages, range, printer.resolution(), [&] { return printer.newPage(); });
  const bool ended = painter.end();
  if (!painted || !ended || printer.printerState() == QPrinter::Error ||
      printer.printerState() == QPrinter::Aborted)
    return failed("the printer " + printerName + " reported an error");
  return {};
}

}  // namespace

PrintResult printPages(const PageSet& pages, PageRange range, const std::string& jobName,
                       const PrintTarget& target) {
  if (range.empty() || range.first > pages.pageCount() || range.last < 1)
    return failed("there are no pages to print");
  if (target.kind == PrintTarget::Kind::pdfFile)
    return printPdf(pages, range, jobName, target.name);
  return printOnPrinter(pages, range, jobName, target.name);
}

}  // namespace vc::report::qt
