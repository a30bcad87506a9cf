// The library's entry point, called by the loader itself (there is no C runtime start-up code
// before it): success for every notification, and no work of its own.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
  return TRUE;
}
