#include "calc/highlight.h"

#include "host/orvane.h"
#include "identity/identity.h"
#include "platform/system.h"
#include "platform/text.h"

#define SUMBRA_PLUGINS_KEY "SOFTWARE\\ZielPlugins"

namespace {

// Highlight attributes indexed by the current background: the default, and the alternate used
// when the console already shows the default.
const unsigned char defaultHighlight[16] = {0x0F, 0x1F, 0x2F, 0x3F, 0x4F, 0x5F, 0x6F, 0x70,
                                            0x8F, 0x9F, 0xA0, 0xB0, 0xCF, 0xD0, 0xE0, 0xF2};
const unsigned char alternateHighlight[16] = {0x0E, 0x1B, 0x2B, 0x3E, 0x4B, 0x5B, 0x6B, 0x79,
                                              0x8B, 0x9B, 0xA9, 0xB9, 0xC0, 0xDE, 0xEC, 0xF0};

const DWORD kSettingCapacity = 1024;  // characters, terminator included
const int kNotGiven = -1;

// Reads "Highlight" from one registry location into `setting`. The value counts only when it is
// a non-empty REG_SZ; it is taken up to the length the query reports, and a value that leaves no
// room for a terminator does not count.
bool ReadRegistrySetting(HKEY root, const WideChar* subKey, WideChar* setting) {
  setting[0] = 0;
  HKEY key;
  if (RegOpenKeyExW(root, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD type = REG_NONE;
  DWORD size = kSettingCapacity * sizeof(WideChar);
  LONG status = RegQueryValueExW(key, W("Highlight"), nullptr, &type,
                                 reinterpret_cast<BYTE*>(setting), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_SZ) return false;
  DWORD length = size / sizeof(WideChar);
  if (length >= kSettingCapacity) {
    if (WideLengthUpTo(setting, kSettingCapacity) == kSettingCapacity) return false;
  } else {
    setting[length] = 0;
  }
  return setting[0] != 0;
}

// The first non-empty "Highlight": the environment, then the registry, the plug-in's own key
// before the one shared by all plug-ins, the user's before the machine's.
bool FindSetting(WideChar* setting) {
  DWORD length = GetEnvironmentVariableW(W("Highlight"), setting, kSettingCapacity);
  if (length > 0 && length < kSettingCapacity && setting[0] != 0) return true;

  const WideChar* ownKey = W(SUMBRA_PLUGINS_KEY) W("\\") W(SUMBRA_NAME_TEXT);
  const WideChar* sharedKey = W(SUMBRA_PLUGINS_KEY);
  const HKEY roots[2] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};
  for (const WideChar* subKey : {ownKey, sharedKey}) {
    for (HKEY root : roots) {
      if (ReadRegistrySetting(root, subKey, setting)) return true;
    }
  }
  return false;
}

// A colour that stands out from the current one when the user set none.
int Contrasting(int attr, int fg, int bg) {
  if ((bg & 8) != 0 || (fg & 8) != 0 || fg == 0) {
    int preferred = defaultHighlight[bg];
    return attr == preferred ? alternateHighlight[bg] : preferred;
  }
  return attr | 8;
}

// Fills the requested foreground and background from the setting text: "inv..." swaps the
// current colours, "0x.." is an attribute in hexadecimal, anything else is the host's colour
// description.
void ReadRequest(const WideChar* setting, int attr, int bg, int* F, int* B) {
  if (AsciiStartsWithNoCase(setting, W("inv"))) {
    *F = bg;
    *B = attr & 7;
  } else if (!AsciiStartsWithNoCase(setting, W("0x"))) {
    ParseColors(setting, F, B);
  } else {
    WideChar* end = nullptr;
    bool outOfRange = false;
    uint32_t value = WideToU32(setting + 2, &end, 16, &outOfRange);
    if (!outOfRange && end != nullptr && *end == 0) {
      *F = static_cast<int>(value & 15);
      *B = static_cast<int>((value >> 4) & 15);
    }
  }
}

// F | (B << 4) in unsigned arithmetic: the host may answer with any int, and only the low byte
// of the result is used.
int Combine(int F, int B) {
  return static_cast<int>(static_cast<unsigned>(F) | (static_cast<unsigned>(B) << 4));
}

// Turns the request into an attribute; the current one when the request is unreadable, would
// make text invisible, or asks for exactly the current colours.
int Decide(int F, int B, int attr, int fg, int bg) {
  int current = attr & 0xFF;
  if (B == 64) {  // the host's way of saying "no background given"
    if (F < 0) return current;
    if (F <= 15) B = kNotGiven;
  }
  if (F < 0) return current;
  if (B >= 0) return (F != B && (F != fg || B != bg)) ? Combine(F, B) : current;
  if (B == kNotGiven) return (F != fg && F != bg) ? Combine(F, bg) : current;
  return current;
}

}  // namespace

int SelectHighlight(unsigned char* savedAttribute) {
  int attr = 0, unused = 0;
  GetAttribute(&attr, &unused);
  if (savedAttribute != nullptr) *savedAttribute = static_cast<unsigned char>(attr & 0xFF);
  int fg = attr & 15, bg = (attr >> 4) & 15;
  if (fg == bg) return 7;

  WideChar setting[kSettingCapacity] = {};
  if (!FindSetting(setting)) return Contrasting(attr, fg, bg);

  int F = kNotGiven, B = kNotGiven;
  ReadRequest(setting, attr, bg, &F, &B);
  return Decide(F, B, attr, fg, bg);
}
