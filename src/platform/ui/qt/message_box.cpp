#include "platform/ui/qt/message_box.hpp"

#include <QMessageBox>
#include <QPushButton>
#include <vector>

#include "platform/ui/qt/cp1252.hpp"
#include "platform/ui/qt/window_title.hpp"

namespace vc::ui::qt {

int showMessageBox(const errors::MessageRequest& request, QWidget* parent) {
  QMessageBox box(parent);
  setWindowTitleExactly(box, fromCp1252(request.caption));
  box.setTextFormat(Qt::PlainText);  // the texts are ours, never markup
  box.setText(fromCp1252(request.text).replace(QLatin1Char('|'), QLatin1Char('\n')));
  box.setIcon(request.icon == errors::MessageIcon::information ? QMessageBox::Information
                                                               : QMessageBox::NoIcon);
  std::vector<std::string> texts = request.buttons;
  if (texts.empty()) texts.emplace_back("OK");
  std::vector<QPushButton*> buttons;
  for (const std::string& text : texts)
    buttons.push_back(box.addButton(fromCp1252(text), QMessageBox::AcceptRole));
  const int count = static_cast<int>(buttons.size());
  const int byDefault =
      request.defaultButton >= 1 && request.defaultButton <= count ? request.defaultButton : 1;
  box.setDefaultButton(buttons[static_cast<std::size_t>(byDefault - 1)]);
  if (count == 1) box.setEscapeButton(buttons.front());
  box.exec();
  for (int i = 0; i < count; ++i)
    if (box.clickedButton() == buttons[static_cast<std::size_t>(i)]) return i + 1;
  return byDefault;
}

}  // namespace vc::ui::qt
