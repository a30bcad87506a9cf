// The registry stand-in's files for a fuzzer, which points the stand-in at them.
#pragma once
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>

// The registry stand-in's two files, in a folder made once per process, on tmpfs where there is
// one: rewriting a file on a disk file system costs a flush to the disk at every run. A file is
// rewritten only when its text changes; the stand-in then reads it again.
struct RegistryFiles {
  std::string folder, user, machine;
  std::string userText, machineText;

  RegistryFiles() {
    for (std::string pattern : {"/dev/shm/sumbra-fuzz-XXXXXX", "/tmp/sumbra-fuzz-XXXXXX"}) {
      if (mkdtemp(pattern.data()) == nullptr) continue;
      folder = pattern;
      user = folder + "/HKEY_CURRENT_USER.reg";
      machine = folder + "/HKEY_LOCAL_MACHINE.reg";
      setenv("SUMBRA_HKCU_REG", user.c_str(), 1);
      setenv("SUMBRA_HKLM_REG", machine.c_str(), 1);
      std::ofstream{user};  // both empty to begin with
      std::ofstream{machine};
      return;
    }
    abort();
  }
  ~RegistryFiles() {
    unlink(user.c_str());
    unlink(machine.c_str());
    rmdir(folder.c_str());
  }
  static void Write(const std::string& path, std::string* written, const std::string& text) {
    if (text == *written) return;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    *written = text;
  }
};
