// stellix-editorhost <plug-in library> [options]: see usageText() in options.cpp.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/editorhost/editor_host.h"
#include "tools/editorhost/options.h"

int main(int argc, char** argv) {
  using namespace stellix::editorhost;
  Options options;
  std::string error;
  if (!parseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    std::fprintf(stderr, "stellix-editorhost: %s\n%s", error.c_str(), usageText().c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(usageText().c_str(), stdout);
    return 0;
  }
  EditorHost host(std::move(options));
  return host.run();
}
