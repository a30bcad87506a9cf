// orvane: a small interactive command processor that hosts the Sumbra plug-in.
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "orvane/lib/console.h"
#include "orvane/lib/messages.h"
#include "orvane/program/session.h"

namespace {

const char* const kUsage =
    "usage: orvane [options]\n"
    "A shell with the Sumbra calculator: a line such as =6*7 prints 6*7 = 42, and the result\n"
    "is kept in %Ans (=%Ans+1 gives 43). Type help at the prompt for the commands.\n"
    "  -c TEXT             run each line of TEXT as if typed, then exit (a transient shell);\n"
    "                      several -c run in turn\n"
    "  --plugin PATH       the plug-in library (default: Sumbra.so beside the shell or\n"
    "                      in its installed place)\n"
    "  --color=WHEN        colours: auto (on a terminal), always, never; NO_COLOR turns them off\n"
    "  --legacy-keys       be a host that reports Enter as key code 13, not by name\n"
    "  --no-history        keep no history file (ORVANE_HISTFILE= does the same)\n"
    "  -h, --help          this text\n"
    "  -V, --version       the shell's and the plug-in's versions\n"
    "Lines read from a pipe run one by one; the exit status is 1 when any of them failed.\n";

enum class Parsed { kRun, kHelp, kVersion, kBad };

Parsed ParseOptions(int argc, char** argv, orvane::Options& options) {
  Parsed parsed = Parsed::kRun;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    std::string problem;
    if (arg == "--help" || arg == "-h") {
      return Parsed::kHelp;
    } else if (arg == "--version" || arg == "-V") {
      parsed = Parsed::kVersion;
    } else if (arg == "-c" || arg == "--plugin") {
      if (i + 1 == argc) {
        problem = "option " + arg + " needs " + (arg == "-c" ? "the text to run" : "a path");
      } else if (arg == "-c") {
        options.commands.push_back(argv[++i]);
      } else {
        options.plugin = argv[++i];
      }
    } else if (arg.rfind("--color=", 0) == 0) {
      options.color = arg.substr(8);
      if (options.color != "auto" && options.color != "always" && options.color != "never") {
        problem = "option --color takes auto, always or never, not \"" + options.color + "\"";
      }
    } else if (arg == "--legacy-keys") {
      options.legacyKeys = true;
    } else if (arg == "--no-history") {
      options.history = false;
    } else {
      problem = (arg.size() > 1 && arg[0] == '-' ? "unknown option " : "unexpected argument ") +
                std::string("\"") + arg + "\"";
    }
    if (!problem.empty()) {
      fprintf(stderr, "orvane: %s\n", problem.c_str());
      return Parsed::kBad;
    }
  }
  return parsed;
}

// A standard stream that was closed (">&-") gets /dev/null opened read-only in its place: no file
// the shell opens later can take its number, and writes to it fail as they should.
void HoldStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) == -1) open("/dev/null", O_RDONLY);
  }
}

// The texts of several -c options as one, each starting on a line of its own.
std::string JoinedLines(const std::vector<std::string>& texts) {
  std::string joined;
  for (const std::string& text : texts) {
    if (!joined.empty() && joined.back() != '\n' && joined.back() != '\r') joined += '\n';
    joined += text;
  }
  return joined;
}

int PrintVersions(const orvane::Options& options) {
  orvane::WriteOutput(std::string("orvane ") + orvane::HostVersion(options) + "\n");
  orvane::Plugin plugin;
  std::string path = options.plugin.empty() ? orvane::DefaultPluginPath() : options.plugin;
  std::string error;
  int status = 0;
  if (orvane::LoadPlugin(path, plugin, error)) {
    const PluginInfo& info = *plugin.info;
    orvane::WriteOutput(orvane::OutputUtf8(info.name ? info.name : u"(no name)") + " " +
                        std::to_string(info.major) + "." + std::to_string(info.minor) + "." +
                        std::to_string(info.build) + " (" + path + ")\n");
  } else {
    orvane::FlushOutput();
    fprintf(stderr, "orvane: %s\n", error.c_str());
    status = 2;
  }
  return orvane::FinishOutput() ? status : 1;
}

}  // namespace

int main(int argc, char** argv) {
  HoldStandardStreams();
  orvane::Options options;
  switch (ParseOptions(argc, argv, options)) {
    case Parsed::kHelp:
      orvane::WriteOutput(kUsage);
      return orvane::FinishOutput() ? 0 : 1;
    case Parsed::kVersion:
      return PrintVersions(options);
    case Parsed::kBad:
      fputs(kUsage, stderr);
      return 2;
    case Parsed::kRun:
      break;
  }
  orvane::Session session(options);
  if (!session.Start()) return 2;
  if (!options.commands.empty()) {
    orvane::LineReader lines(JoinedLines(options.commands));
    session.RunLines(lines);
  } else if (orvane::Console().interactive) {
    session.RunInteractive();
  } else {
    orvane::LineReader lines(STDIN_FILENO);
    session.RunLines(lines);
  }
  session.Stop();
  return orvane::FinishOutput() ? session.ExitCode() : 1;
}
