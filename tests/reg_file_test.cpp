// The registry stand-in reads what the registry editor exports.
#include "platform/posix/reg_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <vector>

#include "tests/support/text.h"

namespace {

const char* const kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";

class RegFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/sumbra-regfile-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    path = dir + "/test.reg";
  }
  void TearDown() override {
    unlink(path.c_str());
    rmdir(dir.c_str());
  }
  void Write(const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

  // The value `name` of `key`, as bytes, with its type; "absent" when it is not there.
  std::string Query(const char* key, const char* name, DWORD capacity = 256) {
    WideString keyPath = Wide(key), valueName = Wide(name);
    std::vector<BYTE> data(capacity);
    RegFileAnswer a =
        ReadRegFile(path.c_str(), {keyPath.c_str(), valueName.c_str(), data.data(), capacity});
    if (!a.valueFound) return "absent";
    data.resize(std::min<DWORD>(a.size, capacity));
    return std::to_string(a.type) + ":" + std::to_string(a.size) + ":" +
           std::string(data.begin(), data.end());
  }
  bool KeyExists(const char* key) {
    WideString keyPath = Wide(key);
    return ReadRegFile(path.c_str(), {keyPath.c_str(), nullptr, nullptr, 0}).keyExists;
  }

  std::string dir, path;
};

const char* const kKey = "HKEY_CURRENT_USER\\SOFTWARE\\ZielPlugins\\Sumbra";

std::string Utf16(const std::string& ascii, bool terminator = true) {
  std::string out;
  for (char c : ascii) out += std::string{c, '\0'};
  return terminator ? out + std::string(2, '\0') : out;
}

struct ValueLine {
  const char* line;
  std::string expected;
};
std::ostream& operator<<(std::ostream& out, const ValueLine& c) {
  return out << c.line;
}

class ValueLineTest : public RegFileTest, public ::testing::WithParamInterface<ValueLine> {};

TEST_P(ValueLineTest, DecodesEachDataForm) {
  Write(std::string(kHeader) + "[" + kKey + "]\r\n" + GetParam().line + "\r\n\"Next\"=\"x\"\r\n");
  EXPECT_EQ(Query(kKey, "Highlight"), GetParam().expected) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ValueLineTest,
    ::testing::Values(
        ValueLine{"\"Highlight\"=\"0x4E\"", "1:10:" + Utf16("0x4E")},
        ValueLine{"\"highlight\" = \"a\\\"b\\\\c\"", "1:12:" + Utf16("a\"b\\c")},
        ValueLine{"\"Highlight\"=\"\"", "1:2:" + Utf16("")},
        ValueLine{"\"Highlight\"=hex(2):30,00,78,00,00,00", "2:6:" + Utf16("0x")},
        ValueLine{"\"Highlight\"=hex(1):30,00,\\\r\n  78,00", "1:4:" + Utf16("0x", false)},
        ValueLine{"\"Highlight\"=hex:01,ff", "3:2:\x01\xff"},
        ValueLine{"\"Highlight\"=dword:0000002a", std::string("4:4:*\0\0\0", 8)},
        ValueLine{"\"Highlight\"=-", "absent"}, ValueLine{"\"Highlight\"=\"unterminated", "absent"},
        ValueLine{"\"Highlight\"=hex(2):3", "absent"},
        ValueLine{"\"Highlight\"=dword:123456789", "absent"},
        ValueLine{"\"Highlight\"=nonsense", "absent"}, ValueLine{"\"Highlight", "absent"},
        ValueLine{"\"Highlighter\"=\"x\"", "absent"},
        ValueLine{"; \"Highlight\"=\"x\"", "absent"}));

TEST_F(RegFileTest, ReadsUtf16FilesWithTheirByteOrderMark) {
  std::string text = std::string(kHeader) + "[" + kKey + "]\r\n\"Highlight\"=\"\u00e9\"\r\n";
  WideString wide = Wide(text);
  std::string bytes = "\xff\xfe";
  for (WideChar c : wide) bytes += std::string{char(c & 0xFF), char(c >> 8)};
  Write(bytes);
  EXPECT_EQ(Query(kKey, "Highlight"), "1:4:\xe9" + std::string(3, '\0'));
}

