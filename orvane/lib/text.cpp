#include "orvane/lib/host.h"
#include "platform/utf8_string.h"

namespace orvane {

Text ToText(const std::string& utf8) {
  return Wide(utf8);
}

std::string ToUtf8(const Text& text) {
  return Narrow(text);
}

}  // namespace orvane
