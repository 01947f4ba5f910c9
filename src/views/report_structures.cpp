// The progress window and the report of reporte, as data.
#include "views/report_procedure.hpp"

namespace vc::views {

using vc::ui::ControlKind;

const vc::ui::WindowSpec& P25_PROGRESSWINDOW() {
  static const vc::ui::WindowSpec structure = [] {
    namespace cf = vc::ui::control_flag;
    vc::ui::WindowSpec w;
    w.name = "P25_PROGRESSWINDOW";
    w.title = "Report resumen";
    w.at.width = 142;
    w.at.height = 59;
    w.font = {"MS Sans Serif", 8, 400};
    // A dialog frame without a system menu, not resizable; no position: centred.
    w.flags = vc::ui::window_flag::grey | vc::ui::window_flag::center;
    w.controls = {
        {p25::PROGRESS_THERMOMETER,
         "PROGRESS_THERMOMETER",
         ControlKind::progress,
         {15, 15, 111, 12}},
        {p25::PROGRESS_USERSTRING,
         "PROGRESS_USERSTRING",
         ControlKind::stringText,
         {0, 3, 141, 10},
         "",
         {},
         cf::centered},
        {p25::PROGRESS_PCTTEXT,
         "PROGRESS_PCTTEXT",
         ControlKind::stringText,
         {0, 30, 141, 10},
         "",
         {},
         cf::centered},
        {p25::PROGRESS_CANCEL, "PROGRESS_CANCEL", ControlKind::button, {46, 42, 49, 15}, "Cancel"},
    };
    w.controls.back().icon = "WACANCEL.ICO";
    w.controls.back().tip = "Cancel Report";
    return w;
  }();
  return structure;
}

namespace {

using vc::report::Align;
using vc::report::BandKind;
using vc::report::BandSpec;
using vc::report::kFromPicture;
using vc::report::ReportControlSpec;
namespace rk = vc::report;
namespace rf = vc::report::report_control_flag;

const vc::ui::Font kSans8{"Microsoft Sans Serif", 8, 400};
const vc::ui::Font kSans12{"Microsoft Sans Serif", 12, 400};
const vc::ui::Font kArial8{"Arial", 8, 400};

ReportControlSpec fixedText(int number, std::string equate, rk::ControlBox at, std::string text,
                            std::optional<vc::ui::Font> font, unsigned flags) {
  ReportControlSpec c;
  c.number = number;
  c.equate = std::move(equate);
  c.kind = rk::ReportControlKind::fixedText;
  c.at = at;
  c.text = std::move(text);
  c.font = std::move(font);
  c.align = Align::left;
  c.flags = flags;
  return c;
}

ReportControlSpec variableText(int number, std::string equate, int x, std::string use) {
  ReportControlSpec c;
  c.number = number;
  c.equate = std::move(equate);
  c.kind = rk::ReportControlKind::variableText;
  c.at = {x, 50, kFromPicture, kFromPicture};
  c.use = std::move(use);
  c.picture = "s30";
  return c;
}

}  // namespace

const vc::report::ReportSpec& P25_REPORT() {
  static const vc::report::ReportSpec structure = [] {
    rk::ReportSpec r;
    r.name = "P25_REPORT";
    r.jobName = "resumen Report";
    r.paperWidth = 8500;
    r.paperHeight = 11000;
    r.orientation = rk::Orientation::portrait;
    r.font = kSans8;
    r.detailArea = {250, 1192, 8000, 9308};

    BandSpec form{p25r::FORM, "FORM", BandKind::form, {250, 250, 8000, 10500}, kSans8, {}};
    ReportControlSpec image;
    image.number = p25r::FORMIMAGE;
    image.equate = "FORMIMAGE";
    image.kind = rk::ReportControlKind::image;
    image.at = {0, 0, 8000, 10500};
    form.controls = {image};

    BandSpec header{p25r::HEADER, "HEADER", BandKind::header, {250, 250, 8000, 942}, kSans8, {}};
    ReportControlSpec file;
    file.number = p25r::NOMBREARCHIVO1;
    file.equate = "NOMBREARCHIVO1";
    file.kind = rk::ReportControlKind::textBox;
    file.at = {875, 275, 6742, 192};
    file.use = "NOMBREARCHIVO1";
    file.flags = rf::transparent | rf::fileName;
    header.controls = {
        fixedText(p25r::REPORTTITLE, "REPORTTITLE", {83, -8, 2283, 175},
                  "Informe de Diferencias :", kSans12, 0),
        fixedText(p25r::REPORTTITLE_2, "REPORTTITLE_2", {83, 275, 742, 175}, "Archivo 1:", kSans8,
                  rf::transparent),
        file,
        fixedText(p25r::HEADERTITLE_2, "HEADERTITLE_2", {83, 758, 583, 167}, "Variable", {},
                  rf::transparent),
        fixedText(p25r::HEADERTITLE_1, "HEADERTITLE_1", {2092, 758, 892, 170}, "Modulo", {},
                  rf::transparent),
        fixedText(p25r::HEADERTITLE_3, "HEADERTITLE_3", {4033, 767, 825, 167}, "Tipo", {},
                  rf::transparent),
        fixedText(p25r::HEADERTITLE_4, "HEADERTITLE_4", {6017, 767, 825, 167}, "Modo", {},
                  rf::transparent),
    };

    BandSpec detail{p25r::DETAIL, "DETAIL", BandKind::detail, {0, 0, 8000, 225}, {}, {}};
    ReportControlSpec line;
    line.number = p25r::LINE1;
    line.equate = "LINE1";
    line.kind = rk::ReportControlKind::line;
    line.at = {117, 8, 7725, 0};
    detail.controls = {
        line,
        variableText(p25r::RES_NOMBRE, "RES_NOMBRE", 117, "RES:NOMBRE"),
        variableText(p25r::RES_MODULO, "RES_MODULO", 1983, "RES:MODULO"),
        variableText(p25r::RES_TIPO, "RES_TIPO", 4033, "RES:TIPO"),
        variableText(p25r::RES_MODO_2, "RES_MODO_2", 6017, "RES:MODO"),
    };

    BandSpec footer{p25r::FOOTER, "FOOTER", BandKind::footer, {250, 10500, 8000, 250}, {}, {}};
    ReportControlSpec page;
    page.number = p25r::PAGECOUNT_2;
    page.equate = "PAGECOUNT_2";
    page.kind = rk::ReportControlKind::pageNumber;
    page.at = {6950, 52, 700, 135};
    page.picture = "pPage <<#p";
    page.font = kArial8;
    footer.controls = {
        fixedText(p25r::REPORTDATEPROMPT_2, "REPORTDATEPROMPT_2", {115, 52, 344, 135},
                  "Date:", kArial8, rf::transparent),
        fixedText(p25r::REPORTDATESTAMP_2, "REPORTDATESTAMP_2", {490, 52, 927, 135},
                  "<-- Date Stamp -->", kArial8, rf::transparent),
        fixedText(p25r::REPORTTIMEPROMPT_2, "REPORTTIMEPROMPT_2", {1625, 52, 271, 135},
                  "Time:", kArial8, rf::transparent),
        fixedText(p25r::REPORTTIMESTAMP_2, "REPORTTIMESTAMP_2", {1927, 52, 927, 135},
                  "<-- Time Stamp -->", kArial8, rf::transparent),
        page,
    };

    r.bands = {header, detail, footer, form};
    return r;
  }();
  return structure;
}

}  // namespace vc::views
