#include "tests/recording_host/recorder.h"

#include <stdarg.h>

#include <map>
#include <string>
#include <utility>

#include "host/host_text.h"
#include "host/orvane.h"
#include "platform/system.h"
#include "tests/support/text.h"

namespace {

struct Script {
  int attribute = 0x07;
  int row = 0;
  bool failExpansion = false;
  std::map<WideString, std::pair<bool, WideString>> evaluations;
  std::map<WideString, WideString> variables;
  std::map<WideString, std::pair<int, int>> colors;
};

Script script;
std::string log;

void Record(const std::string& entry) {
  log += entry + "\n";
}

// A scripted variable, else the environment's.
bool Lookup(const WideString& name, WideString& value) {
  auto found = script.variables.find(name);
  if (found != script.variables.end()) {
    value = found->second;
    return true;
  }
  WideChar buffer[kLineCapacity];
  DWORD n = GetEnvironmentVariableW(name.c_str(), buffer, kLineCapacity);
  value.assign(buffer, n < kLineCapacity ? n : 0);
  return n > 0 && n < kLineCapacity;
}

// Like a careless host, a text as long as the plug-in's buffer or longer fills it to the last
// unit and leaves no terminator.
void Store(WideChar* buffer, const WideString& text) {
  WideTraits::copy(buffer, text.c_str(),
                   text.size() < kLineCapacity ? text.size() + 1 : kLineCapacity);
}

}  // namespace

extern "C" {

void RecorderReset(void) {
  script = Script();
  log.clear();
}
void RecorderSetAttribute(int attribute) {
  script.attribute = attribute;
}
void RecorderSetCursorRow(int row) {
  script.row = row;
}
void RecorderFailExpansion(int fail) {
  script.failExpansion = fail != 0;
}
void RecorderScriptEvaluation(const char* expression, const char* result) {
  script.evaluations[Wide(expression)] = {result != nullptr, result ? Wide(result) : WideString()};
}
void RecorderScriptVariable(const char* name, const char* value) {
  script.variables[Wide(name)] = Wide(value);
}
void RecorderScriptColors(const char* description, int foreground, int background) {
  script.colors[Wide(description)] = {foreground, background};
}
const char* RecorderLog(void) {
  return log.c_str();
}

int ExpandVariables(WideChar* text, int flags) {
  Record("ExpandVariables|" + Narrow(text) + "|" + std::to_string(flags));
  if (script.failExpansion) return 1;
  WideString expanded = text;
  ExpandReferences(expanded, static_cast<size_t>(-1), Lookup);
  Store(text, expanded);
  return 0;
}

int Evaluate(WideChar* expression) {
  Record("Evaluate|" + Narrow(expression));
  auto found = script.evaluations.find(expression);
  if (found == script.evaluations.end() || !found->second.first) return 1;
  Store(expression, found->second.second);
  return 0;
}

int Printf(const WideChar* format, ...) {
  va_list args;
  va_start(args, format);
  WideString formatted;
  FormatWideInto(format, args, formatted);
  std::string text = Narrow(formatted);
  va_end(args);
  Record("Printf|" + text);
  return 0;
}

int QPuts(const WideChar* text) {
  Record("QPuts|" + Narrow(text));
  return 0;
}

int CrLf(void) {
  Record("CrLf");
  return 0;
}

int GetAttribute(int* attribute, int*) {
  Record("GetAttribute");
  *attribute = script.attribute;
  return 0;
}

int SetColors(int attribute) {
  Record("SetColors|" + std::to_string(attribute));
  return 0;
}

int ParseColors(const WideChar* description, int* foreground, int* background) {
  Record("ParseColors|" + Narrow(description));
  auto found = script.colors.find(description);
  if (found != script.colors.end()) {
    if (found->second.first != kRecorderUnwritten) *foreground = found->second.first;
    if (found->second.second != kRecorderUnwritten) *background = found->second.second;
  }
  return 0;
}

int GetAbsCursorPosition(int* row, int* column) {
  Record("GetAbsCursorPosition");
  *row = script.row;
  *column = 17;  // the plug-in must not use it
  return 0;
}

}  // extern "C"
