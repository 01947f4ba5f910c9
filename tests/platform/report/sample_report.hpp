// A report shaped like the system's differences report (its bands, positions, fonts and
// pictures), with variables of its own, for the layout and output tests.
#pragma once

#include <string>
#include <vector>

#include "platform/report/report_structure.hpp"
#include "platform/report/report_variable.hpp"
#include "platform/text/fixed_text.hpp"

namespace vc::report::testing {

struct SampleVariables {
  text::FixedText<200> fileName;
  text::FixedText<30> name;
  text::FixedText<30> module;
  text::FixedText<30> type;
  text::FixedText<30> mode;

  std::vector<ReportVariable> bindings() const {
    return {bindVariable("FILE", fileName), bindVariable("NAME", name),
            bindVariable("MODULE", module), bindVariable("TYPE", type), bindVariable("MODE", mode)};
  }
  void row(const std::string& n, const std::string& m, const std::string& t, const std::string& o) {
    name = n;
    module = m;
    type = t;
    mode = o;
  }
};

namespace sample {
inline constexpr int HEADER = 1, TITLE = 2, FILE_BOX = 6, DETAIL = 9, LINE = 10, NAME = 11,
                     MODULE = 12, TYPE = 13, MODE = 14, FOOTER = 15, DATE_STAMP = 17,
                     TIME_STAMP = 19, PAGE = 20, FORM = 21, FORM_IMAGE = 22;
}

inline ReportSpec sampleReport() {
  using namespace report_control_flag;
  const ui::Font sans{"Microsoft Sans Serif", 8, 400};
  const ui::Font title{"Microsoft Sans Serif", 12, 400};
  const ui::Font arial{"Arial", 8, 400};
  const auto fixed = [](int number, std::string equate, ControlBox at, std::string text,
                        std::optional<ui::Font> font, unsigned flags) {
    ReportControlSpec c;
    c.number = number;
    c.equate = std::move(equate);
    c.kind = ReportControlKind::fixedText;
    c.at = at;
    c.text = std::move(text);
    c.font = std::move(font);
    c.flags = flags;
    return c;
  };
  const auto variable = [](int number, std::string equate, int x, std::string use) {
    ReportControlSpec c;
    c.number = number;
    c.equate = std::move(equate);
    c.kind = ReportControlKind::variableText;
    c.at = {x, 50, kFromPicture, kFromPicture};
    c.use = std::move(use);
    c.picture = "s30";
    return c;
  };

  ReportSpec r;
  r.name = "SAMPLE_REPORT";
  r.jobName = "resumen Report";
  r.font = sans;
  r.detailArea = {250, 1192, 8000, 9308};

  BandSpec form;
  form.number = sample::FORM;
  form.equate = "FORM";
  form.kind = BandKind::form;
  form.at = {250, 250, 8000, 10500};
  form.font = sans;
  ReportControlSpec image;
  image.number = sample::FORM_IMAGE;
  image.equate = "FORMIMAGE";
  image.kind = ReportControlKind::image;
  image.at = {0, 0, 8000, 10500};
  form.controls.push_back(image);

  BandSpec header;
  header.number = sample::HEADER;
  header.equate = "HEADER";
  header.kind = BandKind::header;
  header.at = {250, 250, 8000, 942};
  header.font = sans;
  header.controls = {
      fixed(sample::TITLE, "REPORTTITLE", {83, -8, 2283, 175}, "Informe de Diferencias :", title,
            0),
      fixed(7, "REPORTTITLE_2", {83, 275, 742, 175}, "Archivo 1:", sans, transparent),
      fixed(5, "HEADERTITLE_2", {83, 758, 583, 167}, "Variable", std::nullopt, transparent),
      fixed(3, "HEADERTITLE_1", {2092, 758, 892, 170}, "Modulo", std::nullopt, transparent),
      fixed(4, "HEADERTITLE_3", {4033, 767, 825, 167}, "Tipo", std::nullopt, transparent),
      fixed(8, "HEADERTITLE_4", {6017, 767, 825, 167}, "Modo", std::nullopt, transparent),
  };
  ReportControlSpec box;
  box.number = sample::FILE_BOX;
  box.equate = "NOMBREARCHIVO1";
  box.kind = ReportControlKind::textBox;
  box.at = {875, 275, 6742, 192};
  box.use = "FILE";
  box.flags = transparent | fileName;
  header.controls.push_back(box);

  BandSpec detail;
  detail.number = sample::DETAIL;
  detail.equate = "DETAIL";
  detail.kind = BandKind::detail;
  detail.at = {0, 0, 8000, 225};
  ReportControlSpec line;
  line.number = sample::LINE;
  line.equate = "LINE1";
  line.kind = ReportControlKind::line;
  line.at = {117, 8, 7725, 0};
  detail.controls = {line, variable(sample::NAME, "RES_NOMBRE", 117, "NAME"),
                     variable(sample::MODULE, "RES_MODULO", 1983, "MODULE"),
                     variable(sample::TYPE, "RES_TIPO", 4033, "TYPE"),
                     variable(sample::MODE, "RES_MODO_2", 6017, "MODE")};

  BandSpec footer;
  footer.number = sample::FOOTER;
  footer.equate = "FOOTER";
  footer.kind = BandKind::footer;
  footer.at = {250, 10500, 8000, 250};
  ReportControlSpec page;
  page.number = sample::PAGE;
  page.equate = "PAGECOUNT_2";
  page.kind = ReportControlKind::pageNumber;
  page.at = {6950, 52, 700, 135};
  page.picture = "pPage <<#p";
  page.font = arial;
  footer.controls = {
      fixed(16, "REPORTDATEPROMPT_2", {115, 52, 344, 135}, "Date:", arial, transparent),
      fixed(sample::DATE_STAMP, "REPORTDATESTAMP_2", {490, 52, 927, 135}, "<-- Date Stamp -->",
            arial, transparent),
      fixed(18, "REPORTTIMEPROMPT_2", {1625, 52, 271, 135}, "Time:", arial, transparent),
      fixed(sample::TIME_STAMP, "REPORTTIMESTAMP_2", {1927, 52, 927, 135}, "<-- Time Stamp -->",
            arial, transparent),
      page,
  };

  // The order of the structure: the header first, the form last.
  r.bands = {header, detail, footer, form};
  return r;
}

}  // namespace vc::report::testing
