#include "calc/trim.h"

#include "platform/text.h"

void TrimWhitespace(WideChar* text) {
  size_t first = 0, last = 0;
  bool found = false;
  size_t i = 0;
  for (; text[i] != 0; ++i) {
    if (IsWideSpace(text[i])) continue;
    if (!found) first = i;
    found = true;
    last = i;
  }
  if (!found) {
    text[0] = 0;
    return;
  }
  text[last + 1] = 0;
  if (first != 0) WideTraits::move(text, text + first, last + 2 - first);
}
