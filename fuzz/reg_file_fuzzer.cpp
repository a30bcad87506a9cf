// Feeds arbitrary bytes to the registry stand-in's reader as a whole file, asks it for a value
// into a buffer of arbitrary size, and checks the answer against the reference reader: a wrong
// value fails just as a crash does.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "fuzz/reference_reg_reader.h"
#include "platform/posix/reg_file.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

const BYTE kUntouched = 0xA5;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  DWORD capacity = in.ConsumeIntegralInRange<DWORD>(0, 4096);
  const std::u16string names[] = {u"Highlight", u""};
  const std::u16string* name =
      in.PickValueInArray<const std::u16string*>({&names[0], &names[1], nullptr});
  const std::u16string keys[] = {u"HKEY_CURRENT_USER\\SOFTWARE\\ZielPlugins\\Sumbra",
                                 u"HKEY_CURRENT_USER\\SOFTWARE", u""};
  const std::u16string& key = in.PickValueInArray(keys);
  std::string file = in.ConsumeRemainingBytesAsString();

  std::vector<BYTE> buffer(capacity, kUntouched);  // exactly the capacity: an overrun is caught
  RegFileAnswer got =
      ParseRegFile(reinterpret_cast<const unsigned char*>(file.data()), file.size(),
                   {key.c_str(), name ? name->c_str() : nullptr, buffer.data(), capacity});
  ReferenceAnswer want = ReferenceRead(ReferenceLines(file), key, name);
  Check(got.keyExists == want.keyExists);
  Check(got.valueFound == want.valueFound);
  // Only the value that counts is written, and only as much of it as fits.
  size_t written = got.valueFound ? std::min<size_t>(want.data.size(), capacity) : 0;
  if (got.valueFound) {
    Check(got.type == want.type && got.size == want.data.size());
    Check(std::string(buffer.begin(), buffer.begin() + written) == want.data.substr(0, written));
  }
  for (size_t i = written; i < capacity; ++i) Check(buffer[i] == kUntouched);
  return 0;
}
