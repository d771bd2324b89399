// File selector, message box and document opening with stand-in zenity, kdialog and
// xdg-open programs that record the arguments they get.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "toolkit/platform/iplatformframe.h"
#include "toolkit/platform/x11/helperprocess.h"

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

// Quotes, spaces, a command substitution, backquotes, a backslash and a newline: a shell
// anywhere on the way would change it or run something.
const std::string kTricky = "Say \"hi\" & 'bye' $(touch PWNED) `touch PWNED` \\n\n  second line ";

class HelperDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/stellix-helpers-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    x11platform::setHelperSearchPath(dir_.string());
  }
  void TearDown() override {
    x11platform::setHelperSearchPath("");
    EXPECT_FALSE(fs::exists("PWNED"));  // where a shell of ours would have run it
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  // A stand-in program that records its arguments (NUL-separated) in NAME.argv, prints
  // output, runs the shell lines of extra and ends with exitCode.
  void fake(const std::string& name, const std::string& output = "", int exitCode = 0, const std::string& extra = "") {
    const fs::path program = dir_ / name;
    std::ofstream(program.string() + ".out", std::ios::binary) << output;
    std::ofstream script(program, std::ios::binary);
    script << "#!/bin/sh\n"
           << "printf '%s\\0' \"$@\" > \"$0.argv\"\n"
           << extra << "\n"
           << "cat \"$0.out\"\n"
           << "exit " << exitCode << "\n";
    script.close();
    fs::permissions(program, fs::perms::owner_all);
  }
  bool ran(const std::string& name) const { return fs::exists(dir_ / (name + ".argv")); }
  Args argsOf(const std::string& name) const {
    std::ifstream in((dir_ / (name + ".argv")).string(), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string all = ss.str();
    Args args;
    std::size_t start = 0;
    for (std::size_t i = 0; i < all.size(); ++i)
      if (all[i] == '\0') {
        args.push_back(all.substr(start, i - start));
        start = i + 1;
      }
    return args;
  }
  std::string readFile(const std::string& name) const {
    std::ifstream in((dir_ / name).string(), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

  fs::path dir_;
};

FileSelectorRequest request(bool save, const std::string& title, const std::string& dir, const std::string& name,
                            const std::string& type, const std::string& ext) {
  FileSelectorRequest r;
  r.save = save;
  r.title = title;
  r.initialDirectory = dir;
  r.defaultName = name;
  r.typeDescription = type;
  r.extension = ext;
  return r;
}

TEST_F(HelperDialogs, ZenityFileSelectorGetsEachPartAsOneArgument) {
  struct Case {
    const char* name;
    FileSelectorRequest request;
    Args args;
  } cases[] = {
      {"open in a folder",
       request(false, "Load preset", "/home/u/Presets", "", "Korvan Preset", "kvp"),
       {"--file-selection", "--title=Load preset", "--filename=/home/u/Presets/",
        "--file-filter=Korvan Preset (*.kvp) | *.kvp"}},
      {"save with a proposed name",
       request(true, "Save bank", "/data/My Banks/", "bank 1.kvb", "Korvan Bank", "kvb"),
       {"--file-selection", "--save", "--confirm-overwrite", "--title=Save bank",
        "--filename=/data/My Banks/bank 1.kvb", "--file-filter=Korvan Bank (*.kvb) | *.kvb"}},
      {"title and name taken literally",
       request(true, kTricky, "/tmp/-x", kTricky, "Korvan Preset", "kvp"),
       {"--file-selection", "--save", "--confirm-overwrite", "--title=" + kTricky, "--filename=/tmp/-x/" + kTricky,
        "--file-filter=Korvan Preset (*.kvp) | *.kvp"}},
      {"a name without folder",
       request(false, "T", "", "name.kvp", "Korvan Preset", "kvp"),
       {"--file-selection", "--title=T", "--filename=name.kvp", "--file-filter=Korvan Preset (*.kvp) | *.kvp"}},
      {"no folder, name or type", request(false, "", "", "", "", ""), {"--file-selection", "--title="}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake("zenity", "", 1);
    std::string chosen;
    EXPECT_FALSE(runFileSelector(c.request, nullptr, chosen));
    Args args = argsOf("zenity");
    EXPECT_EQ(args, c.args);
  }
}

TEST_F(HelperDialogs, KdialogFileSelectorWhenZenityIsMissing) {
  ::setenv("HOME", "/home/tester", 1);
  struct Case {
    const char* name;
    FileSelectorRequest request;
    void* parent;
    Args args;
  } cases[] = {
      {"open, attached to the host's window",
       request(false, "Load preset", "/home/u/Presets", "", "Korvan Preset", "kvp"),
       reinterpret_cast<void*>(std::uintptr_t{0x1234}),
       {"--getopenfilename", "/home/u/Presets/", "*.kvp|Korvan Preset", "--title", "Load preset", "--attach", "4660"}},
      {"save with a proposed name",
       request(true, kTricky, "/d", "x.kvb", "Korvan Bank", "kvb"),
       nullptr,
       {"--getsavefilename", "/d/x.kvb", "*.kvb|Korvan Bank", "--title", kTricky}},
      {"no folder or name starts at home",
       request(false, "T", "", "", "", ""),
       nullptr,
       {"--getopenfilename", "/home/tester", "--title", "T"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake("kdialog", "", 1);
    std::string chosen;
    EXPECT_FALSE(runFileSelector(c.request, c.parent, chosen));
    EXPECT_EQ(argsOf("kdialog"), c.args);
  }
}

TEST_F(HelperDialogs, FileSelectorAnswerFromOutputAndExitCode) {
  struct Case {
    const char* name;
    std::string output;
    int exitCode;
    bool save;
    bool chosen;
    std::string path;
  } cases[] = {
      {"a choice", "/a b/c.kvp\n", 0, false, true, "/a b/c.kvp"},
      {"cancelled", "", 1, false, false, ""},
      {"ended without a path", "", 0, false, false, ""},
      {"failed after printing", "/x/half", 5, false, false, ""},
      {"saved name without extension gets the type's", "/x/name\n", 0, true, true, "/x/name.kvp"},
      {"saved name with another extension keeps it", "/x/name.bak\n", 0, true, true, "/x/name.bak"},
      {"a dot in a folder is no extension", "/x/v1.2/name\n", 0, true, true, "/x/v1.2/name.kvp"},
      {"opened name is taken as it is", "/x/name\n", 0, false, true, "/x/name"},
      {"only the last newline is the helper's", "/x/odd\n\n", 0, false, true, "/x/odd\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake("zenity", c.output, c.exitCode);
    std::string chosen = "unchanged";
    EXPECT_EQ(runFileSelector(request(c.save, "T", "/x", "", "Korvan Preset", "kvp"), nullptr, chosen), c.chosen);
    EXPECT_EQ(chosen, c.chosen ? c.path : "unchanged");
  }
}

TEST_F(HelperDialogs, HelperChoice) {
  std::string chosen;
  const FileSelectorRequest r = request(false, "T", "/x", "", "", "");

  // Neither: cancelled at once.
  EXPECT_FALSE(runFileSelector(r, nullptr, chosen));

  fake("zenity", "/z\n");
  fake("kdialog", "/k\n");
  EXPECT_TRUE(runFileSelector(r, nullptr, chosen));
  EXPECT_EQ(chosen, "/z");
  EXPECT_FALSE(ran("kdialog"));

  // A zenity that cannot be run does not count.
  fs::permissions(dir_ / "zenity", fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_TRUE(runFileSelector(r, nullptr, chosen));
  EXPECT_EQ(chosen, "/k");
}

TEST_F(HelperDialogs, HostIgnoringChildSignalsStillGetsAnswers) {
  // Such a host has its children reaped for it: the exit code is lost, the output is not.
  struct sigaction ignore {
  }, old{};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGCHLD, &ignore, &old);
  std::string chosen;
  fake("zenity", "/x/y.kvp\n", 0);
  EXPECT_TRUE(runFileSelector(request(false, "T", "", "", "", ""), nullptr, chosen));
  EXPECT_EQ(chosen, "/x/y.kvp");
  fake("zenity", "", 1);
  EXPECT_FALSE(runFileSelector(request(false, "T", "", "", "", ""), nullptr, chosen));
  fake("xdg-open");
  EXPECT_TRUE(openDocument("/doc.pdf"));
  ::sigaction(SIGCHLD, &old, nullptr);
}

TEST_F(HelperDialogs, HelpersInheritNoDescriptorOfTheHost) {
  int hostPipe[2];
  ASSERT_EQ(::pipe(hostPipe), 0);  // without close-on-exec, as a careless host has them
  const std::string check = "[ -e /proc/$$/fd/" + std::to_string(hostPipe[1]) + " ] && echo open > \"$0.fd\"";
  fake("zenity", "", 1, check);
  std::string chosen;
  runFileSelector(request(false, "T", "", "", "", ""), nullptr, chosen);
  fake("xdg-open", "", 0, check + "; touch \"$0.done\"");
  ASSERT_TRUE(openDocument("/doc.pdf"));
  EXPECT_TRUE([&] {
    for (int i = 0; i < 400 && !fs::exists(dir_ / "xdg-open.done"); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return fs::exists(dir_ / "xdg-open.done");
  }());
  EXPECT_FALSE(fs::exists(dir_ / "zenity.fd"));
  EXPECT_FALSE(fs::exists(dir_ / "xdg-open.fd"));
  ::close(hostPipe[0]);
  ::close(hostPipe[1]);
}

TEST_F(HelperDialogs, MessageBoxArgumentsAndWaitingForItsEnd) {
  struct Case {
    const char* helper;
    void* parent;
    Args args;
  } cases[] = {
      {"zenity",
       reinterpret_cast<void*>(std::uintptr_t{77}),
       {"--info", "--no-markup", "--title=" + kTricky, "--text=<b>Could not</b> open C:\\manual & more"}},
      {"kdialog",
       reinterpret_cast<void*>(std::uintptr_t{77}),
       {"--msgbox", "<b>Could not</b> open C:\\manual & more", "--title", kTricky, "--attach", "77"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.helper);
    fs::remove(dir_ / "zenity");
    fake(c.helper, "", 0, "sleep 0.2; touch \"$0.closed\"");
    showMessageBox(c.parent, kTricky, "<b>Could not</b> open C:\\manual & more");
    EXPECT_TRUE(fs::exists(dir_ / (std::string(c.helper) + ".closed")));
    EXPECT_EQ(argsOf(c.helper), c.args);
  }
  // Neither: nothing is shown, and nothing waits.
  fs::remove(dir_ / "zenity");
  fs::remove(dir_ / "kdialog");
  showMessageBox(nullptr, "T", "text");
}

TEST_F(HelperDialogs, OpenDocumentDoesNotWaitAndLeavesNoChild) {
  struct Case {
    const char* name;
    std::string path;
    std::string argument;
  } cases[] = {
      {"plain path", "/docs/Korvan Manual.pdf", "/docs/Korvan Manual.pdf"},
      {"relative name that looks like an option", "-manual.pdf", "./-manual.pdf"},
      {"path taken literally", "/docs/" + kTricky + ".pdf", "/docs/" + kTricky + ".pdf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(dir_ / "xdg-open.argv");
    fs::remove(dir_ / "xdg-open.pid");
    // The viewer stays open far longer than the call may take.
    fake("xdg-open", "", 0, "echo $$ > \"$0.pid.tmp\"; mv \"$0.pid.tmp\" \"$0.pid\"; exec sleep 30");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(openDocument(c.path));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));

    pid_t viewer = 0;
    for (int i = 0; i < 400 && !viewer; ++i) {
      std::ifstream in((dir_ / "xdg-open.pid").string());
      if (!(in >> viewer)) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_GT(viewer, 0);
    EXPECT_EQ(argsOf("xdg-open"), Args{c.argument});
    // The viewer is not our child, and no child of ours is left to reap.
    std::ifstream stat("/proc/" + std::to_string(viewer) + "/stat");
    std::string pidField, comm, state;
    pid_t ppid = 0;
    stat >> pidField >> comm >> state >> ppid;
    EXPECT_NE(ppid, ::getpid());
    int status = 0;
    errno = 0;
    EXPECT_EQ(::waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    ::kill(viewer, SIGTERM);
  }
}

TEST_F(HelperDialogs, OpenDocumentFailsWhenNothingCanBeStarted) {
  EXPECT_FALSE(openDocument("/doc.pdf"));  // no xdg-open at all

  fake("xdg-open");
  fs::permissions(dir_ / "xdg-open", fs::perms::owner_read);
  EXPECT_FALSE(openDocument("/doc.pdf"));

  // Present and executable, but the exec itself fails.
  std::ofstream(dir_ / "xdg-open", std::ios::trunc) << "#!/nonexistent/interpreter\n";
  fs::permissions(dir_ / "xdg-open", fs::perms::owner_all);
  EXPECT_FALSE(openDocument("/doc.pdf"));

  fake("xdg-open");
  EXPECT_FALSE(openDocument(""));
  EXPECT_FALSE(ran("xdg-open"));
}

}  // namespace
