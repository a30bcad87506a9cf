// Raw keyboard input on a terminal: every key arrives as it is typed, nothing is echoed and
// Ctrl-C arrives as a key. The previous settings come back when the object goes, at exit and
// on the signals that end the shell.
#pragma once

namespace orvane {

class RawTerminal {
 public:
  explicit RawTerminal(int fd);
  ~RawTerminal();
  RawTerminal(const RawTerminal&) = delete;
  RawTerminal& operator=(const RawTerminal&) = delete;
  bool Active() const { return active_; }

 private:
  bool active_ = false;
};

}  // namespace orvane
