// Windows only: Sumbra.dll as the loader and the version APIs see it.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "tests/support/plugin.h"
#include "tests/support/text.h"

namespace {

HMODULE Module() {
  Plugin();  // loads it
  return GetModuleHandleW(L"Sumbra.dll");
}

const IMAGE_NT_HEADERS64* Headers(HMODULE module) {
  auto base = reinterpret_cast<const BYTE*>(module);
  auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  return reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
}

template <typename T>
const T* At(HMODULE module, DWORD rva) {
  return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(module) + rva);
}

TEST(LibraryFileTest, ExportsExactlyTheFourEntryPointsByOrdinal) {
  HMODULE module = Module();
  const IMAGE_NT_HEADERS64* nt = Headers(module);
  EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
  EXPECT_TRUE(nt->FileHeader.Characteristics & IMAGE_FILE_DLL);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  auto exports = At<IMAGE_EXPORT_DIRECTORY>(module, dir.VirtualAddress);
  EXPECT_STREQ(At<char>(module, exports->Name), "Sumbra.dll");
  EXPECT_EQ(exports->Base, 1u);
  ASSERT_EQ(exports->NumberOfFunctions, 4u);
  ASSERT_EQ(exports->NumberOfNames, 4u);

  const char* names[] = {"GetPluginInfo", "InitializePlugin", "ShutdownPlugin", "key"};
  for (unsigned ordinal = 1; ordinal <= 4; ++ordinal) {
    const char* name = names[ordinal - 1];
    void* byName = reinterpret_cast<void*>(GetProcAddress(module, name));
    ASSERT_NE(byName, nullptr) << name;
    EXPECT_EQ(PluginExportByOrdinal(ordinal), byName) << name;
  }
  EXPECT_EQ(PluginExportByOrdinal(5), nullptr);
  EXPECT_EQ(GetProcAddress(module, "Key"), nullptr);  // undecorated and exact
}

// Every imported function, by library: the host's nine services, the environment and registry
// calls, and the few C runtime functions the code calls. A new import is a decision.
TEST(LibraryFileTest, ImportsExactlyWhatThePluginCalls) {
  HMODULE module = Module();
  const IMAGE_DATA_DIRECTORY& dir =
      Headers(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  std::map<std::string, std::set<std::string>> imports;
  for (auto entry = At<IMAGE_IMPORT_DESCRIPTOR>(module, dir.VirtualAddress); entry->Name != 0;
       ++entry) {
    std::string library = At<char>(module, entry->Name);
    for (char& c : library) c = static_cast<char>(toupper(c));
    std::set<std::string>& functions = imports[library];
    for (auto thunk = At<IMAGE_THUNK_DATA64>(module, entry->OriginalFirstThunk);
         thunk->u1.AddressOfData != 0; ++thunk) {
      ASSERT_FALSE(IMAGE_SNAP_BY_ORDINAL64(thunk->u1.Ordinal)) << "imported by name";
      functions.insert(
          At<IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(thunk->u1.AddressOfData))->Name);
    }
  }
  const std::map<std::string, std::set<std::string>> expected = {
      {"ORVANE.DLL",
       {"CrLf", "Evaluate", "ExpandVariables", "GetAbsCursorPosition", "GetAttribute",
        "ParseColors", "Printf", "QPuts", "SetColors"}},
      {"ADVAPI32.DLL", {"RegCloseKey", "RegOpenKeyExW", "RegQueryValueExW"}},
      {"KERNEL32.DLL", {"GetEnvironmentVariableW", "SetEnvironmentVariableW"}},
      {"MSVCRT.DLL", {"_errno", "iswspace", "memcpy", "memmove", "memset", "wcslen", "wcstoul"}}};
  EXPECT_EQ(imports, expected);
}

// The entry point is the plug-in's own: no C runtime start-up code, which brings a TLS
// directory and a .CRT section with it.
TEST(LibraryFileTest, NoRuntimeStartUpCode) {
  HMODULE module = Module();
  const IMAGE_NT_HEADERS64* nt = Headers(module);
  // The entry point is set (a lost one only warns at link time) and says yes to everything.
  DWORD entry = nt->OptionalHeader.AddressOfEntryPoint;
  ASSERT_NE(entry, 0u);
  auto dllMain = reinterpret_cast<BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID)>(
      const_cast<BYTE*>(At<BYTE>(module, entry)));
  for (DWORD reason :
       {DLL_PROCESS_ATTACH, DLL_THREAD_ATTACH, DLL_THREAD_DETACH, DLL_PROCESS_DETACH})
    EXPECT_EQ(dllMain(module, reason, nullptr), TRUE) << reason;
  EXPECT_EQ(nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_TLS].Size, 0u);
  const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
  for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
    std::string name(reinterpret_cast<const char*>(section->Name),
                     strnlen(reinterpret_cast<const char*>(section->Name), 8));
    EXPECT_NE(name, ".CRT");
    EXPECT_NE(name, ".tls");
  }
}

