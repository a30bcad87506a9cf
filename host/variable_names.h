// The one rule for a variable's name after "%", shared by every stand-in for the host: a letter
// or "_" first, then letters, digits and "_" (so that "10%3" is a remainder, not a reference).
#pragma once

inline bool IsNameStart(unsigned c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
inline bool IsNameCharacter(unsigned c) {
  return IsNameStart(c) || (c >= '0' && c <= '9');
}
