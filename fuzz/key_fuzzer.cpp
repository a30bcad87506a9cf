// Drives `key`, initialisation and the highlight selection with arbitrary lines, keys, host
// answers and Highlight settings from the environment and from every registry location.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "calc/calculator.h"
#include "calc/highlight.h"
#include "fuzz/fuzz_host.h"
#include "fuzz/registry_files.h"
#include "platform/system.h"
#include "platform/utf8_string.h"
#include "shell/lifecycle.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

WideString Units(FuzzedDataProvider& in, size_t most) {
  size_t length = in.ConsumeIntegralInRange<size_t>(0, most);
  WideString text;
  for (size_t i = 0; i < length && in.remaining_bytes() > 0; ++i) {
    WideChar unit = in.ConsumeIntegral<uint16_t>();
    if (unit == 0) unit = ' ';
    text += unit;
  }
  return text;
}

// One registry file: a header (usually right), the two keys, values of any type and size.
std::string RegistryFile(FuzzedDataProvider& in, const char* root) {
  std::string text = in.ConsumeBool() ? "Windows Registry Editor Version 5.00\r\n" : "";
  int sections = in.ConsumeIntegralInRange(0, 3);
  for (int s = 0; s < sections; ++s) {
    text += std::string("[") + root +
            (in.ConsumeBool() ? "\\SOFTWARE\\ZielPlugins]\r\n"
                              : "\\SOFTWARE\\ZielPlugins\\Sumbra]\r\n");
    switch (in.ConsumeIntegralInRange(0, 4)) {
      case 0:
        text += "\"Highlight\"=\"" + Narrow(Units(in, 1100)) + "\"\r\n";
        break;
      case 1: {
        text += "\"Highlight\"=hex(" + std::to_string(in.ConsumeIntegralInRange(0, 11)) + "):";
        size_t bytes = in.ConsumeIntegralInRange<size_t>(0, 2100);
        for (size_t i = 0; i < bytes; ++i) {
          uint8_t byte = in.ConsumeIntegral<uint8_t>();
          if (i > 0) text += ',';
          text += "0123456789abcdef"[byte >> 4];
          text += "0123456789abcdef"[byte & 15];
        }
        text += "\r\n";
        break;
      }
      case 2:
        text += "\"Highlight\"=dword:" + std::to_string(in.ConsumeIntegral<uint16_t>()) + "\r\n";
        break;
      case 3:
        text += in.ConsumeRandomLengthString(200) + "\r\n";
        break;
      default:
        text += "\"Highlight\"=-\r\n";
    }
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  FuzzScript& script = Script();
  script = FuzzScript();

  // Highlight settings.
  static RegistryFiles files;
  RegistryFiles::Write(files.user, &files.userText, RegistryFile(in, "HKEY_CURRENT_USER"));
  RegistryFiles::Write(files.machine, &files.machineText, RegistryFile(in, "HKEY_LOCAL_MACHINE"));
  if (in.ConsumeBool()) {
    WideString highlight = Units(in, 1100);
    SetEnvironmentVariableW(W("Highlight"), highlight.c_str());
  } else {
    SetEnvironmentVariableW(W("Highlight"), nullptr);
  }

  // Host answers.
  script.attribute = in.ConsumeIntegralInRange(0, 0xFFFF);
  script.parseColorsAnswers = in.ConsumeBool();
  const int colours[] = {-1, 64, 0, 7, 15, 16, -5, 1000};
  script.foreground = in.ConsumeBool() ? in.PickValueInArray(colours) : in.ConsumeIntegral<int>();
  script.background = in.ConsumeBool() ? in.PickValueInArray(colours) : in.ConsumeIntegral<int>();
  script.row = in.ConsumeIntegral<int>();

  // Initialisation, with a version and a quiet answer of the fuzzer's choosing.
  if (in.ConsumeBool()) {
    script.expansionCapacity = kStartupCapacity;
    script.expansionKeepsText = false;
    script.expansion = Units(in, kStartupCapacity - 1);
    Check(InitializePlugin() == 0);
    Check(GetPluginInfo() == GetPluginInfo());
  }
  script.expansionCapacity = kLineCapacity;
  script.expansionKeepsText = in.ConsumeBool();
  script.expansion = Units(in, kLineCapacity - 1);
  script.expansionStatus = in.ConsumeBool() ? 0 : in.ConsumeIntegral<int>();
  script.evaluation = Units(in, kLineCapacity - 1);
  script.evaluationStatus = in.ConsumeBool() ? 0 : in.ConsumeIntegral<int>();

  unsigned char saved = 0x5A;
  int highlight = SelectHighlight(in.ConsumeBool() ? &saved : nullptr);
  (void)highlight;

  // The keystroke.
  struct {
    KeyInfo info;
    unsigned char tail[16];
  } record;
  memset(&record, 0xA5, sizeof record);
  const int codes[] = {0, 13, 10, '=', 0x10D};
  record.info.keyCode = in.ConsumeBool() ? in.PickValueInArray(codes) : in.ConsumeIntegral<int>();
  WideString name = in.ConsumeBool() ? WideString(W("Enter")) : Units(in, 8);
  record.info.keyName = in.ConsumeBool() ? name.c_str() : nullptr;
  WideString line;
  const WideChar firsts[] = {'=', ':', ' ', 0x3000};
  if (in.ConsumeBool()) line += in.PickValueInArray(firsts);
  line += Units(in, in.ConsumeBool() ? 64 : 20000);
  WideString buffer = line;
  buffer.push_back(0);
  record.info.line = in.ConsumeBool() ? buffer.data() : nullptr;

  Check(key(&record.info) == 0);

  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&record);
  for (size_t i : {20, 21, 22, 23, 32, 39, 40, 47}) Check(bytes[i] == 0xA5);
  for (unsigned char b : record.tail) Check(b == 0xA5);
  if (record.info.line != nullptr && !line.empty()) {
    Check(buffer.substr(1, line.size() - 1) == line.substr(1));  // only the first may change
    Check(buffer[0] == line[0] || (line[0] == '=' && buffer[0] == ':'));
  }
  return 0;
}
