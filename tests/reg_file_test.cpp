// The registry stand-in reads what the registry editor exports.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <vector>

#include "platform/posix/reg_file_cache.h"
#include "tests/support/shown.h"
#include "tests/support/text.h"

using namespace std::string_literals;

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

  // Asks as the registry stand-in does: one look at the file, then the question.
  RegFileAnswer Ask(const char* key, const char* name, BYTE* data, DWORD capacity) {
    WideString keyPath = Wide(key), valueName = Wide(name ? name : "");
    CheckRegFile(kCurrentUserFile, path.c_str());
    return QueryRegFile(kCurrentUserFile,
                        {keyPath.c_str(), name ? valueName.c_str() : nullptr, data, capacity});
  }
  // The value `name` of `key`, as bytes, with its type; "absent" when it is not there, "no key"
  // when neither is.
  std::string Query(const char* key, const char* name, DWORD capacity = 256) {
    std::vector<BYTE> data(capacity);
    RegFileAnswer a = Ask(key, name, data.data(), capacity);
    if (!a.valueFound) return a.keyExists ? "absent" : "no key";
    data.resize(std::min<DWORD>(a.size, capacity));
    return std::to_string(a.type) + ":" + std::to_string(a.size) + ":" +
           std::string(data.begin(), data.end());
  }
  bool KeyExists(const char* key) { return Ask(key, nullptr, nullptr, 0).keyExists; }

  std::string dir, path;
};

const char* const kKey = "HKEY_CURRENT_USER\\SOFTWARE\\ZielPlugins\\Sumbra";
const char* const kSameLengthKey = "HKEY_CURRENT_USER\\SOFTWARE\\ZielPlugins\\Sumbrx";

// UTF-16LE bytes of UTF-8 text.
std::string Utf16(const std::string& utf8, bool terminator = true) {
  std::string out;
  for (WideChar c : Wide(utf8)) out += std::string{char(c & 0xFF), char(c >> 8)};
  return terminator ? out + std::string(2, '\0') : out;
}

const std::string k1E = "1:10:" + Utf16("0x1E");  // what the first of two lines gave

// How the second file of a case replaces the first, in place and at the same size.
enum Rewrite {
  kAtOnce,             // most likely within one tick of the file clock
  kLaterKeepingTimes,  // a few ticks on, the modification time then set back as it was
  kLaterStampedAhead,  // the same, both files stamped a day ahead of the clock
};

struct ValueLine {
  std::string line;
  std::string expected;
  const char* header = kHeader;
  Rewrite rewrite = kAtOnce;
};
std::ostream& operator<<(std::ostream& out, const ValueLine& c) {
  const char* rewrite[] = {"", ", later, same times", ", later, stamped ahead"};
  std::string header = c.header;
  out << Shown(c.line, 40);
  if (c.header != kHeader) out << ", " << header.substr(0, header.find('\r'));
  return out << rewrite[c.rewrite];
}

class ValueLineTest : public RegFileTest, public ::testing::WithParamInterface<ValueLine> {};

