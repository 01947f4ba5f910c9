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

/// Runs body in a forked child that has become user and group kNobody; body writes what
/// the test should see into its string. The answer is the child's exit status (body's
/// answer; 120 when it could not drop privileges; -1 when it died) and that string.
inline std::pair<int, std::string> runAsNobody(const std::function<int(std::string&)>& body) {
  int out[2];
  if (::pipe(out) != 0) return {-1, "no pipe"};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(out[0]);
    std::string report;
    int status = 120;
    if (::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0) {
      status = body(report);
    }
    for (std::size_t done = 0; done < report.size();) {
      const ssize_t n = ::write(out[1], report.data() + done, report.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    ::_exit(status);
  }
  ::close(out[1]);
  std::string report;
  char buf[512];
  ssize_t n;
  while ((n = ::read(out[0], buf, sizeof buf)) > 0) report.append(buf, static_cast<std::size_t>(n));
  ::close(out[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, report};
}

}  // namespace vc::testing
