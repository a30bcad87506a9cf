// One run of the shell: the plug-in, the line being typed and the commands.
#pragma once

#include <unistd.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "orvane/program/history_file.h"
#include "orvane/program/input.h"
#include "orvane/program/key_reader.h"
#include "orvane/program/line_editor.h"
#include "orvane/program/line_view.h"
#include "orvane/program/plugin.h"

namespace orvane {

class RawTerminal;

struct Options {
  std::string plugin;                 // empty: beside the shell
  std::vector<std::string> commands;  // the text of each -c, run in turn
  std::string color = "auto";         // auto, always, never
  bool legacyKeys = false;            // a host of the generation that reports Enter as code 13
  bool history = true;                // --no-history turns the history file off
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

  // The line editor, when standard input and output are both terminals.
  void RunInteractive();
  // Lines from a pipe or a file, from a terminal in its own line mode (when output goes
  // elsewhere), or the lines of -c.
  void RunLines(LineReader& input);

  int ExitCode() const { return exitCode_ >= 0 ? exitCode_ : (failed_ ? 1 : 0); }

 private:
  // Hands a key to the plug-in with the line in buffer_ (`length` characters); whatever the
  // plug-in does, the buffer stays terminated.
  void CallKey(const Key& key, size_t length);
  // The same for the line being edited, which takes whatever the plug-in made of it.
  void SendEditorKey(const Key& key);
  // Everything that happens on Enter, after the plug-in had its turn.
  void Execute(std::u16string_view line);
  // One line of RunLines; messages about it give its number when `numbered`.
  void RunLine(const InputLine& line, bool numbered);
  // Feeds a whole line as typed keys, then Enter (for pipes and -c).
  void Feed(const std::u16string& line);

  // At the prompt: one key, to the plug-in first and then to the editor.
  void TakeKey(const Key& key, RawTerminal& terminal);
  // The terminal is now `columns` wide: the line is drawn again from its first row, which the
  // terminal's cursor tells when the terminal may have reflowed the line.
  void FitToWidth(int columns);
  // Enter: the plug-in, then the command; the line as typed joins the history.
  void Submit(const Key& enter);
  // Tab: completes the word before the cursor, or lists what it could become.
  void CompleteWord();
  void ListChoices(const std::vector<std::u16string>& choices);
  // Puts the cursor after the line, for output below it.
  void LeaveLine();
  std::u16string Prompt() const;
  void ShowLine();

  void LoadHistory();
  void SaveToHistory(const std::u16string& line);
  // Appends the lines that wait for the history file, oldest first, while it is not locked
  // (waiting for the lock a moment, or not at all).
  void SaveUnsaved(bool waitForLock);
  // At exit: one more try, and a warning for the lines that cannot be saved.
  void SaveHistoryAtExit();
  // Says once a session that the history file cannot be used, and why.
  void HistoryProblem(const char* what, int error);

  Options options_;
  Plugin plugin_;
  LineEditor editor_;
  LineView view_;
  KeyReader keys_{STDIN_FILENO};          // the keys typed at the prompt
  std::unique_ptr<HistoryFile> history_;  // none when input is not a terminal, or turned off
  bool historyWarned_ = false;
  std::deque<std::u16string> unsaved_;  // lines that met the history file locked
  bool inPaste_ = false;                // the last key came with more waiting behind it
  std::vector<char16_t> buffer_ = std::vector<char16_t>(LineEditor::kMaxLength + 1);
  bool failed_ = false;
  bool exiting_ = false;
  int exitCode_ = -1;
};

}  // namespace orvane
