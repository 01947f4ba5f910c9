#include "views/report_procedure.hpp"

#include <memory>
#include <optional>

#include "globals/globals.hpp"
#include "platform/report/report.hpp"
#include "platform/ui/picture.hpp"
#include "platform/ui/variable_binding.hpp"
#include "platform/ui/window.hpp"
#include "store/store.hpp"
#include "views/procedure_frame.hpp"

namespace vc::views {

namespace {

using vc::ui::Answer;

thread_local std::optional<vc::files::TableView> reportViewCopy;

// The step run for each row: the row as it is in the record buffer, printed.
class ReportProcess : public vc::report::RecordProcess {
 public:
  explicit ReportProcess(vc::report::ReportInstance& report) : report_(report) {}

  vc::report::RecordAnswer onRecord() override {
    const vc::report::RecordAnswer answer = RecordProcess::onRecord();
    (void)report_.print(p25r::DETAIL);
    return answer;
  }

 private:
  vc::report::ReportInstance& report_;
};

class ReportController : public ProcedureFrame<vc::report::ReportController> {
 public:
  ReportController(vc::ui::Window& window, vc::report::ReportInstance& report,
                   ReportProcess& process, vc::report::StringStepObject& progress,
                   vc::report::PrintPreview& preview, std::uint8_t& thermometer)
      : ProcedureFrame("reporte", {vc::store::resumenRelation}, window),
        report_(report),
        process_(process),
        progress_(progress),
        preview_(preview),
        thermometer_(thermometer) {}

  vc::report::ReportOpening onReportOpened() override {
    const vc::report::ReportOpening answer = vc::report::ReportController::onReportOpened();
    if (answer != vc::report::ReportOpening::opened) return answer;
    // One reading for both stamps, so that they cannot straddle midnight.
    const vc::report::ClockReading now = vc::report::readClock();
    (void)report_.setText(p25r::REPORTDATESTAMP_2,
                          vc::ui::formatPicture(vc::ui::parsePicture("D17"), now.date));
    (void)report_.setText(p25r::REPORTTIMESTAMP_2,
                          vc::ui::formatPicture(vc::ui::parsePicture("T7"), now.time));
    return answer;
  }

 protected:
  void setUpAfterRestore() override {
    namespace sc = vc::report::step_controls;
    progress_.init(sc::upperCase | sc::digits, 3);
    process_.init(
        reportView(), *vc::store::resumenRelation, window(), p25::PROGRESS_PCTTEXT, progress_,
        [] { return vc::store::RES.NOMBRE.view(); }, thermometer_);
    process_.CASESENSITIVEVALUE = 0;
    process_.addSortOrder(vc::store::ResumenFile::indnom);
    addAction(p25::PROGRESS_CANCEL, vc::report::kRequestCancelled);
    bindReport(process_, report_, preview_);
    window().control(p25::PROGRESS_USERSTRING).text.clear();
    vc::store::resumenRelation->setQuickScan(/*on=*/true);
    setTimer(10);
    SKIPPREVIEW = 0;
    preview_.setSettings(globals::settingsManager);
    preview_.ALLOWUSERZOOM = 1;
    preview_.MAXIMIZE = 1;
  }

  void cleanUp() override { progress_.release(); }

 private:
  vc::report::ReportInstance& report_;
  ReportProcess& process_;
  vc::report::StringStepObject& progress_;
  vc::report::PrintPreview& preview_;
  std::uint8_t& thermometer_;
};

// Stands in for a desktop without a print preview: every preview is left unprinted.
class NoOutput : public vc::report::ReportOutput {
 public:
  vc::report::PreviewAnswer preview(const vc::report::PageSet&, const std::string&,
                                    const vc::report::PreviewOptions&) override {
    return {};
  }
  vc::report::PrintResult print(const vc::report::PageSet&, vc::report::PageRange,
                                const std::string&, const vc::report::PrintTarget&) override {
    return {vc::report::PrintResult::Outcome::failed, "no printer is available"};
  }
};

}  // namespace

void bindReportView() {
  reportViewCopy.reset();
  reportViewCopy.emplace(vc::store::resumen());
}

vc::files::TableView& reportView() {
  // A view left from a thread's earlier set of files would read nothing: bind it anew.
  if (!reportViewCopy || reportViewCopy->table() != &vc::store::resumen()) bindReportView();
  return *reportViewCopy;
}

bool reportViewSetUp() {
  return reportViewCopy.has_value();
}

void closeReportView() {
  reportViewCopy.reset();
}

void reporte() {
  (void)reportView();
  std::uint8_t PROGRESS_THERMOMETER = 0;
  vc::ui::VariableBinding<std::uint8_t> thermometer(PROGRESS_THERMOMETER);
  auto progressWindow =
      std::make_unique<vc::ui::Window>(P25_PROGRESSWINDOW(), *globals::windowEngine);
  progressWindow->bind(p25::PROGRESS_THERMOMETER, &thermometer);
  auto report = std::make_unique<vc::report::ReportInstance>(
      P25_REPORT(), std::vector<vc::report::ReportVariable>{
                        vc::report::bindVariable("NOMBREARCHIVO1", globals::NOMBREARCHIVO1),
                        vc::report::bindVariable("RES:NOMBRE", vc::store::RES.NOMBRE),
                        vc::report::bindVariable("RES:MODULO", vc::store::RES.MODULO),
                        vc::report::bindVariable("RES:TIPO", vc::store::RES.TIPO),
                        vc::report::bindVariable("RES:MODO", vc::store::RES.MODO),
                    });
  NoOutput noOutput;
  auto reportProcess = std::make_unique<ReportProcess>(*report);
  auto reportProgress = std::make_unique<vc::report::StringStepObject>();
  auto reportPreview = std::make_unique<vc::report::PrintPreview>(
      globals::reportOutput != nullptr ? *globals::reportOutput : noOutput);
  reportPreview->ALLOWPRINTCURRENT = 1;
  auto reportController =
      std::make_unique<ReportController>(*progressWindow, *report, *reportProcess, *reportProgress,
                                         *reportPreview, PROGRESS_THERMOMETER);
  (void)reportController->execute();
  reportPreview.reset();
  reportProgress.reset();
  reportProcess->release();
  reportProcess.reset();
  reportController.reset();
  report.reset();
  progressWindow.reset();
}

}  // namespace vc::views
