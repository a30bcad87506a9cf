#include "orvane/program/session.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>

#include "orvane/lib/console.h"
#include "orvane/lib/display.h"
#include "orvane/lib/messages.h"
#include "orvane/lib/services.h"
#include "orvane/lib/variables.h"
#include "orvane/program/builtins.h"
#include "orvane/program/completion.h"
#include "orvane/program/terminal.h"

namespace orvane {

namespace {

const char kPrompt[] = "orvane> ";
const int kPromptWidth = sizeof kPrompt - 1;  // the prompt is ASCII

}  // namespace

const char* HostVersion(const Options& options) {
  return options.legacyKeys ? "23.0" : "25.0";
}

bool Session::Start() {
  ConsoleState& console = Console();
  bool terminalIn = isatty(STDIN_FILENO), terminalOut = isatty(STDOUT_FILENO);
  bool transient = !options_.commands.empty();
  bool noColor = getenv("NO_COLOR") != nullptr && getenv("NO_COLOR")[0] != 0;
  // A terminal that takes no escape sequences (Emacs' shell mode, a plain console) gets no
  // colours and no line editor, only its own line mode.
  const char* term = getenv("TERM");
  bool dumb = term == nullptr || term[0] == 0 || strcmp(term, "dumb") == 0;
  console.colors = !noColor && (options_.color == "always" ||
                                (options_.color == "auto" && terminalOut && !dumb));
  console.interactive = !transient && terminalIn && terminalOut && !dumb;
  console.terminal = terminalOut;

  SetHostVariable("_4ver", HostVersion(options_));
  SetHostVariable("_transient", transient ? "1" : "0");
  SetHostVariable("_pipe", terminalIn && terminalOut ? "0" : "1");

  std::string path = options_.plugin.empty() ? DefaultPluginPath() : options_.plugin;
  std::string error;
  if (!LoadPlugin(path, plugin_, error)) {
    fprintf(stderr, "orvane: %s\n", error.c_str());
    return false;
  }
  SetInitialising(true);
  plugin_.initialize();
  SetInitialising(false);
  TakeFailure();
  return true;
}

void Session::Stop() {
  UnloadPlugin(plugin_);
  ConsoleRestoreColors();
}

void Session::CallKey(const Key& key, size_t length) {
  buffer_[length] = 0;
  if (plugin_.key == nullptr) return;
  KeyInfo info{};
  bool legacyEnter = key.id == KeyId::kEnter && options_.legacyKeys;
  info.keyCode = legacyEnter ? 13 : key.code;
  info.keyName = legacyEnter ? nullptr : KeyName(key.id);
  info.line = buffer_.data();
  info.homeRow = Console().row;
  info.homeColumn = Console().interactive ? kPromptWidth : 0;
  info.row = Console().row;
  info.column = Console().column;
  plugin_.key(&info);
  buffer_.back() = 0;  // whatever the plug-in did, the line stays terminated
}

void Session::SendEditorKey(const Key& key) {
  const std::u16string& text = editor_.Text();
  std::char_traits<char16_t>::copy(buffer_.data(), text.data(), text.size());
  CallKey(key, text.size());
  bool same = buffer_[text.size()] == 0 &&
              memcmp(buffer_.data(), text.data(), text.size() * sizeof(char16_t)) == 0;
  if (!same) editor_.SetText(buffer_.data());
}

void Session::Execute(std::u16string_view line) {
  if (TakeFailure()) failed_ = true;
  WarnAboutUndefinedVariables();  // an expansion the plug-in asked for without a calculation
  CommandResult result = RunCommandLine(line);
  if (result.failed || TakeFailure()) failed_ = true;
  if (result.exit) {
    exiting_ = true;
    if (result.exitCode >= 0) exitCode_ = result.exitCode;
  }
}

void Session::Feed(const std::u16string& line) {
  // The line grows in the plug-in's buffer itself: each key costs the same however long it is.
  size_t length = 0;
  Key key;
  key.id = KeyId::kCharacter;
  for (char16_t unit : line) {
    key.code = unit;
    CallKey(key, length);
    buffer_[length++] = unit;
  }
  Key enter;
  enter.id = KeyId::kEnter;
  CallKey(enter, length);
  Execute(buffer_.data());
}

void Session::RunLine(const InputLine& line, bool numbered) {
  SetMessageLine(numbered ? line.number : 0);
  if (line.hasNul) {
    HostMessage("the line holds a NUL character: skipped");
    failed_ = true;
  } else if (line.length > LineReader::kMaxLength) {
    // The command line's limit is in UTF-16 code units: a character beyond U+FFFF takes two.
    HostMessage("the line is " + std::to_string(line.length) + " UTF-16 code units long, more " +
                "than the " + std::to_string(LineReader::kMaxLength) +
                " that fit on the command line: skipped");
    failed_ = true;
  } else {
    Feed(line.text);
  }
  SetMessageLine(0);
}

void Session::RunLines(LineReader& input) {
  // Lines typed at a terminal, which echoes them, need no numbers, and get a prompt when
  // messages go to the terminal too.
  bool typed = options_.commands.empty() && isatty(STDIN_FILENO);
  bool prompt = typed && isatty(STDERR_FILENO);
  input.OnWait([prompt] {
    FlushOutput();  // whatever waits for these results gets them before the shell waits
    if (prompt) fputs(kPrompt, stderr);
  });
  InputLine line;
  while (!exiting_ && OutputError() == 0 && input.Next(line)) RunLine(line, !typed);
  if (prompt && !exiting_) fputc('\n', stderr);  // the input ended at the prompt
  if (input.Error() != 0) {
    HostMessage("read error: " + ErrorText(input.Error()));
    failed_ = true;
  }
}

void Session::RunInteractive() {
  RawTerminal terminal(STDIN_FILENO);
  view_.Resize(terminal.Columns(), -1);
  LoadHistory();
  ShowLine();
  while (!exiting_ && OutputError() == 0) {
    terminal.Claim();
    if (terminal.TakeResumed()) {
      // Back in the foreground, after whatever the screen showed meanwhile, perhaps at another
      // width: the colours, the prompt and the line again.
      if (Console().colors && Console().attribute != 0x07) {
        ConsoleSetAttribute(Console().attribute);
      }
      WriteOutput("\r\x1b[J");
      view_.Forget();
      terminal.TakeResized();
      view_.Resize(terminal.Columns(), -1);
      ShowLine();
    } else if (terminal.TakeResized()) {
      FitToWidth(terminal.Columns());
    }
    Key key = keys_.ReadKey();
    if (key.id != KeyId::kNone) {
      TakeKey(key, terminal);
    } else if (!key.interrupted) {
      break;  // the input ended
    }
  }
  if (!exiting_) LeaveLine();
  SaveHistoryAtExit();
}

void Session::FitToWidth(int columns) {
  int row = 0, column = 0;
  bool known = view_.NeedsCursorColumn(columns) && keys_.AskCursorPosition(&row, &column);
  view_.Resize(columns, known ? column - 1 : -1);
}

void Session::TakeKey(const Key& key, RawTerminal& terminal) {
  if (key.id == KeyId::kEnter) {
    inPaste_ = false;
    return Submit(key);
  }
  if (key.id == KeyId::kPasteEnd) {
    inPaste_ = false;
    return ShowLine();
  }
  SendEditorKey(key);  // the plug-in sees every key before the editor acts on it
  EditorAction action = editor_.Apply(key);
  // Keys that only edit are taken as fast as they come, and the screen shows the line once
  // they are all in (a paste is one redraw, not one per character); anything else starts from
  // the line as it is now. Within a paste, the next part may take a moment to come through the
  // terminal: a short wait for it costs less than drawing the rest of a long line again.
  inPaste_ = action == EditorAction::kShow && keys_.KeyWaiting(inPaste_ ? kPastePartGapMs : 0);
  if (inPaste_) return;
  ShowLine();
  switch (action) {
    case EditorAction::kShow:
    case EditorAction::kSubmit:
      break;
    case EditorAction::kGiveUp:
      Console().column = view_.MoveToEnd();
      ConsoleWrite(u"^C\n");
      editor_.Clear();
      view_.Forget();
      ShowLine();
      break;
    case EditorAction::kLeave:
      exiting_ = true;
      LeaveLine();
      break;
    case EditorAction::kClearScreen:
      ConsoleClearScreen();
      view_.Forget();
      ShowLine();
      break;
    case EditorAction::kComplete:
      CompleteWord();
      break;
    case EditorAction::kSuspend:
      // Stops at the next wait for a key, and the line is shown again on return.
      view_.MoveToEnd();
      WriteOutput("^Z");
      terminal.Suspend();
      break;
  }
}

void Session::Submit(const Key& enter) {
  if (editor_.Searching()) editor_.Apply(enter);  // the match becomes the line
  ShowLine();  // the line as it is, after the prompt, with every key before Enter in it
  std::u16string typed = editor_.Text();
  // The whole line is on the screen; what it prints goes below it.
  Console().column = view_.MoveToEnd();
  SetShownLine(typed, kPromptWidth);
  std::char_traits<char16_t>::copy(buffer_.data(), typed.data(), typed.size());
  CallKey(enter, typed.size());
  ConsoleEndLine();
  Execute(buffer_.data());
  SetShownLine(u"", 0);
  if (editor_.Remember(typed)) SaveToHistory(typed);  // as typed, before the plug-in rewrote it
  editor_.Clear();
  view_.Forget();
  if (!exiting_) ShowLine();
}

void Session::CompleteWord() {
  Completion completion = Complete(editor_.Text(), editor_.Cursor());
  size_t typed = editor_.Cursor() - completion.start;
  bool single = completion.choices.size() == 1;
  if (completion.common.size() > typed ||
      (single && completion.common != editor_.Text().substr(completion.start, typed))) {
    editor_.ReplaceBeforeCursor(completion.start, completion.common);
    ShowLine();
  } else if (completion.choices.size() > 1) {
    ListChoices(completion.choices);
  }
}

void Session::ListChoices(const std::vector<std::u16string>& choices) {
  LeaveLine();
  size_t widest = 0;
  for (const std::u16string& choice : choices) widest = std::max(widest, DisplayWidth(choice));
  size_t width = widest + 2;
  size_t columns = std::max<size_t>(1, static_cast<size_t>(view_.Columns()) / width);
  size_t rows = (choices.size() + columns - 1) / columns;
  for (size_t row = 0; row < rows; ++row) {
    std::u16string line;
    for (size_t column = 0; column < columns; ++column) {
      size_t i = column * rows + row;  // down the columns, as ls lists
      if (i >= choices.size()) break;
      if (column > 0) line.append(width - DisplayWidth(choices[i - rows]), u' ');
      line += choices[i];
    }
    ConsoleWrite(line + u"\n");
  }
  view_.Forget();
  ShowLine();
}

void Session::LeaveLine() {
  Console().column = view_.MoveToEnd();
  ConsoleEndLine();
}

std::u16string Session::Prompt() const {
  if (!editor_.Searching()) return Wide(kPrompt);
  return std::u16string(editor_.SearchFailed() ? u"(failed reverse-i-search)`"
                                               : u"(reverse-i-search)`") +
         editor_.SearchText() + u"': ";
}

void Session::ShowLine() {
  view_.Show(Prompt(), editor_.Text(), editor_.Cursor());
}

void Session::LoadHistory() {
  std::string path = options_.history ? HistoryFile::DefaultPath() : "";
  if (path.empty()) return;
  history_ = std::make_unique<HistoryFile>(path);
  int error = 0;
  for (const std::u16string& line : history_->Load(error)) editor_.Remember(line);
  if (error == EWOULDBLOCK) {
    // Nothing is wrong with the file: another program holds it for now.
    HostMessage("warning: the history file " + path +
                " is locked by another program: its lines are not loaded");
  } else if (error != 0) {
    HistoryProblem("cannot be read", error);
  }
}

void Session::SaveToHistory(const std::u16string& line) {
  if (!history_) return;
  // Once a line waits for the lock, the next ones only try it: a paste of many lines would
  // otherwise wait at each.
  bool wait = unsaved_.empty();
  unsaved_.push_back(line);
  SaveUnsaved(wait);
}

void Session::SaveUnsaved(bool waitForLock) {
  while (!unsaved_.empty()) {
    if (!history_->Append(unsaved_.front(), waitForLock)) {
      if (errno == EWOULDBLOCK) return;  // kept for the next Enter, or the exit
      HistoryProblem("cannot be written", errno);
    }
    unsaved_.pop_front();
  }
}

void Session::SaveHistoryAtExit() {
  if (!history_) return;
  SaveUnsaved(true);
  if (unsaved_.empty()) return;
  size_t count = unsaved_.size();
  HostMessage("warning: the history file " + history_->Path() +
              " is still locked by another program: " + std::to_string(count) +
              (count == 1 ? " line" : " lines") + " not saved");
}

void Session::HistoryProblem(const char* what, int error) {
  if (historyWarned_) return;
  historyWarned_ = true;
  std::string problem = error == HistoryFile::kNotRegular
                            ? std::string("is not a regular file")
                            : std::string(what) + ": " + ErrorText(error);
  HostMessage("warning: the history file " + history_->Path() + " " + problem);
}

}  // namespace orvane
