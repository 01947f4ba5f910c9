#include "platform/ui/qt/fonts.hpp"

#include <QFontDatabase>
#include <algorithm>

#include "platform/ui/font_stand_ins.hpp"
#include "platform/ui/qt/cp1252.hpp"

namespace vc::ui::qt {

void installFontStandIns() {
  static const bool installed = [] {
    for (const FontStandIn& s : kFontStandIns) {
      const QString face =
          QString::fromLatin1(s.face.data(), static_cast<qsizetype>(s.face.size()));
      if (!QFontDatabase::hasFamily(face))
        QFont::insertSubstitution(
            face, QString::fromLatin1(s.standIn.data(), static_cast<qsizetype>(s.standIn.size())));
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
