// Raw keyboard input on a terminal: every key arrives as it is typed, nothing is echoed, and
// Ctrl-C and Ctrl-Z arrive as keys. The previous settings come back when the object goes, when
// the shell stops, and on every signal that ends it; the handlers run on a stack of their own,
// so that even a stack overflow leaves a usable terminal.
#pragma once

namespace orvane {

class RawTerminal {
 public:
  explicit RawTerminal(int fd);
  ~RawTerminal();
  RawTerminal(const RawTerminal&) = delete;
  RawTerminal& operator=(const RawTerminal&) = delete;
  bool Active() const { return active_; }

  // Stops the shell's process group, as Ctrl-Z does in a cooked terminal: at the next wait for
  // a key, the terminal is given back and the shell stops until it is continued.
  void Suspend();
  // Whether raw mode came back after a stop, in the foreground, since the last call: the screen
  // then needs the prompt and the line again.
  bool TakeResumed();
  // Whether the terminal's size changed since the last call.
  bool TakeResized();
  // The terminal's width (80 when it does not say).
  int Columns() const;

 private:
  bool active_ = false;
};

}  // namespace orvane
