#include "platform/report/report_structure.hpp"

namespace vc::report {

const BandSpec* ReportSpec::band(int number) const {
  for (const BandSpec& b : bands)
    if (b.number == number) return &b;
  return nullptr;
}

const ReportControlSpec* ReportSpec::control(int number) const {
  for (const BandSpec& b : bands)
    for (const ReportControlSpec& c : b.controls)
      if (c.number == number) return &c;
  return nullptr;
}

int ReportSpec::number(const std::string& equate) const {
  for (const BandSpec& b : bands) {
    if (b.equate == equate) return b.number;
    for (const ReportControlSpec& c : b.controls)
      if (c.equate == equate) return c.number;
  }
  return 0;
}

}  // namespace vc::report
