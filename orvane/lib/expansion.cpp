#include <stdlib.h>

#include <map>

#include "orvane/lib/host.h"

namespace orvane {

namespace {

std::map<std::string, std::string>& HostVariables() {
  static std::map<std::string, std::string> variables;
  return variables;
}

size_t expansionCapacity = 1024;

bool IsNameChar(char16_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

Text Lookup(const Text& name) {
  std::string key = Narrow(name);
  auto found = HostVariables().find(key);
  if (found != HostVariables().end()) return Wide(found->second);
  const char* value = getenv(key.c_str());
  return value ? Wide(value) : Text();
}

}  // namespace

void SetHostVariable(const std::string& name, const std::string& value) {
  HostVariables()[name] = value;
}

void SetExpansionCapacity(size_t capacity) {
  expansionCapacity = capacity;
}

bool ExpandText(Text& text, size_t capacity) {
  Text out;
  for (size_t i = 0; i < text.size(); ++i) {
    size_t start = i + 1, end = start;
    if (text[i] == '%' && start < text.size() && text[start] == '[') {
      end = text.find(']', start);
      if (end != Text::npos) {
        out += Lookup(text.substr(start + 1, end - start - 1));
        i = end;
        if (out.size() >= capacity) return false;
        continue;
      }
    } else if (text[i] == '%') {
      while (end < text.size() && IsNameChar(text[end])) ++end;
      if (end > start) {
        out += Lookup(text.substr(start, end - start));
        i = end - 1;
        if (out.size() >= capacity) return false;
        continue;
      }
    }
    out += text[i];  // a "%" that starts no reference stays as it is
    if (out.size() >= capacity) return false;
  }
  text = out;
  return true;
}

size_t ExpansionCapacity() {
  return expansionCapacity;
}

}  // namespace orvane
