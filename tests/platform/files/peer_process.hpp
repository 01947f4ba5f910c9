// The other process of the two-process tests: the peer executable (keyed_table_peer.cpp)
// started on the current folder, with what it printed and how it ended.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/temp_folder.hpp"

namespace vc::files::testing {

/// The other process: the peer executable started on the current folder.
class Peer {
 public:
  explicit Peer(std::vector<std::string> args) {
    args.insert(args.begin(), std::filesystem::current_path().string());
    args.insert(args.begin(), VC_PEER_PATH);
    int out[2];
    if (::pipe(out) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], 1);
      std::vector<char*> argv;
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    out_ = out[0];
  }
  ~Peer() { finish(); }

  /// Waits until the peer holds what it was asked to hold.
  bool ready() {
    for (int i = 0; i < 200; ++i) {
      if (std::filesystem::exists("ready")) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
  void stop() { vc::testing::TempFolder::write("stop", "1"); }
  /// Waits for the peer to end; its exit status (or minus the signal that ended it) and
  /// what it printed.
  std::pair<int, std::string> finish() {
    if (pid_ <= 0) return {status_, output_};
    char buf[256];
    ssize_t n;
    while ((n = ::read(out_, buf, sizeof buf)) > 0) output_.append(buf, static_cast<size_t>(n));
    ::close(out_);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    // A peer ended by a signal answers minus its number (-9 for SIGKILL).
    status_ = WIFEXITED(status)     ? WEXITSTATUS(status)
              : WIFSIGNALED(status) ? -WTERMSIG(status)
                                    : -1;
    std::filesystem::remove("ready");
    std::filesystem::remove("stop");
    return {status_, output_};
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int status_ = -1;
  std::string output_;
};

}  // namespace vc::files::testing
