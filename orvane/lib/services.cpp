// The nine services the plug-in imports, over the console, the variables and the evaluator.
// No exception leaves a service: each one catches everything at its boundary.
#include "orvane/lib/services.h"

#include <stdarg.h>

#include <set>

#include "host/host_text.h"
#include "host/orvane.h"
#include "orvane/lib/colors.h"
#include "orvane/lib/console.h"
#include "orvane/lib/display.h"
#include "orvane/lib/evaluator.h"
#include "orvane/lib/messages.h"
#include "orvane/lib/variables.h"

using orvane::Text;

namespace {

bool initialising = false;
// The undefined variables that the plug-in's last expansion met, until a calculation or the end
// of the line reports them.
std::vector<Text> pendingUndefined;
// The colour descriptions ParseColors could not read, each warned about once.
std::set<Text> unreadableColors;

// The text as UTF-8 in `out`, converted in one pass.
void NarrowInto(const WideChar* text, std::string& out) {
  out.resize(3 * std::char_traits<WideChar>::length(text) + 1);  // the most a code unit takes
  out.resize(EncodeUtf8(text, out.data(), out.size()));
}

void Store(WideChar* buffer, const Text& text) {
  std::char_traits<char16_t>::copy(buffer, text.c_str(), text.size() + 1);
}

// Runs a service's body; an exception never crosses the boundary: it becomes `onError`, and a
// failure when `onError` reports one.
template <typename Body>
int Guarded(int onError, Body body) {
  try {
    return body();
  } catch (...) {
    if (onError != 0) orvane::NoteFailure();
    return onError;
  }
}

}  // namespace

namespace orvane {

void SetInitialising(bool starting) {
  initialising = starting;
}

void WarnAboutUndefinedVariables() {
  if (pendingUndefined.empty()) return;
  std::vector<Text> names;
  names.swap(pendingUndefined);
  WarnAboutUndefined(names);
}

}  // namespace orvane

extern "C" {

// While the plug-in initialises, expansion is silent: its messages are meant for command lines.
int ExpandVariables(WideChar* text, int) {
  return Guarded(1, [&] {
    if (text == nullptr) return 1;
    Text expanded = text;
    std::vector<Text> undefined;
    // Outside initialisation, the plug-in expands only the calculations.
    if (!orvane::ExpandText(expanded, initialising ? kStartupCapacity : kLineCapacity, &undefined,
                            !initialising)) {
      if (initialising) return 1;
      orvane::HostMessage("the line is too long after variable expansion");
      orvane::NoteFailure();
      return 1;
    }
    if (!initialising) pendingUndefined = undefined;
    Store(text, expanded);
    return 0;
  });
}

int Evaluate(WideChar* expression) {
  return Guarded(1, [&] {
    if (expression == nullptr) return 1;
    // Kept from one calculation to the next, so that their room is allocated once.
    static std::string utf8, result, error;
    NarrowInto(expression, utf8);
    result.clear();
    error.clear();
    size_t position = 0;
    if (!orvane::EvaluateExpression(utf8, result, error, &position)) {
      // What went wrong may well be the variable that expanded to nothing: name it here.
      if (!pendingUndefined.empty()) {
        error += " (" + orvane::UndefinedVariables(pendingUndefined) + ")";
      }
      pendingUndefined.clear();
      orvane::PositionMessage(error, expression, position);
      orvane::NoteFailure();
      return 1;
    }
    if (DecodeUtf8(result.c_str(), expression, kLineCapacity) >= kLineCapacity) {
      orvane::NoteFailure();
      return 1;
    }
    return 0;
  });
}

int Printf(const WideChar* format, ...) {
  if (format == nullptr) return 0;
  va_list args;
  va_start(args, format);
  Guarded(0, [&] {
    static Text text;  // kept from call to call, so that its room is allocated once
    FormatWideInto(format, args, text);
    orvane::ConsoleWrite(text);
    return 0;
  });
  va_end(args);
  return 0;
}

int QPuts(const WideChar* text) {
  return Guarded(0, [&] {
    orvane::ConsoleWrite(text ? std::u16string_view(text) : std::u16string_view());
    return 0;
  });
}

int CrLf(void) {
  return Guarded(0, [] {
    orvane::ConsoleEndLine();
    return 0;
  });
}

int GetAttribute(int* attribute, int* other) {
  if (attribute) *attribute = orvane::Console().attribute;
  if (other) *other = orvane::Console().attribute;
  return 0;
}

int SetColors(int attribute) {
  return Guarded(0, [&] {
    orvane::ConsoleSetAttribute(attribute);
    return 0;
  });
}

// A description it cannot read leaves both as they were: the plug-in then shows the result in
// the current colours and says nothing, so the host names the text, once a session.
int ParseColors(const WideChar* description, int* foreground, int* background) {
  return Guarded(0, [&] {
    if (description == nullptr) return 0;
    int fg, bg;
    if (orvane::ParseColorDescription(description, fg, bg)) {
      if (foreground) *foreground = fg;
      if (background) *background = bg;
    } else if (unreadableColors.insert(description).second) {
      orvane::HostMessage("warning: \"" + orvane::ShownUtf8(description) +
                          "\" is not a colour description (such as \"bright red on blue\")");
    }
    return 0;
  });
}

int GetAbsCursorPosition(int* row, int* column) {
  if (row) *row = orvane::Console().row;
  if (column) *column = orvane::Console().column;
  return 0;
}

}  // extern "C"
