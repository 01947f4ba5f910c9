#include "platform/report/record_process.hpp"

#include <string>

#include "platform/text/text_ops.hpp"
#include "platform/ui/window.hpp"

namespace vc::report {

using files::FileError;

void RecordProcess::init(files::TableView& view, files::RelationBase& relation, ui::Window& window,
                         int percentControl, StringStepObject& step,
                         std::function<std::string_view()> value, std::uint8_t& bar) {
  view_ = &view;
  relation_ = &relation;
  window_ = &window;
  percentControl_ = percentControl;
  step_ = &step;
  value_ = std::move(value);
  bar_ = &bar;
  *bar_ = 0;
}

void RecordProcess::addSortOrder(files::KeyId key) {
  order_ = key;
}

std::string RecordProcess::measured() const {
  std::string v(text::clip(value_ ? value_() : std::string_view{}));
  if (CASESENSITIVEVALUE == 0)
    for (char& c : v)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return v;
}

void RecordProcess::reset() {
  count_ = 0;
  shown_ = 0;
  redraws_ = 0;
  error_ = FileError::none;
  if (view_ == nullptr || !order_) return;
  view_->setOrder(*order_);
  std::string low, high;
  view_->toLast();
  if (view_->previous() == FileError::none) high = measured();
  view_->toFirst();
  if (view_->next() == FileError::none) low = measured();
  if (step_ != nullptr) step_->setLimits(low, high);
  view_->toFirst();
}

ReadOutcome RecordProcess::next() {
  if (view_ == nullptr || !order_) return ReadOutcome::end;
  const FileError e = readNext();
  if (e == FileError::recordNotAvailable) return ReadOutcome::end;
  if (e != FileError::none) {
    error_ = e;
    return ReadOutcome::failed;
  }
  ++count_;
  if (step_ != nullptr) {
    const int p = step_->percentage(measured());
    // A row that measures less than one before it (its name lies between the limits but
    // out of key order in the measured places) leaves the bar where it is.
    if (p > shown_) show(p);
  }
  return ReadOutcome::row;
}

FileError RecordProcess::readNext() {
  return view_->next();
}

void RecordProcess::show(int percentage) {
  shown_ = percentage;
  ++redraws_;
  if (bar_ != nullptr) *bar_ = static_cast<std::uint8_t>(percentage);
  if (window_ == nullptr) return;
  if (percentControl_ != 0)
    window_->control(percentControl_).text = std::to_string(percentage) + "% Complete";
  if (window_->isOpen()) window_->display();
}

void RecordProcess::release() {
  if (view_ != nullptr) view_->stop();
  view_ = nullptr;
  step_ = nullptr;
}

}  // namespace vc::report
