#include "tests/recording_host/recorder.h"

#include <stdarg.h>

#include <map>
#include <string>
#include <utility>

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

bool IsNameChar(WideChar c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

WideString Lookup(const WideString& name) {
  auto found = script.variables.find(name);
  if (found != script.variables.end()) return found->second;
  WideChar value[16384];
  DWORD n = GetEnvironmentVariableW(name.c_str(), value, 16384);
  return (n > 0 && n < 16384) ? WideString(value, n) : WideString();
}

// "%name" and "%[name]"; a "%" that starts no name stays.
WideString Expand(const WideString& text) {
  WideString out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    size_t start = i + 1, end = start;
    bool bracketed = start < text.size() && text[start] == '[';
    if (bracketed) {
      end = text.find(']', start);
      if (end == WideString::npos) {
        out += text[i];
        continue;
      }
      out += Lookup(text.substr(start + 1, end - start - 1));
      i = end;
      continue;
    }
    while (end < text.size() && IsNameChar(text[end])) ++end;
    if (end == start) {
      out += text[i];
      continue;
    }
    out += Lookup(text.substr(start, end - start));
    i = end - 1;
  }
  return out;
}

void Store(WideChar* buffer, const WideString& text) {
  WideTraits::copy(buffer, text.c_str(), text.size() + 1);
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
  Store(text, Expand(text));
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
  std::string text;
  for (const WideChar* p = format; *p != 0; ++p) {
    if (*p != '%' || p[1] == 0) {
      WideChar one[2] = {*p, 0};
      text += Narrow(one);
    } else if (*++p == 's') {
      text += Narrow(va_arg(args, const WideChar*));
    } else if (*p == 'u') {
      text += std::to_string(va_arg(args, unsigned));
    } else {
      text += static_cast<char>(*p);
    }
  }
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
