// std::string forms of the UTF-8 conversions, for the host, the tools and the tests (the
// plug-in itself works in fixed buffers and never includes this).
#pragma once

#include <string>

#include "platform/utf8.h"

using WideString = std::basic_string<WideChar>;

// UTF-8 to UTF-16; bytes that start no valid sequence become U+FFFD.
inline WideString Wide(const std::string& utf8) {
  WideString out(DecodeUtf8(utf8.c_str(), nullptr, 0) + 1, 0);
  DecodeUtf8(utf8.c_str(), out.data(), out.size());
  out.pop_back();
  return out;
}

// UTF-16 to UTF-8, lone surrogates kept (WTF-8).
inline std::string Narrow(const WideString& text) {
  std::string out(EncodeUtf8(text.c_str(), nullptr, 0) + 1, 0);
  EncodeUtf8(text.c_str(), out.data(), out.size());
  out.pop_back();
  return out;
}