// Sets the file's modification time to `stamp` (its status-change time, no one can set).
void Stamp(const std::string& path, const timespec& stamp) {
  timespec times[2] = {stamp, stamp};
  int fd = open(path.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(futimens(fd, times), 0);
  close(fd);
}

TEST_P(ValueLineTest, DecodesEachDataForm) {
  // Each file replaces one of the same size: nothing read from the first may answer for the
  // second, however alike their times.
  Rewrite rewrite = GetParam().rewrite;
  std::string body = std::string("]\r\n") + GetParam().line + "\r\n\"Next\"=\"x\"\r\n";
  Write(GetParam().header + ("[" + std::string(kSameLengthKey) + body));
  struct stat first;
  ASSERT_EQ(stat(path.c_str(), &first), 0);
  if (rewrite == kLaterStampedAhead) first.st_mtim.tv_sec += 24 * 3600;
  if (rewrite != kAtOnce) Stamp(path, first.st_mtim);
  Query(kKey, "Highlight");
  if (rewrite != kAtOnce) usleep(30000);
  Write(GetParam().header + ("[" + std::string(kKey) + body));
  if (rewrite != kAtOnce) Stamp(path, first.st_mtim);
  EXPECT_EQ(Query(kKey, "Highlight"), GetParam().expected) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ValueLineTest,
    ::testing::Values(
        ValueLine{"\"Highlight\"=\"0x4E\"", "1:10:" + Utf16("0x4E")},
        ValueLine{"\"Highlight\"=\"0x4E\"", "1:10:" + Utf16("0x4E"), kHeader, kLaterKeepingTimes},
        ValueLine{"\"Highlight\"=\"0x4E\"", "1:10:" + Utf16("0x4E"), kHeader, kLaterStampedAhead},
        ValueLine{"\"highlight\" = \"a\\\"b\\\\c\"", "1:12:" + Utf16("a\"b\\c")},
        ValueLine{"\"Highlight\"=\"\"", "1:2:" + Utf16("")},
        ValueLine{"\"Highlight\"=hex(2):30,00,78,00,00,00", "2:6:" + Utf16("0x")},
        ValueLine{"\"Highlight\"=hex(1):30,00,\\\r\n  78,00", "1:4:" + Utf16("0x", false)},
        ValueLine{"\"Highlight\"=hex:01,ff", "3:2:\x01\xff"},
        ValueLine{"\"Highlight\"=dword:0000002a", std::string("4:4:*\0\0\0", 8)},
        ValueLine{"\"Highlight\"=-", "absent"}, ValueLine{"\"Highlight\"=\"unterminated", "absent"},
        ValueLine{"\"Highlight\"=hex(2):3", std::string("2:1:\x03")},
        ValueLine{"\"Highlight\"=dword:123456789", "absent"},
        ValueLine{"\"Highlight\"=nonsense", "absent"}, ValueLine{"\"Highlight", "absent"},
        ValueLine{"\"Highlighter\"=\"x\"", "absent"}, ValueLine{"; \"Highlight\"=\"x\"", "absent"},
        // A line that cannot be read leaves the value as it was.
        ValueLine{"\"Highlight\"=\"0x1E\"\r\n\"Highlight\"=\"0x4F", "1:10:" + Utf16("0x1E")},
        ValueLine{"\"Highlight\"=\"0x1E\"\r\n\"Highlight\"=hex(2):30,00,zz",
                  "1:10:" + Utf16("0x1E")},
        // Text after the data other than a comment, or a NUL or \0 in quotes, breaks the line.
        ValueLine{"\"Highlight\"=\"0x1E\"\r\n\"Highlight\"=\"0x4E\"junk", k1E},
        ValueLine{"\"Highlight\"=\"0x\"4E\"", "absent"},
        ValueLine{"\"Highlight\"=\"0x4E\" ; note", "1:10:" + Utf16("0x4E")},
        ValueLine{"\"Highlight\"=\"0x1E\"\r\n\"Highlight\"=-junk", k1E},
        ValueLine{"\"Highlight\"=\"0x1E\"\r\n\"Highlight\"=- ; gone", "absent"},
        ValueLine{"\"Highlight\"=\"0x1E\"\r\n\"Highlight\"=\"0x4E\\0\"", k1E},
        ValueLine{"\"Highlight\"=\"0x1E\"\r\n\"Highlight\"=\"0x4E\0junk\""s, k1E},
        ValueLine{"\"Highlight\"=\"0x1E\"\r\n\"High\0light\"=\"0x4E\""s, k1E},
        // Escapes, the same in names and data.
        ValueLine{"\"High\\light\"=\"0x\\4E\\n\\r\\\\\"", "1:16:" + Utf16("0x4E\n\r\\")},
        // dword: exactly so written, blanks before its digits, a comment after them.
        ValueLine{"\"Highlight\"=\"0x1E\"\r\n\"Highlight\"=dword:1e junk", k1E},
        ValueLine{"\"Highlight\"=\"0x1E\"\r\n\"Highlight\"=DWORD:1e", k1E},
        ValueLine{"\"Highlight\"=dword: 1e ; note", std::string("4:4:\x1e\0\0\0", 8)},
        // Hex lists: bytes of one or two digits (or more, leading zeros), a comma after each
        // but the last, a comment after the list or its backslash, blank and comment lines
        // inside a continued list; the type tag exactly so written.
        ValueLine{"\"Highlight\"=hex(1):30,0,78,0,34,0,45,0,0,0", "1:10:" + Utf16("0x4E")},
        ValueLine{"\"Highlight\"=\"0x1E\"\r\n\"Highlight\"=hex(1):3000780034004500 0000", k1E},
        ValueLine{"\"Highlight\"=\"0x1E\"\r\n\"Highlight\"=hex:01 ,02", k1E},
        ValueLine{"\"Highlight\"=\"0x1E\"\r\n\"Highlight\"=hex:100", k1E},
        ValueLine{"\"Highlight\"=hex(00001):30,00,00,00 ; note", "1:4:" + Utf16("0")},
        ValueLine{"\"Highlight\"=hex(1):30,00,\\ ; note\r\n\r\n ; note\r\n  001,00,00,00",
                  "1:6:" + Utf16("0\x01")},
        ValueLine{"\"Highlight\"=\"0x1E\"\r\n\"Highlight\"=HEX(1):30,00,00,00", k1E},
        ValueLine{"\"Highlight\"=\"0x1E\"\r\n\"Highlight\"=hex(1):30,00,\\ junk\r\n  00,00", k1E},
        ValueLine{"\"Highlight\"=\"0x1E\"\r\n\"Highlight\"=hex(1):30,00,\\\r\n\\\r\n00,00", k1E},
        ValueLine{"\"Highlight\"=\"0x1E\"\r\n\"Highlight\"=hex(1):30,00 \\\r\n  00,00", k1E},
        // A list broken on its first line ends there; on a line it continues on, it takes that
        // line with it.
        ValueLine{"\"Other\"=hex:0z,\\\r\n  \"Highlight\"=\"0x4F\"", "1:10:" + Utf16("0x4F")},
        ValueLine{"\"Other\"=hexagon \\\r\n\"Highlight\"=\"0x4F\"", "1:10:" + Utf16("0x4F")},
        ValueLine{"\"Other\"=hex:01,\\\r\n\"Highlight\"=\"0x4F\"", "absent"},
        // A section line without its "]", or with a blank after "[", leaves the key before it
        // open; a key's name runs to the line's last "]".
        ValueLine{"[HKEY_CURRENT_USER\\Broken\r\n\"Highlight\"=\"x\"", "1:4:" + Utf16("x")},
        ValueLine{"[-HKEY_CURRENT_USER\\SOFTWARE\\ZielPlugins\r\n\"Highlight\"=\"x\"",
                  "1:4:" + Utf16("x")},
        ValueLine{"[ HKEY_CURRENT_USER\\Other]\r\n\"Highlight\"=\"x\"", "1:4:" + Utf16("x")},
        ValueLine{"\"Highlight\"=\"0x1E\"\r\n"
                  "[HKEY_CURRENT_USER\\SOFTWARE\\ZielPlugins\\Sumbra] x]\r\n\"Highlight\"=\"y\"",
                  k1E},
        // Backslashes in a row count as one and one at the end as none, except after the root.
        ValueLine{"[HKEY_CURRENT_USER\\SOFTWARE\\\\ZielPlugins\\Sumbra\\]\r\n\"Highlight\"=\"y\"",
                  "1:4:" + Utf16("y")},
        ValueLine{"\"Highlight\"=\"0x1E\"\r\n"
                  "[HKEY_CURRENT_USER\\\\SOFTWARE\\ZielPlugins\\Sumbra]\r\n\"Highlight\"=\"y\"",
                  k1E},
        ValueLine{"\"Highlight\"=\"x\"\r\n[-HKEY_CURRENT_USER\\SOFTWARE\\ZielPlugins\\]", "no key"},
        // Deleting a key takes its values and subkeys; a later section makes it anew, empty.
        ValueLine{"\"Highlight\"=\"x\"\r\n[-HKEY_CURRENT_USER\\SOFTWARE\\ZielPlugins]", "no key"},
        ValueLine{"[-HKEY_CURRENT_USER\\SOFTWARE\\ZielPlugins\\Sumbra]\r\n\"Highlight\"=\"x\"",
                  "no key"},
        ValueLine{"\"Highlight\"=\"x\"\r\n[-HKEY_CURRENT_USER\\SOFTWARE\\ZielPlugins\\SUMBRA]\r\n"
                  "[HKEY_CURRENT_USER\\SOFTWARE\\ZielPlugins\\Sumbra\\Deeper]",
                  "absent"},
        // A root cannot be deleted.
        ValueLine{"\"Highlight\"=\"x\"\r\n[-HKEY_CURRENT_USER]\r\n[-HKEY_CURRENT_USER\\]",
                  "1:4:" + Utf16("x")},
        ValueLine{"\"Highlight\"=\"x\"\r\n[-HKEY_CURRENT_USER\\SOFTWARE]\r\n"
                  "[HKEY_CURRENT_USER\\SOFTWARE\\ZielPlugins\\Sumbra]\r\n\"Highlight\"=\"y\"",
                  "1:4:" + Utf16("y")},
        ValueLine{
            "\"Highlight\"=\"x\"\r\n[-HKEY_CURRENT_USER\\SOFTWARE\\ZielPlugins\\Sumbra\\A]\r\n"
            "[-HKEY_CURRENT_USER\\SOFTWARE\\ZielPlugins\\SumbraX]",
            "1:4:" + Utf16("x")},
        // The older 8-bit format: Windows-1252.
        ValueLine{"\"Highlight\"=\"\xe9\x80\"", std::string("1:6:\xe9\0\xac\x20\0\0", 10),
                  "REGEDIT4\r\n\r\n"},
        ValueLine{"\"Highlight\"=\"\x80\x81\x82\x83\x84\x85\x86\x87\x88\x89\x8a\x8b\x8c\x8d\x8e\x8f"
                  "\x90\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9a\x9b\x9c\x9d\x9e\x9f\"",
                  "1:66:" + Utf16("€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008dŽ\u008f\u0090‘’“”•–—˜™š›œ\u009džŸ"),
                  "REGEDIT4\r\n\r\n"},
        // Text given in hex there is 8-bit too, and gets its terminator.
        ValueLine{"\"Highlight\"=hex(1):30,78,34,45,00", "1:10:" + Utf16("0x4E"),
                  "REGEDIT4\r\n\r\n"},
        ValueLine{"\"Highlight\"=hex(2):30,80", "2:6:" + Utf16("0€"), "REGEDIT4\r\n\r\n"},
        ValueLine{"\"Highlight\"=hex(3):30,80", "3:2:0\x80", "REGEDIT4\r\n\r\n"}));

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
  usleep(30000);  // past the tick of the write, so the size query's answer is kept
  EXPECT_EQ(Ask(kKey, "Highlight", nullptr, 0).size, 22u);  // it keeps no data
  EXPECT_EQ(Query(kKey, "Highlight", 4), "1:22:" + Utf16("01", false));
}

TEST_F(RegFileTest, OnlyReadableFilesHoldKeys) {
  const std::string section = "[" + std::string(kKey) + "]\r\n\"Highlight\"=\"x\"\r\n";
  const std::string largest = kHeader + section + ";";
  const struct {
    std::string bytes;
    bool holdsKey;
  } files[] = {{"", false},
               {"REGEDIT5\r\n" + section, false},
               {"REGEDIT40\r\n" + section, false},
               {"\xff\xfe", false},
               {std::string(70000, '\n'), false},
               {"Windows Registry Editor", false},
               {std::string(kLargestRegFile, 'W'), false},
               {largest + std::string(kLargestRegFile - largest.size(), ';'), true},
               {largest + std::string(kLargestRegFile + 1 - largest.size(), ';'), false},
               {kHeader + section + std::string(kLargestRegFile, ';'), false}};
  for (const auto& file : files) {
    Write(file.bytes);
    EXPECT_EQ(KeyExists(kKey), file.holdsKey) << file.bytes.size() << " bytes";
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
