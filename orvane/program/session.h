// One run of the shell: the plug-in, the line being typed and the commands.
#pragma once

#include <string>
#include <vector>

#include "orvane/program/input.h"
#include "orvane/program/line_editor.h"
#include "orvane/program/plugin.h"

namespace orvane {

struct Options {
  std::string plugin;   // empty: beside the shell
  std::string command;  // -c
  bool hasCommand = false;
  std::string color = "auto";  // auto, always, never
  bool legacyKeys = false;     // a host of the generation that reports Enter as code 13
};

// The host version the shell reports in _4ver: 25.0, or 23.0 for a host of the generation that
// reports Enter as key code 13.
const char* HostVersion(const Options& options);

class Session {
 public:
  explicit Session(const Options& options) : options_(options) {}

  // Loads and initialises the plug-in; false (with a message) when it cannot.
  bool Start();
  void Stop();

  // The interactive prompt on a terminal.
  void RunInteractive();
  // Lines from a pipe or file, or the lines of -c.
  void RunLines(LineReader& input);

  bool Failed() const { return failed_; }
  bool Exiting() const { return exiting_; }
  int ExitCode() const { return exitCode_ >= 0 ? exitCode_ : (failed_ ? 1 : 0); }

 private:
  // Hands a key to the plug-in with the line in buffer_ (`length` characters); whatever the
  // plug-in does, the buffer stays terminated. Returns true when the plug-in moved the command
  // line (it wrote output of its own).
  bool CallKey(const Key& key, size_t length);
  // The same for a line held elsewhere, which takes back what the plug-in left in the buffer.
  bool SendKey(const Key& key, std::u16string& line);
  // The same for the line being edited, without copying it anywhere but the buffer; true when
  // the plug-in changed it.
  bool SendEditorKey(const Key& key);
  // Everything that happens on Enter, after the plug-in had its turn.
  void Execute(const std::u16string& line);
  void Command(const std::u16string& line);
  void RunLine(const InputLine& line);
  // Feeds a whole line as typed keys, then Enter (for pipes and -c).
  void Feed(const std::u16string& line);
  Key EnterKey() const;
  void Prompt();
  // Shows the edited line: only `appended` when a character was typed at its end, else the
  // whole line redrawn with the cursor in place.
  void Show(const std::u16string& appended, bool onlyAppended);

  Options options_;
  Plugin plugin_;
  LineEditor editor_;
  std::vector<char16_t> buffer_ = std::vector<char16_t>(LineEditor::kMaxLength + 1);
  bool failed_ = false;
  bool exiting_ = false;
  int exitCode_ = -1;
};

}  // namespace orvane
