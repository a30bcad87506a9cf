// Windows only: a host may call `key` with little of its thread's stack left. Ordinary keys,
// Enter on a line that is not a calculation, and a "=" that is rewritten and then ignored must
// not need more than that; only a calculation needs its 64 KiB. A stack overflow ends the whole
// process, so each case runs in a child process (this program, started again with the case's
// number) and the test looks at how that child ended.
#include <gtest/gtest.h>
#include <malloc.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include <iterator>
#include <string>

#include "tests/recording_host/recorder.h"
#include "tests/support/plugin.h"
#include "tests/support/text.h"

namespace {

// What is left of the stack when `key` is called. The old handler probed 64 KiB before it looked
// at the key, and died here.
const size_t kHeadroom = 24 * 1024;

struct HeadroomCase {
  const char* name;
  int keyCode;
  const char* line;
  bool littleStack;       // only kHeadroom left, or the thread's whole stack
  const char* lineAfter;  // the host's buffer afterwards
  bool calculates;        // the result is shown; otherwise the host hears nothing
  DWORD exitCode;         // how the child ends: 0, or dead of the stack overflow
};

const HeadroomCase kCases[] = {
    {"OrdinaryKey", '7', "=6*", true, "=6*", false, 0},
    {"Backspace", 8, "=6*", true, "=6*", false, 0},
    {"EnterOnOtherLine", 13, "echo hello", true, "echo hello", false, 0},
    {"EnterRewritesEqualsWithNothingToCalculate", 13, "=  ", true, ":  ", false, 0},
    {"CalculationOnTheWholeStack", 13, "=6*7", false, ":6*7", true, 0},
    // The check on the others: a calculation with only the headroom left does overflow.
    {"CalculationWithLittleStackOverflows", 13, "=6*7", true, ":6*7", false,
     EXCEPTION_STACK_OVERFLOW},
};

const char kCaseOption[] = "--headroom-case";

// Calls `key` once this thread's stack is used up to the last kHeadroom bytes. The stack's
// lowest address is the base of the region it was reserved as.
__attribute__((noinline)) void PressWithLittleStack(int (*key)(KeyInfo*), KeyInfo* info) {
  MEMORY_BASIC_INFORMATION stack = {};
  if (VirtualQuery(&stack, &stack, sizeof stack) != sizeof stack) abort();
  size_t left = reinterpret_cast<char*>(&stack) - static_cast<char*>(stack.AllocationBase);
  volatile char* used = static_cast<char*>(alloca(left - kHeadroom));
  used[0] = 0;  // keeps the allocation
  key(info);
}

// The child's side: presses the key and reports by its exit code whether the plug-in did what
// it should (0) or not (1).
int RunCase(const HeadroomCase& c) {
  // A crash ends the child with the exception's code, without starting a debugger.
  SetUnhandledExceptionFilter(
      [](EXCEPTION_POINTERS*) -> LONG { return EXCEPTION_EXECUTE_HANDLER; });
  int (*key)(KeyInfo*) = Plugin().key;  // loaded while there is stack to load it with
  RecorderReset();
  RecorderScriptEvaluation("6*7", "42");
  WideString buffer = Wide(c.line);
  KeyInfo info = {};
  info.keyCode = c.keyCode;
  info.line = buffer.data();
  if (c.littleStack) {
    PressWithLittleStack(key, &info);
  } else {
    key(&info);
  }
  std::string log = RecorderLog();
  bool shown = log.find("QPuts|42\n") != std::string::npos;
  bool ok = Narrow(buffer) == c.lineAfter && (c.calculates ? shown : log.empty());
  if (!ok) fprintf(stderr, "line \"%s\", host calls:\n%s", Narrow(buffer).c_str(), log.c_str());
  return ok ? 0 : 1;
}

// Runs case `index` in a child process and gives how it ended: its exit code.
DWORD RunChild(size_t index) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(self) + L"\" " +
                         std::wstring(kCaseOption, kCaseOption + strlen(kCaseOption)) + L" " +
                         std::to_wstring(index);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child = {};
  if (!CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &child)) {
    ADD_FAILURE() << "cannot start the child: error " << GetLastError();
    return 1;
  }
  if (WaitForSingleObject(child.hProcess, 60000) != WAIT_OBJECT_0) {
    TerminateProcess(child.hProcess, 1);
    ADD_FAILURE() << "the child did not end within a minute";
  }
  DWORD code = 1;
  GetExitCodeProcess(child.hProcess, &code);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  return code;
}

class StackHeadroomTest : public ::testing::TestWithParam<size_t> {};

TEST_P(StackHeadroomTest, EndsAsExpected) {
  const HeadroomCase& c = kCases[GetParam()];
  DWORD code = RunChild(GetParam());
  EXPECT_EQ(code, c.exitCode) << "the child ended with 0x" << std::hex << code
                              << " (0xC00000FD: a stack overflow)";
}

INSTANTIATE_TEST_SUITE_P(Cases, StackHeadroomTest, ::testing::Range(size_t{0}, std::size(kCases)),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                           return std::string(kCases[info.param].name);
                         });

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], kCaseOption) == 0) {
    size_t index = strtoul(argv[2], nullptr, 10);
    return index < std::size(kCases) ? RunCase(kCases[index]) : 2;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
