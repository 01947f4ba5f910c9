#include "platform/report/qt/page_painter.hpp"

#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>

#include "platform/ui/qt/cp1252.hpp"
#include "platform/ui/qt/fonts.hpp"

namespace vc::report::qt {
namespace {

// A rule is a hundredth of an inch thick, and never thinner than a device pixel.
constexpr double kLineWidth = 10.0;

QFont fontFor(const ui::Font& font, const QPaintDevice& device, double pixelsPerInch) {
  QFont f = ui::qt::makeFont(font, QFont());
  // Points are measured on the device; the page may be drawn larger or smaller than it.
  const int deviceDpi = std::max(device.logicalDpiY(), 1);
  const double points = std::clamp(font.points > 0 ? font.points : 8, 1, 1000);
  f.setPointSizeF(points * pixelsPerInch / deviceDpi);
  // Unhinted glyphs keep their widths in proportion at every size, so what fits on the
  // screen fits on paper.
  f.setHintingPreference(QFont::PreferNoHinting);
  return f;
}

Qt::Alignment alignmentOf(Align align) {
  switch (align) {
    case Align::center:
      return Qt::AlignHCenter;
    case Align::right:
      return Qt::AlignRight;
    case Align::left:
      break;
  }
  return Qt::AlignLeft;
}

void paintText(QPainter& painter, const PrintedItem& item, const QRectF& box,
               double pixelsPerInch) {
  const QFont font = fontFor(*item.font, *painter.device(), pixelsPerInch);
  painter.setFont(font);
  painter.setPen(Qt::black);
  const QFontMetricsF metrics(font, painter.device());
  const int flags = Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip;
  QString text = itemText(item);
  if (item.fit == TextFit::elideMiddle) {
    text = metrics.elidedText(text, Qt::ElideMiddle, box.width());
    painter.drawText(box, flags | alignmentOf(item.align), text);
    return;
  }
  const double width = metrics.horizontalAdvance(text);
  if (width <= box.width() || box.width() <= 0) {
    painter.drawText(box, flags | alignmentOf(item.align), text);
    return;
  }
  // Squeezed across so that a long value keeps every character and still ends a blank's
  // width short of its box: the next column's text never touches it.
  const double blank = metrics.horizontalAdvance(QLatin1Char(' '));
  const double room = box.width() - blank > box.width() / 2 ? box.width() - blank : box.width();
  painter.save();
  painter.translate(box.topLeft());
  painter.scale(room / width, 1.0);
  painter.drawText(QRectF(0, 0, width, box.height()), flags | Qt::AlignLeft, text);
  painter.restore();
}

}  // namespace

QString itemText(const PrintedItem& item) {
  if (item.encoding == TextEncoding::fileName)
    return QFile::decodeName(
        QByteArray(item.text.data(), static_cast<qsizetype>(item.text.size())));
  return ui::qt::fromCp1252(item.text);
}

void paintPage(QPainter& painter, const PageSet& pages, const Page& page, double pixelsPerInch) {
  ui::qt::installFontStandIns();
  const double scale = pixelsPerInch / 1000.0;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  for (const PrintedBand& band : page.bands()) {
    for (const PrintedItem& item : pages.items(page, band)) {
      const QRectF box(item.at.x * scale, item.at.y * scale, item.at.width * scale,
                       item.at.height * scale);
      switch (item.kind) {
        case ReportControlKind::line:
          painter.setPen(QPen(Qt::black, std::max(kLineWidth * scale, 1.0)));
          painter.drawLine(box.topLeft(), box.bottomRight());
          break;
        case ReportControlKind::image:
          if (!item.text.empty()) {
            const QImage image(QFile::decodeName(
                QByteArray(item.text.data(), static_cast<qsizetype>(item.text.size()))));
            if (!image.isNull()) painter.drawImage(box, image);
          }
          break;
        case ReportControlKind::fixedText:
        case ReportControlKind::variableText:
        case ReportControlKind::textBox:
        case ReportControlKind::pageNumber:
          if (!item.transparent) painter.fillRect(box, Qt::white);
          paintText(painter, item, box, pixelsPerInch);
          break;
      }
    }
  }
  painter.restore();
}

}  // namespace vc::report::qt
