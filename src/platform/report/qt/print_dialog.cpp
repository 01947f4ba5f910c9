#include "platform/report/qt/print_dialog.hpp"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "platform/report/qt/widget_placement.hpp"
#include "platform/settings/settings_store.hpp"

namespace vc::report::qt {
namespace {

constexpr const char* kSection = "_PreviewAskPagesWindow_";
// The destination list holds the printers' names, then this entry; its data tells them
// apart, since a printer could be called anything.
constexpr int kPdfEntry = 1;
const QString kFileDialogTitle = QStringLiteral("PDF file");

}  // namespace

PrintDialog::PrintDialog(QWidget* parent, int pageCount, int current, const std::string& jobName,
                         const PreviewOptions& options)
    : QDialog(parent), pageCount_(std::max(pageCount, 1)), current_(current), options_(options) {
  setObjectName(kPrintDialogName);
  setWindowTitle(QStringLiteral("Print"));

  destination_ = new QComboBox(this);
  destination_->setObjectName("destination");
  const QString defaultPrinter = QPrinterInfo::defaultPrinterName();
  QStringList printers = QPrinterInfo::availablePrinterNames();
  if (printers.removeAll(defaultPrinter) > 0) printers.prepend(defaultPrinter);
  for (const QString& p : printers) destination_->addItem(p, 0);
  destination_->addItem(QStringLiteral("PDF file"), kPdfEntry);

  file_ = new QLineEdit(QDir::current().filePath(QString::fromStdString(jobName) + ".pdf"), this);
  file_->setObjectName("file");
  browse_ = new QPushButton(QStringLiteral("Browse..."), this);
  browse_->setObjectName("browse");
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(file_, 1);
  fileRow->addWidget(browse_);

  auto* where = new QFormLayout;
  where->addRow(QStringLiteral("Print to:"), destination_);
  where->addRow(QStringLiteral("File:"), fileRow);

  auto* pages = new QGroupBox(QStringLiteral("Pages"), this);
  all_ = new QRadioButton(QStringLiteral("All pages"), pages);
  all_->setObjectName("allPages");
  range_ = new QRadioButton(QStringLiteral("Pages"), pages);
  range_->setObjectName("pageRange");
  currentPage_ = new QRadioButton(QStringLiteral("Current page (%1)").arg(current), pages);
  currentPage_->setObjectName("currentPage");
  currentPage_->setVisible(options.allowPrintCurrent);
  from_ = new QSpinBox(pages);
  from_->setObjectName("fromPage");
  to_ = new QSpinBox(pages);
  to_->setObjectName("toPage");
  for (QSpinBox* s : {from_, to_}) s->setRange(1, pageCount_);
  from_->setValue(1);
  to_->setValue(pageCount_);
  auto* group = new QButtonGroup(this);
  for (QRadioButton* b : {all_, range_, currentPage_}) group->addButton(b);
  all_->setChecked(true);
  auto* grid = new QGridLayout(pages);
  grid->addWidget(all_, 0, 0, 1, 4);
  grid->addWidget(range_, 1, 0);
  grid->addWidget(from_, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("to"), pages), 1, 2);
  grid->addWidget(to_, 1, 3);
  grid->addWidget(currentPage_, 2, 0, 1, 4);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  ok_->setText(QStringLiteral("Print"));
  ok_->setObjectName("ok");
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(where);
  layout->addWidget(pages);
  layout->addWidget(buttons);

  connect(destination_, &QComboBox::currentIndexChanged, this, [this] { update(); });
  connect(file_, &QLineEdit::textChanged, this, [this] { update(); });
  connect(browse_, &QPushButton::clicked, this, [this] { browse(); });
  connect(from_, &QSpinBox::valueChanged, this, [this] { range_->setChecked(true); });
  connect(to_, &QSpinBox::valueChanged, this, [this] { range_->setChecked(true); });
  update();

  adjustSize();
  setFixedSize(sizeHint());
  WidgetPlacement placement(*this, /*resizable=*/false);
  placement.centre();
  if (options_.settings) options_.settings->restoreWindow(kSection, placement);
}

void PrintDialog::update() {
  const bool pdf = destination_->currentData().toInt() == kPdfEntry;
  file_->setEnabled(pdf);
  browse_->setEnabled(pdf);
  ok_->setEnabled(!pdf || !file_->text().trimmed().isEmpty());
}

void PrintDialog::browse() {
  const QString chosen = QFileDialog::getSaveFileName(this, kFileDialogTitle, file_->text(),
                                                      QStringLiteral("PDF (*.pdf)"));
  if (chosen.isEmpty()) return;
  // The save dialog has asked already whether an existing file may be replaced.
  file_->setText(chosen);
  replaceAgreed_ = chosen;
}

bool PrintDialog::mayWriteFile() {
  if (destination_->currentData().toInt() != kPdfEntry) return true;
  const QString path = file_->text().trimmed();
  const QFileInfo info(path);
  if (!info.exists() || info.isDir() || path == replaceAgreed_) return true;
  // The same question, in the same words, as the save dialog of "Browse..." asks.
  const QString question =
      QCoreApplication::translate("QFileDialog", "%1 already exists.\nDo you want to replace it?")
          .arg(info.fileName());
  if (QMessageBox::warning(this, kFileDialogTitle, question, QMessageBox::Yes | QMessageBox::No,
                           QMessageBox::No) != QMessageBox::Yes)
    return false;
  replaceAgreed_ = path;
  return true;
}

void PrintDialog::done(int result) {
  // A PDF file that is there already is replaced only when the user agrees; otherwise
  // the dialog stays, for another name or for Cancel.
  if (result == QDialog::Accepted && !mayWriteFile()) return;
  // Saved while the dialog is still up, so its real position is what is kept.
  if (options_.settings && isVisible()) {
    WidgetPlacement placement(*this, /*resizable=*/false);
    options_.settings->saveWindow(kSection, placement);
  }
  QDialog::done(result);
}

std::optional<PreviewAnswer> PrintDialog::ask() {
  if (exec() != QDialog::Accepted) return std::nullopt;
  PreviewAnswer answer;
  answer.choice = PreviewAnswer::Choice::print;
  answer.current = current_;
  answer.from = from_->value();
  answer.to = to_->value();
  if (range_->isChecked())
    answer.pages = PageChoice::range;
  else if (currentPage_->isChecked() && options_.allowPrintCurrent)
    answer.pages = PageChoice::current;
  else
    answer.pages = PageChoice::all;
  if (destination_->currentData().toInt() == kPdfEntry) {
    answer.target.kind = PrintTarget::Kind::pdfFile;
    answer.target.name = QFile::encodeName(file_->text().trimmed()).toStdString();
  } else {
    answer.target.kind = PrintTarget::Kind::printer;
    answer.target.name = destination_->currentText().toStdString();
  }
  return answer;
}

}  // namespace vc::report::qt
