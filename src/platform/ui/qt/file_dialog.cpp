#include "platform/ui/qt/file_dialog.hpp"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include "platform/ui/qt/cp1252.hpp"

namespace vc::ui::qt {
namespace {

bool isAsciiLetter(QChar c) {
  return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
         (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

QString ignoringCase(const QString& pattern) {
  QString out;
  bool inSet = false;  // a "[...]" of the pattern's own is copied as it is
  for (const QChar c : pattern) {
    if (inSet) {
      out += c;
      inSet = c != QLatin1Char(']');
    } else if (c == QLatin1Char('[')) {
      out += c;
      inSet = true;
    } else if (isAsciiLetter(c)) {
      out += QLatin1Char('[');
      out += c.toLower();
      out += c.toUpper();
      out += QLatin1Char(']');
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

QStringList caseInsensitivePatterns(std::string_view pattern) {
  QStringList out;
  for (const QString& part : fromCp1252(pattern).split(QLatin1Char(';'))) {
    const QString p = part.trimmed();
    if (p.isEmpty()) continue;
    out += p == QLatin1String("*.*") ? QStringLiteral("*") : ignoringCase(p);
  }
  if (out.isEmpty()) out += QStringLiteral("*");
  return out;
}

std::optional<std::string> askOpenFileDialog(const OpenFileRequest& request, QWidget* parent,
                                             QByteArray& state) {
  const QString folder = QFile::decodeName(request.folder.c_str());
  QFileDialog dialog(parent, fromCp1252(request.title), folder);
  // The remembered state brings its own folder: the request's comes after it.
  if (!state.isEmpty() && dialog.restoreState(state) && !folder.isEmpty())
    dialog.setDirectory(folder);
  // Only the descriptions are shown, as the filter list gives them; the patterns with
  // their bracketed letters stay behind them.
  dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  QStringList filters;
  for (const auto& [description, pattern] : request.filters)
    filters += fromCp1252(description) + QStringLiteral(" (") +
               caseInsensitivePatterns(pattern).join(QLatin1Char(' ')) + QLatin1Char(')');
  if (filters.isEmpty()) filters += QStringLiteral("All Files (*)");
  dialog.setNameFilters(filters);
  if (!request.initialFile.empty())
    dialog.selectFile(QFile::decodeName(request.initialFile.c_str()));
  const int result = dialog.exec();
  state = dialog.saveState();
  if (result != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  const QFileInfo file(chosen.front());
  if (!file.isFile()) return std::nullopt;
  return QFile::encodeName(file.absoluteFilePath()).toStdString();
}

}  // namespace vc::ui::qt
