// The record process of a report: reads a view of a keyed table in one key's order into
// the table's record buffer, counts the rows, and keeps a progress bar and its percentage
// text up to date with the string step object.
//
// The percentage never goes backwards (rows between the limits may measure out of key
// order), so the bar and its text are redrawn at most 100 times whatever the number of
// rows.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "platform/files/table_view.hpp"
#include "platform/report/string_step.hpp"

namespace vc::ui {
class Window;
}
namespace vc::files {
class RelationBase;
}

namespace vc::report {

/// What the per-row step answers: the row is done, go on with the next.
enum class RecordAnswer { ok };

/// What a read of the next row found.
enum class ReadOutcome {
  row,     // a row is in the record buffer
  end,     // no row follows
  failed,  // the table could not be read: errorCode() says why
};

class RecordProcess {
 public:
  virtual ~RecordProcess() = default;

  /// Ties the process to its view and the relation it reads through, the window showing
  /// the progress (`percentControl` for the text), the step object, the value measured
  /// (read each row) and the bar variable, which is set to 0.
  void init(files::TableView& view, files::RelationBase& relation, ui::Window& window,
            int percentControl, StringStepObject& step, std::function<std::string_view()> value,
            std::uint8_t& bar);
  /// The view is read in the order of `key`.
  void addSortOrder(files::KeyId key);

  /// Row count 0, progress limits from the last and the first row, position before the
  /// first row. Reads into the record buffer (the limits' rows).
  void reset();
  /// Reads the next row into the record buffer, counts it and updates the progress.
  ReadOutcome next();
  /// The step run for each row read; does nothing here.
  virtual RecordAnswer onRecord() { return RecordAnswer::ok; }
  /// Lets go of the view's read and the step object's tables; a second call changes
  /// nothing.
  void release();

  std::uint64_t recordsProcessed() const { return count_; }
  /// The error of the last read that failed.
  files::FileError errorCode() const { return error_; }
  files::RelationBase* relation() const { return relation_; }
  /// The percentage shown, 0 before the first row.
  int percentage() const { return shown_; }
  /// How often the bar and its text were redrawn since reset.
  int redraws() const { return redraws_; }

  /// 0: the value is upper-cased before it is measured.
  std::uint8_t CASESENSITIVEVALUE = 1;

 protected:
  /// Reads the view's next row; a test double may fail here on purpose.
  virtual files::FileError readNext();

 private:
  std::string measured() const;
  void show(int percentage);

  files::TableView* view_ = nullptr;
  files::RelationBase* relation_ = nullptr;
  ui::Window* window_ = nullptr;
  int percentControl_ = 0;
  StringStepObject* step_ = nullptr;
  std::function<std::string_view()> value_;
  std::uint8_t* bar_ = nullptr;
  std::optional<files::KeyId> order_;
  std::uint64_t count_ = 0;
  int shown_ = 0;
  int redraws_ = 0;
  files::FileError error_ = files::FileError::none;
};

}  // namespace vc::report
