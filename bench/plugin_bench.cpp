// What `key` and the highlight selection cost, against a host that does nothing (every
// expression is 42), next to the floor: an empty call, and zero-filling the two working
// buffers every calculation needs.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "calc/calculator.h"
#include "calc/highlight.h"
#include "host/buffer_capacities.h"
#include "platform/system.h"

extern "C" int EmptyCall(void* info);

namespace {

using WideString = std::basic_string<WideChar>;

// Registry files in a scratch folder; the environment points the stand-in at them.
class Settings {
 public:
  Settings() {
    char pattern[] = "/tmp/sumbra-bench-XXXXXX";
    dir_ = mkdtemp(pattern);
    setenv("SUMBRA_HKCU_REG", (dir_ + "/hkcu.reg").c_str(), 1);
    setenv("SUMBRA_HKLM_REG", (dir_ + "/hklm.reg").c_str(), 1);
  }
  ~Settings() {
    unlink((dir_ + "/hkcu.reg").c_str());
    unlink((dir_ + "/hklm.reg").c_str());
    rmdir(dir_.c_str());
  }
  // None: no variable and no files. Otherwise location 0 is the variable, 1-4 the registry.
  void Only(int location) {
    unsetenv("Highlight");
    unlink((dir_ + "/hkcu.reg").c_str());
    unlink((dir_ + "/hklm.reg").c_str());
    if (location == 0) setenv("Highlight", "0x1E", 1);
    if (location < 1) return;
    bool machine = location == 2 || location == 4;
    std::string key = location <= 2 ? "SOFTWARE\\ZielPlugins\\Sumbra" : "SOFTWARE\\ZielPlugins";
    std::ofstream(dir_ + (machine ? "/hklm.reg" : "/hkcu.reg"))
        << "Windows Registry Editor Version 5.00\r\n\r\n["
        << (machine ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") << key
        << "]\r\n\"Highlight\"=\"0x1E\"\r\n";
  }
  static constexpr int kNone = -1;

 private:
  std::string dir_;
};

Settings& TheSettings() {
  static Settings settings;
  return settings;
}

// Sends one key again and again with `text` as the host's line. Only the first character can
// change (the plug-in rewrites "=" in place), so only it is put back between calls.
void RunKey(benchmark::State& state, int keyCode, const char* text,
            const WideChar* keyName = nullptr) {
  TheSettings().Only(Settings::kNone);
  WideString buffer(text, text + strlen(text));
  const WideChar first = buffer[0];
  KeyInfo info{};
  info.keyCode = keyCode;
  info.line = buffer.data();
  info.keyName = keyName;
  int reportsKeyNames = hostReportsKeyNames;
  hostReportsKeyNames = keyName != nullptr;  // as a host that reports Enter by name would be
  for (auto _ : state) {
    buffer[0] = first;
    benchmark::DoNotOptimize(key(&info));
  }
  hostReportsKeyNames = reportsKeyNames;
}

void BM_Floor_EmptyCall(benchmark::State& state) {
  KeyInfo info{};
  for (auto _ : state) benchmark::DoNotOptimize(EmptyCall(&info));
}
BENCHMARK(BM_Floor_EmptyCall);

void BM_Floor_ZeroFillTwoBuffers(benchmark::State& state) {
  for (auto _ : state) {
    WideChar expression[kLineCapacity] = {};
    WideChar result[kLineCapacity] = {};
    benchmark::DoNotOptimize(expression);
    benchmark::DoNotOptimize(result);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Floor_ZeroFillTwoBuffers);

void BM_Key_OrdinaryKeystroke(benchmark::State& state) {
  RunKey(state, '7', "=6*");
}
BENCHMARK(BM_Key_OrdinaryKeystroke);

void BM_Key_Backspace(benchmark::State& state) {
  RunKey(state, 8, "=6*");
}
BENCHMARK(BM_Key_Backspace);

void BM_Key_NamedKey(benchmark::State& state) {
  RunKey(state, 0, "=6*", W("Left"));
}
BENCHMARK(BM_Key_NamedKey);

void BM_Key_EnterOnOtherLine(benchmark::State& state) {
  RunKey(state, 13, "echo hello");
}
BENCHMARK(BM_Key_EnterOnOtherLine);

void BM_Key_EnterOnEmptyCalculation(benchmark::State& state) {
  RunKey(state, 13, "=   ");  // rewritten to ":", then nothing to calculate
}
BENCHMARK(BM_Key_EnterOnEmptyCalculation);

void BM_Key_WholeCalculation(benchmark::State& state) {
  RunKey(state, 13, "= 6*7 ");
}
BENCHMARK(BM_Key_WholeCalculation);

void BM_SelectHighlight(benchmark::State& state) {
  TheSettings().Only(static_cast<int>(state.range(0)));
  unsigned char saved = 0;
  for (auto _ : state) benchmark::DoNotOptimize(SelectHighlight(&saved));
  TheSettings().Only(Settings::kNone);
}
// -1: no setting anywhere; 0: the environment; 1-4: the registry, in the order it is searched.
BENCHMARK(BM_SelectHighlight)->ArgName("location")->DenseRange(-1, 4);

}  // namespace

BENCHMARK_MAIN();
