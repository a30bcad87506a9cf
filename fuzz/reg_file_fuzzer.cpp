// Feeds arbitrary bytes to the registry stand-in's reader as a whole file, asks it for a value
// into a buffer of arbitrary size, and checks the answer against the reference reader: a wrong
// value fails just as a crash does. Then asks the same through the registry functions, from the
// file rewritten in place: the stand-in's cache must answer for the file as it is now, whatever
// file the run before left there.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "fuzz/reference_reg_reader.h"
#include "fuzz/registry_files.h"
#include "platform/posix/reg_file.h"
#include "platform/system.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

const BYTE kUntouched = 0xA5;
const std::u16string kUserRoot = u"HKEY_CURRENT_USER\\";

// The same question through RegOpenKeyExW and RegQueryValueExW, for a key under the user's root.
void CheckThroughTheRegistry(const std::u16string& key, const std::u16string* name,
                             const RegFileAnswer& got, const std::vector<BYTE>& buffer) {
  if (key.compare(0, kUserRoot.size(), kUserRoot) != 0) return;
  HKEY handle;
  LONG opened =
      RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str() + kUserRoot.size(), 0, KEY_READ, &handle);
  Check((opened == ERROR_SUCCESS) == got.keyExists);
  if (opened != ERROR_SUCCESS) return;
  if (name != nullptr) {
    std::vector<BYTE> viaApi(buffer.size(), kUntouched);
    DWORD type = REG_NONE, size = static_cast<DWORD>(viaApi.size());
    LONG queried = RegQueryValueExW(handle, name->c_str(), nullptr, &type,
                                    viaApi.empty() ? nullptr : viaApi.data(), &size);
    Check((queried != ERROR_FILE_NOT_FOUND) == got.valueFound);
    if (got.valueFound) {
      Check(type == got.type && size == got.size && viaApi == buffer);
      Check((queried == ERROR_MORE_DATA) == (!viaApi.empty() && got.size > viaApi.size()));
    }
  }
  Check(RegCloseKey(handle) == ERROR_SUCCESS);
}

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

  static RegistryFiles files;
  RegistryFiles::Write(files.user, &files.userText, file);
  CheckThroughTheRegistry(key, name, got, buffer);
  return 0;
}
