#include "platform/ui/qt/fonts.hpp"

#include <QFontDatabase>
#include <algorithm>

#include "platform/ui/qt/cp1252.hpp"

namespace vc::ui::qt {

void installFontStandIns() {
  static const bool installed = [] {
    struct StandIn {
      const char* face;
      const char* standIn;
    };
    const StandIn standIns[] = {
        {"Times New Roman", "Liberation Serif"},     {"Arial", "Liberation Sans"},
        {"Microsoft Sans Serif", "Liberation Sans"}, {"Courier New", "Liberation Mono"},
        {"Lucida Console", "Liberation Mono"},
    };
    for (const StandIn& s : standIns) {
      const QString face = QString::fromLatin1(s.face);
      if (!QFontDatabase::hasFamily(face))
        QFont::insertSubstitution(face, QString::fromLatin1(s.standIn));
    }
    return true;
  }();
  (void)installed;
}

QFont makeFont(const Font& font, const QFont& base) {
  QFont f(base);
  if (!font.face.empty()) f.setFamily(fromCp1252(font.face));
  if (font.points > 0) f.setPointSize(std::min(font.points, 1000));
  f.setWeight(static_cast<QFont::Weight>(std::clamp(font.weight, 100, 900)));
  return f;
}

}  // namespace vc::ui::qt
