// orvane: a small interactive command processor that hosts the Sumbra plug-in.
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include "orvane/shell/session.h"

namespace {

const char* const kUsage =
    "usage: orvane [options]\n"
    "  -c LINE             run LINE as if typed, then exit (a transient shell)\n"
    "  --plugin PATH       the plug-in library (default: Sumbra.so beside the shell)\n"
    "  --color=WHEN        colours: auto (on a terminal), always, never; NO_COLOR turns them off\n"
    "  --legacy-keys       be a host that reports Enter as key code 13, not by name\n"
    "  --help              this text\n"
    "Lines read from a pipe run one by one; the exit status is 1 when any of them failed.\n";

bool ParseOptions(int argc, char** argv, orvane::Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "-c" && i + 1 < argc) {
      options.command = argv[++i];
      options.hasCommand = true;
    } else if (arg == "--plugin" && i + 1 < argc) {
      options.plugin = argv[++i];
    } else if (arg.rfind("--color=", 0) == 0) {
      options.color = arg.substr(8);
      if (options.color != "auto" && options.color != "always" && options.color != "never") {
        return false;
      }
    } else if (arg == "--legacy-keys") {
      options.legacyKeys = true;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  orvane::Options options;
  if (argc == 2 && strcmp(argv[1], "--help") == 0) {
    fputs(kUsage, stdout);
    return 0;
  }
  if (!ParseOptions(argc, argv, options)) {
    fputs(kUsage, stderr);
    return 2;
  }
  orvane::Session session(options);
  if (!session.Start()) return 2;
  if (options.hasCommand) {
    session.RunOne(options.command);
  } else if (isatty(STDIN_FILENO)) {
    session.RunInteractive();
  } else {
    session.RunLines(stdin);
  }
  session.Stop();
  return session.ExitCode();
}
