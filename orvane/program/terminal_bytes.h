// The bytes a terminal sends, read one at a time, with room to give back one read too far.
#pragma once

namespace orvane {

class TerminalBytes {
 public:
  static constexpr int kNoByte = -1;       // none came in time, or the input ended
  static constexpr int kInterrupted = -2;  // a signal ended the wait

  explicit TerminalBytes(int fd) : fd_(fd) {}

  // Reads a byte, waiting at most `timeoutMs` when it is not negative; kNoByte when none came,
  // kInterrupted when a signal ended the wait.
  int Read(int timeoutMs);
  // Gives a byte read too far back to the next read.
  void PushBack(int byte) {
    if (byte >= 0) pushedBack_ = byte;
  }
  // Whether a byte is waiting to be read, or comes within `timeoutMs`.
  bool Waiting(int timeoutMs) const;

 private:
  int fd_;
  int pushedBack_ = kNoByte;  // a byte read too far, given back to the next read
};

}  // namespace orvane
