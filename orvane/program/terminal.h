// Raw keyboard input on a terminal: every key arrives as it is typed, nothing is echoed, and
// Ctrl-C and Ctrl-Z arrive as keys. The previous settings come back when the object goes, when
// the shell stops, on every signal that ends it and at exit(), if the shell is in the
// foreground then; the handlers run on a stack of their own, so that even a stack overflow
// leaves a usable terminal.
#pragma once

#include <signal.h>

namespace orvane {

// The signal mask for a wait: stopping, continuing and resizing, held back otherwise, come
// through.
sigset_t WaitingSignalMask();

class RawTerminal {
 public:
  explicit RawTerminal(int fd);
  ~RawTerminal();
  RawTerminal(const RawTerminal&) = delete;
  RawTerminal& operator=(const RawTerminal&) = delete;

  // Before a wait for a key: waits while the shell is in the background, then makes sure the
  // terminal is in raw mode, setting it again (and so asking for a redraw, see TakeResumed)
  // when whoever had the terminal meanwhile changed it.
  void Claim();
  // Stops the shell's process group, as Ctrl-Z does in a cooked terminal: at the next wait for
  // a key, the terminal is given back and the shell stops until it is continued.
  void Suspend();
  // Whether raw mode was set again since the last call, after a stop or after the terminal was
  // changed behind the shell's back: the screen then needs the prompt and the line again.
  bool TakeResumed();
  // Whether the terminal's size changed since the last call.
  bool TakeResized();
  // The terminal's width (80 when it does not say).
  int Columns() const;
};

}  // namespace orvane
