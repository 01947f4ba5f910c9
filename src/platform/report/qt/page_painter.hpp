// The one painter of report pages: the same code draws a page on the screen, on a
// printer and into a PDF file, from the page's data, at any resolution.
#pragma once

#include <QString>

#include "platform/report/page_set.hpp"

class QPainter;

namespace vc::report::qt {

/// Draws `page` with its top-left corner at the painter's origin, at `pixelsPerInch`
/// device pixels to the inch (fonts too). A text wider than its box is condensed across
/// to fit, or, for a file name, shortened in the middle; none is cut.
void paintPage(QPainter& painter, const PageSet& pages, const Page& page, double pixelsPerInch);

/// An item's text as characters.
QString itemText(const PrintedItem& item);

}  // namespace vc::report::qt
