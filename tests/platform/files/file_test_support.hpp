// Shared by the file-layer and store tests: an error manager whose boxes are recorded and
// whose fatal end throws instead of ending the test process.
#pragma once

#include <string>
#include <vector>

#include "platform/errors/error_manager.hpp"
#include "platform/errors/message_presenter.hpp"

namespace vc::testing {

class RecordingPresenter : public vc::errors::MessagePresenter {
 public:
  std::vector<vc::errors::MessageRequest> shown;
  int showMessage(const vc::errors::MessageRequest& request) override {
    shown.push_back(request);
    return 1;
  }
  /// "title: text" of every box, in order, for compact assertions.
  std::vector<std::string> transcript() const {
    std::vector<std::string> out;
    for (const auto& m : shown) out.push_back(m.caption + ": " + m.text);
    return out;
  }
};

inline vc::errors::ErrorStatus& testErrorStatus() {
  thread_local vc::errors::ErrorStatus status;
  return status;
}

/// Binds `manager` to a recording presenter and a halt that throws ProgramHalted.
inline void bindForTest(vc::errors::ErrorManager& manager, RecordingPresenter& presenter) {
  manager.bindErrorStatus(&testErrorStatus);
  manager.setPresenter(&presenter);
  manager.setHalt([](int status) { throw vc::errors::ProgramHalted{status}; });
}

inline const std::string kFatalEnd = "  Press OK to end this application";

}  // namespace vc::testing
