// Feeds arbitrary bytes to the registry stand-in's file reader, asking for a value into a buffer
// of arbitrary size.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/posix/reg_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  static const std::string path = "/tmp/sumbra-fuzz-" + std::to_string(getpid()) + ".reg";
  static const int cleanup =
      atexit([] { unlink(("/tmp/sumbra-fuzz-" + std::to_string(getpid()) + ".reg").c_str()); });
  (void)cleanup;
  DWORD capacity = in.ConsumeIntegralInRange<DWORD>(0, 4096);
  const WideChar* names[] = {W("Highlight"), W(""), nullptr};
  const WideChar* name = in.PickValueInArray(names);
  const WideChar* keys[] = {W("HKEY_CURRENT_USER\\SOFTWARE\\ZielPlugins\\Sumbra"),
                            W("HKEY_CURRENT_USER\\SOFTWARE"), W("")};
  const WideChar* key = in.PickValueInArray(keys);
  std::string bytes = in.ConsumeRemainingBytesAsString();
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;

  std::vector<BYTE> buffer(capacity);  // exactly the capacity: an overrun is caught
  RegFileAnswer answer = ReadRegFile(path.c_str(), {key, name, buffer.data(), capacity});
  if (answer.valueFound && !answer.keyExists) __builtin_trap();
  return 0;
}
