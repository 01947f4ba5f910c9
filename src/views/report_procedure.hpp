// The differences report: every row of the results table in name order, under a heading
// naming the analysed file, laid out on pages while a progress window fills, then shown
// in the print preview, from which the user prints it or leaves it.
#pragma once

#include "platform/files/table_view.hpp"
#include "platform/report/report_structure.hpp"
#include "platform/ui/window_structure.hpp"

namespace vc::views {

/// The progress window's structure.
const vc::ui::WindowSpec& P25_PROGRESSWINDOW();
/// The report's structure.
const vc::report::ReportSpec& P25_REPORT();

// Control numbers of P25_PROGRESSWINDOW.
namespace p25 {
inline constexpr int PROGRESS_THERMOMETER = 1;
inline constexpr int PROGRESS_USERSTRING = 2;
inline constexpr int PROGRESS_PCTTEXT = 3;
inline constexpr int PROGRESS_CANCEL = 4;
}  // namespace p25

// Control numbers of P25_REPORT.
namespace p25r {
inline constexpr int HEADER = 1;
inline constexpr int REPORTTITLE = 2;
inline constexpr int HEADERTITLE_1 = 3;
inline constexpr int HEADERTITLE_3 = 4;
inline constexpr int HEADERTITLE_2 = 5;
inline constexpr int NOMBREARCHIVO1 = 6;
inline constexpr int REPORTTITLE_2 = 7;
inline constexpr int HEADERTITLE_4 = 8;
inline constexpr int DETAIL = 9;
inline constexpr int LINE1 = 10;
inline constexpr int RES_NOMBRE = 11;
inline constexpr int RES_MODULO = 12;
inline constexpr int RES_TIPO = 13;
inline constexpr int RES_MODO_2 = 14;
inline constexpr int FOOTER = 15;
inline constexpr int REPORTDATEPROMPT_2 = 16;
inline constexpr int REPORTDATESTAMP_2 = 17;
inline constexpr int REPORTTIMEPROMPT_2 = 18;
inline constexpr int REPORTTIMESTAMP_2 = 19;
inline constexpr int PAGECOUNT_2 = 20;
inline constexpr int FORM = 21;
inline constexpr int FORMIMAGE = 22;
}  // namespace p25r

/// This thread's view of resumen the report reads through; set up on first use by
/// bindReportView.
vc::files::TableView& reportView();
/// Points this thread's reportView at this thread's resumen.
void bindReportView();
/// Whether this thread's reportView is set up; closeReportView closes it.
bool reportViewSetUp();
void closeReportView();

/// The procedure reporte: runs modally and returns once its progress window has closed,
/// whether the report was printed, left in the preview or cancelled.
void reporte();

}  // namespace vc::views