// The version resource, read through the version APIs.
class VersionResourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = Wide(PluginPath());
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    block.resize(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
  }
  std::string String(const char* name) {
    WideString query = Wide(std::string("\\StringFileInfo\\040904b0\\") + name);
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), query.c_str(), &value, &length)) return "<missing>";
    return Narrow(static_cast<const WideChar*>(value));
  }
  WideString path;
  std::vector<BYTE> block;
};

TEST_F(VersionResourceTest, FixedPartDescribesALibraryForWindowsNT) {
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00010001u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00010001u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
  EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
  EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u);

  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 1200);
}

TEST_F(VersionResourceTest, StringsHaveTheirValues) {
  EXPECT_EQ(String("FileDescription"), "Sumbra plugin for Orvane");
  EXPECT_EQ(String("FileVersion"), "1.0.1.1");
  EXPECT_EQ(String("CompanyName"), "Tarrow");
  EXPECT_EQ(String("InternalName"), "Sumbra");
  EXPECT_EQ(String("LegalCopyright"), "Copyright (C) 2026 Tarrow. MIT License.");
  EXPECT_EQ(String("OriginalFilename"), "Sumbra.dll");
  EXPECT_EQ(String("ProductName"), "Sumbra plugin");
  EXPECT_EQ(String("ProductVersion"), "1.0.1.1  (x64)");
  EXPECT_TRUE(std::regex_match(String("Build"),
                               std::regex("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}")))
      << String("Build");
  // The machine's name, cleaned to printable ASCII and cut to 64 characters.
  EXPECT_TRUE(std::regex_match(String("Built On"), std::regex("[A-Za-z0-9._-]{1,64}")))
      << String("Built On");
}

// Walks the raw block: each entry is a length, a value length, a type, a key, then its value
// and children, all aligned to 32 bits.
std::vector<std::string> ChildKeys(const BYTE* entry) {
  auto words = reinterpret_cast<const WORD*>(entry);
  const BYTE* end = entry + words[0];
  auto key = reinterpret_cast<const WideChar*>(entry + 6);
  size_t offset = (6 + (WideTraits::length(key) + 1) * 2 + 3) & ~size_t{3};
  offset = (offset + words[1] * (words[2] == 1 ? 2 : 1) + 3) & ~size_t{3};
  std::vector<std::string> keys;
  for (const BYTE* child = entry + offset; child < end;) {
    auto childWords = reinterpret_cast<const WORD*>(child);
    if (childWords[0] == 0) break;
    keys.push_back(Narrow(reinterpret_cast<const WideChar*>(child + 6)));
    child += (childWords[0] + 3) & ~3;
  }
  return keys;
}

const BYTE* Child(const BYTE* entry, const std::string& wanted) {
  auto words = reinterpret_cast<const WORD*>(entry);
  auto key = reinterpret_cast<const WideChar*>(entry + 6);
  size_t offset = (6 + (WideTraits::length(key) + 1) * 2 + 3) & ~size_t{3};
  offset = (offset + words[1] * (words[2] == 1 ? 2 : 1) + 3) & ~size_t{3};
  for (const BYTE* child = entry + offset; child < entry + words[0];) {
    auto childWords = reinterpret_cast<const WORD*>(child);
    if (Narrow(reinterpret_cast<const WideChar*>(child + 6)) == wanted) return child;
    if (childWords[0] == 0) break;
    child += (childWords[0] + 3) & ~3;
  }
  return nullptr;
}

TEST_F(VersionResourceTest, StringsComeInTheirOrder) {
  const BYTE* strings = Child(block.data(), "StringFileInfo");
  ASSERT_NE(strings, nullptr);
  EXPECT_EQ(ChildKeys(strings), std::vector<std::string>{"040904b0"});
  const BYTE* table = Child(strings, "040904b0");
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(ChildKeys(table),
            (std::vector<std::string>{"FileDescription", "FileVersion", "CompanyName",
                                      "InternalName", "LegalCopyright", "OriginalFilename",
                                      "ProductName", "ProductVersion", "Build", "Built On"}));
}

TEST(LibraryFileTest, ManifestAsksToRunAsTheInvoker) {
  HMODULE module = Module();
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(2), MAKEINTRESOURCEW(24));
  ASSERT_NE(found, nullptr);
  auto text = static_cast<const char*>(LockResource(LoadResource(module, found)));
  std::string manifest(text, SizeofResource(module, found));
  EXPECT_NE(manifest.find("requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\""),
            std::string::npos)
      << manifest;
}

}  // namespace
