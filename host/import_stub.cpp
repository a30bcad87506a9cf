// Link-time stand-in for the host library, the counterpart of the import library made from
// Orvane.def on Windows: it gives the plug-in a dependency on "libOrvane.so" whose symbols the
// running host provides. It is never loaded: nothing is installed next to it and the plug-in
// carries no search path to it.
#include "host/orvane.h"

extern "C" {
int ExpandVariables(WideChar*, int) {
  return 1;
}
int Evaluate(WideChar*) {
  return 1;
}
int Printf(const WideChar*, ...) {
  return 0;
}
int QPuts(const WideChar*) {
  return 0;
}
int CrLf(void) {
  return 0;
}
int GetAttribute(int*, int*) {
  return 0;
}
int SetColors(int) {
  return 0;
}
int ParseColors(const WideChar*, int*, int*) {
  return 0;
}
int GetAbsCursorPosition(int*, int*) {
  return 0;
}
}
