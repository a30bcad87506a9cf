// UTF-8 literals in tests, UTF-16 at the boundary.
#pragma once

#include <string>

#include "platform/utf8.h"

using WideString = std::basic_string<WideChar>;

inline WideString Wide(const std::string& utf8) {
  WideString out(DecodeUtf8(utf8.c_str(), nullptr, 0) + 1, 0);
  DecodeUtf8(utf8.c_str(), out.data(), out.size());
  out.pop_back();
  return out;
}

inline std::string Narrow(const WideString& text) {
  std::string out(EncodeUtf8(text.c_str(), nullptr, 0) + 1, 0);
  EncodeUtf8(text.c_str(), out.data(), out.size());
  out.pop_back();
  return out;
}
