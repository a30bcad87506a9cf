#include "host/host_text.h"

#include <stdio.h>

#include "host/variable_names.h"

namespace {

// Whether what follows `at`, blanks aside, can be the right-hand operand of a remainder.
bool StartsOperand(const WideString& text, size_t at) {
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  if (at == text.size()) return false;
  WideChar c = text[at];
  return IsNameCharacter(c) || c == '.' || c == '(' || c == '%' || c == '[';
}

// Whether the character before `at` ends an operand: a "%" after it can only be a remainder.
bool AfterOperand(const WideString& text, size_t at) {
  if (at == 0) return false;
  WideChar c = text[at - 1];
  return IsNameCharacter(c) || c == '.' || c == ')';
}

}  // namespace

bool ExpandReferences(WideString& text, size_t limit, const VariableLookup& lookup,
                      const CalculationReferences* calculation) {
  WideString out, value;
  for (size_t i = 0; i < text.size(); ++i) {
    size_t start = i + 1, end = WideString::npos;
    WideString name;
    if (text[i] == '%' && start < text.size() && text[start] == '[') {
      end = text.find(']', start);
      if (end != WideString::npos) name = text.substr(start + 1, end - start - 1);
    } else if (text[i] == '%' && start < text.size() && IsNameStart(text[start])) {
      end = start + 1;
      while (end < text.size() && IsNameCharacter(text[end])) ++end;
      name = text.substr(start, end - start);
      bool closed = calculation != nullptr && end < text.size() && text[end] == '%' &&
                    !StartsOperand(text, end + 1);
      end -= closed ? 0 : 1;
    }
    if (end == WideString::npos) {
      out += text[i];  // a "%" that starts no reference stays as it is
    } else if (calculation != nullptr && text[start] != '[' && calculation->keepsText(name)) {
      out.append(text, i, end + 1 - i);
      i = end;
    } else {
      if (calculation != nullptr && AfterOperand(text, i)) out += '%';  // 10%x: 10 mod x
      if (lookup(name, value)) out += value;
      i = end;
    }
    if (out.size() >= limit) return false;
  }
  text = out;
  return true;
}

void FormatWideInto(const WideChar* format, va_list args, WideString& out) {
  out.clear();
  for (const WideChar* p = format; *p != 0; ++p) {
    if (*p != '%' || p[1] == 0) {
      size_t run = 1;  // the text up to the next conversion goes in at once
      while (p[run] != 0 && p[run] != '%') ++run;
      out.append(p, run);
      p += run - 1;
      continue;
    }
    switch (*++p) {
      case 's': {
        const WideChar* text = va_arg(args, const WideChar*);
        if (text != nullptr) out += text;
        break;
      }
      case 'u':
        out += Wide(std::to_string(va_arg(args, unsigned)));
        break;
      case 'd':
        out += Wide(std::to_string(va_arg(args, int)));
        break;
      case 'x': {
        char hex[16];
        snprintf(hex, sizeof hex, "%x", va_arg(args, unsigned));
        out += Wide(hex);
        break;
      }
      case 'c':
        out += static_cast<WideChar>(va_arg(args, int));
        break;
      case '%':
        out += '%';
        break;
      default:
        out += '%';
        out += *p;
    }
  }
}
