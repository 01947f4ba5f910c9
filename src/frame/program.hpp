// Program start-up and shut-down: the process and thread hooks and the main procedure,
// run in the order the program relies on.
#pragma once

#include <functional>

namespace vc::ui {
class Engine;
}

namespace vc::frame {

// The hooks, in the order runApplication calls them on thread 1.
void threadAttachFiles();  // this thread's four files, buffers cleared
void processStartup();     // blank file names, the two services built
void threadStartup();      // this thread's error status and file-access hook
void runProgram();         // services readied, files' objects built, Main, settings closed
void threadShutdown();     // file-access objects released, this thread's files destroyed
void processShutdown();    // the settings store, then the error manager, destroyed

/// Runs the whole program on the calling thread with `engine` for every window and box.
/// `halt` replaces what ending the program after a fatal error does (tests intercept it
/// with one that throws vc::errors::ProgramHalted); the answer is the exit status.
int runApplication(vc::ui::Engine& engine, std::function<void(int)> halt = {});

}  // namespace vc::frame