TEST_F(RegFileTest, KeysMatchWithoutCaseAndParentsExist) {
  Write("\xef\xbb\xbf" + std::string(kHeader) +
        "[hkey_current_user\\software\\zielplugins\\SUMBRA\\Deeper]\n\"Highlight\"=\"deep\"\n"
        "[HKEY_CURRENT_USER\\SOFTWARE\\ZielPlugins\\Sumbra]\n@=\"default\"\n"
        "\"Highlight\"=\"first\"\n\"Highlight\"=\"last\"\n"
        "[HKEY_CURRENT_USER\\SOFTWARE\\ZielPluginsX]\n\"Highlight\"=\"other\"\n");
  EXPECT_EQ(Query(kKey, "HIGHLIGHT"), "1:10:" + Utf16("last"));
  EXPECT_EQ(Query(kKey, ""), "1:16:" + Utf16("default"));
  EXPECT_TRUE(KeyExists("HKEY_CURRENT_USER\\SOFTWARE\\ZielPlugins"));
  EXPECT_TRUE(KeyExists("HKEY_CURRENT_USER\\SOFTWARE"));
  EXPECT_FALSE(KeyExists("HKEY_CURRENT_USER\\SOFTWARE\\Ziel"));
  EXPECT_FALSE(KeyExists("HKEY_LOCAL_MACHINE\\SOFTWARE"));
}

TEST_F(RegFileTest, ReportsTheFullSizeWhenTheDataDoesNotFit) {
  Write(std::string(kHeader) + "[" + kKey + "]\n\"Highlight\"=\"0123456789\"\n");
  EXPECT_EQ(Query(kKey, "Highlight", 4), "1:22:" + Utf16("01", false));
}

TEST_F(RegFileTest, UnreadableFilesHoldNothing) {
  const std::string bad[] = {"", "REGEDIT5\r\n[" + std::string(kKey) + "]\r\n\"Highlight\"=\"x\"",
                             "\xff\xfe", std::string(70000, '\n'), "Windows Registry Editor"};
  for (const std::string& bytes : bad) {
    Write(bytes);
    EXPECT_FALSE(KeyExists(kKey));
  }
  unlink(path.c_str());
  EXPECT_FALSE(KeyExists(kKey));
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);  // would block a plain open
  EXPECT_FALSE(KeyExists(kKey));
}

TEST_F(RegFileTest, RegistryCallsReadTheConfiguredFiles) {
  Write(std::string(kHeader) + "[" + kKey + "]\n\"Highlight\"=\"0x4E\"\n");
  setenv("SUMBRA_HKCU_REG", path.c_str(), 1);
  setenv("SUMBRA_HKLM_REG", (dir + "/missing.reg").c_str(), 1);
  HKEY key = nullptr;
  EXPECT_EQ(
      RegOpenKeyExW(HKEY_LOCAL_MACHINE, W("SOFTWARE\\ZielPlugins\\Sumbra"), 0, KEY_READ, &key),
      ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, W("SOFTWARE\\ZielPlugins\\Sumbra"), 0, KEY_READ, &key),
            ERROR_SUCCESS);
  WideChar data[8] = {};
  DWORD type = 0, size = sizeof data;
  EXPECT_EQ(
      RegQueryValueExW(key, W("Highlight"), nullptr, &type, reinterpret_cast<BYTE*>(data), &size),
      ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(WideString(data), Wide("0x4E"));
  size = 4;
  EXPECT_EQ(
      RegQueryValueExW(key, W("Highlight"), nullptr, &type, reinterpret_cast<BYTE*>(data), &size),
      ERROR_MORE_DATA);
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(RegQueryValueExW(key, W("Missing"), nullptr, &type, nullptr, nullptr),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegQueryValueExW(key, W("Highlight"), nullptr, &type, nullptr, nullptr),
            ERROR_INVALID_HANDLE);
  unsetenv("SUMBRA_HKCU_REG");
  unsetenv("SUMBRA_HKLM_REG");
}

}  // namespace
