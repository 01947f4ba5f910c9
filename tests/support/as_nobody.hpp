// Runs part of a test in a child process without root's privileges. Tests run as root,
// and root ignores file permissions: a folder that may not be written or listed only
// shows as such to another user.
#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <utility>

namespace vc::testing {

/// The user and group the child takes (nobody, nogroup).
inline constexpr uid_t kNobody = 65534;

/// A forked child that has become user and group kNobody and runs body while the test
/// goes on; body writes what the test should see into its string.
class NobodyChild {
 public:
  explicit NobodyChild(const std::function<int(std::string&)>& body) {
    int out[2];
    if (::pipe(out) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(out[0]);
      std::string report;
      int status = 120;
      if (::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0) {
        // Nothing may leave the child but its status: an exception would have it run the
        // rest of the test program as the other user.
        try {
          status = body(report);
        } catch (...) {
          status = 122;
        }
      }
      for (std::size_t done = 0; done < report.size();) {
        const ssize_t n = ::write(out[1], report.data() + done, report.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
      }
      ::_exit(status);
    }
    ::close(out[1]);
    out_ = out[0];
  }
  ~NobodyChild() { (void)finish(); }
  NobodyChild(const NobodyChild&) = delete;
  NobodyChild& operator=(const NobodyChild&) = delete;

  /// Waits for the child to end: its exit status (body's answer; 120 when it could not
  /// drop privileges; 122 when body threw; -1 when it died or never started) and the
  /// string.
  std::pair<int, std::string> finish() {
    if (pid_ <= 0) return {status_, report_};
    char buf[512];
    ssize_t n;
    while ((n = ::read(out_, buf, sizeof buf)) > 0)
      report_.append(buf, static_cast<std::size_t>(n));
    ::close(out_);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return {status_, report_};
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int status_ = -1;
  std::string report_;
};

/// Runs body in a forked child that has become user and group kNobody and waits for it.
inline std::pair<int, std::string> runAsNobody(const std::function<int(std::string&)>& body) {
  return NobodyChild(body).finish();
}

}  // namespace vc::testing
