// A keystroke record as a host would own it, and the plug-in driven through it.
#pragma once

#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "host/buffer_capacities.h"
#include "tests/recording_host/recorder.h"
#include "tests/support/plugin.h"
#include "tests/support/settings.h"
#include "tests/support/text.h"

// The host's record, followed by bytes of its own that the plug-in must leave alone.
struct HostKeyRecord {
  KeyInfo info;
  unsigned char hostTail[24];
};

const unsigned char kUntouched = 0xA5;

class PluginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RecorderReset();
    ClearHighlightSettings();
    memset(&record, kUntouched, sizeof record);
  }
  void TearDown() override { ClearHighlightSettings(); }

  // Decides the key-name flag the way a host of that version would.
  void InitializeAsVersion(const char* version) {
    RecorderScriptVariable("_4ver", version);
    RecorderScriptVariable("_transient", "1");
    Plugin().InitializePlugin();
    RecorderReset();
  }

  // Sends one key with `line` in a host buffer of the line's own size and a whole command line
  // more.
  int Press(int keyCode, const std::string& line, const WideChar* keyName = nullptr) {
    WideString text = Wide(line);
    buffer.assign(text.size() + kLineCapacity, 0);
    WideTraits::copy(buffer.data(), text.c_str(), text.size());
    record.info.keyCode = keyCode;
    record.info.line = buffer.data();
    record.info.keyName = keyName;
    before = record;
    return (pressTo != nullptr ? *pressTo : Plugin()).key(&record.info);
  }

  // True when the last key changed no byte of the host's record.
  bool RecordUntouched() const { return memcmp(&before, &record, sizeof record) == 0; }

  std::string Line() const { return Narrow(buffer.data()); }
  std::string Log() const { return RecorderLog(); }

  HostKeyRecord record;
  HostKeyRecord before;                   // the record as the last key was sent
  const LoadedPlugin* pressTo = nullptr;  // where keys go; null: Plugin()
  WideString buffer;
};
