// Running the desktop's helper programs (zenity, kdialog, xdg-open) for dialogs and
// documents: always with an argument vector, never through a shell, so that titles, names
// and paths reach the program exactly as they are.
#pragma once

#include <string>
#include <vector>

namespace x11platform {

// Where helper programs are looked for: a colon-separated list of folders. Empty (the
// default) means the folders of $PATH. Tests point it at folders of stand-in programs.
void setHelperSearchPath(const std::string& folders);

// The full path of the executable file name in the search path; empty when there is none.
std::string findHelper(const std::string& name);

struct HelperResult {
  bool started = false;
  // The exit code; -1 when the program was killed by a signal or its end not observed.
  int exitCode = -1;
  // False when a host that ignores SIGCHLD had the program reaped before we could look.
  bool exitObserved = false;
  std::string output;  // what it wrote to its standard output
};

// Runs argv (argv[0] a full path) and waits for its end. Its standard input and error are
// /dev/null, it inherits no descriptor of ours beyond those, and signals are at their
// defaults in it.
HelperResult runHelper(const std::vector<std::string>& argv);

// Starts argv and returns without waiting. The program does not stay our child (it is
// started through a short-lived intermediate process), so no zombie is left for the host.
// False when it could not be started.
bool startDetachedHelper(const std::vector<std::string>& argv);

}  // namespace x11platform
