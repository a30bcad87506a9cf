#include "orvane/lib/host.h"
#include "platform/utf8.h"

namespace orvane {

Text ToText(const std::string& utf8) {
  Text out(DecodeUtf8(utf8.c_str(), nullptr, 0) + 1, 0);
  DecodeUtf8(utf8.c_str(), out.data(), out.size());
  out.pop_back();
  return out;
}

std::string ToUtf8(const Text& text) {
  std::string out(EncodeUtf8(text.c_str(), nullptr, 0) + 1, 0);
  EncodeUtf8(text.c_str(), out.data(), out.size());
  out.pop_back();
  return out;
}

}  // namespace orvane
