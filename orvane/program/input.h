// Lines of piped input or of -c text, decoded from strict UTF-8 as they stream in. A line ends
// at LF, at CRLF or at a lone CR. A line keeps at most `kMaxLength` UTF-16 code units: the rest
// of a longer one is counted and dropped as it goes by, so memory stays bounded whatever the
// input.
#pragma once

#include <stddef.h>

#include <functional>
#include <string>
#include <utility>

#include "orvane/lib/text.h"

namespace orvane {

struct InputLine {
  std::u16string text;  // the line, or its first kMaxLength code units
  size_t length = 0;    // UTF-16 code units in the whole line
  bool hasNul = false;  // a NUL byte was in it
  int number = 0;       // counted from 1
};

class LineReader {
 public:
  static constexpr size_t kMaxLength = kLongestLine;  // what the host's command line holds

  // Reads from a file descriptor; a UTF-8 byte-order mark at its start is skipped.
  explicit LineReader(int fd);
  // Reads the lines of `text`.
  explicit LineReader(const std::string& text);

  // `hook` runs whenever the next read may have to wait for more input.
  void OnWait(std::function<void()> hook) { onWait_ = std::move(hook); }
  // The next line; false at the end of the input.
  bool Next(InputLine& line);
  // The errno of a failed read, 0 when none failed.
  int Error() const { return error_; }

 private:
  // Reads more input behind what is left in the buffer; false when there is none.
  bool Fill();
  void Append(InputLine& line, const char16_t* units, size_t count);
  void AppendAscii(InputLine& line, const char* bytes, size_t count);

  int fd_ = -1;
  std::function<void()> onWait_;
  std::string buffer_;
  size_t next_ = 0;  // the first byte of buffer_ not yet decoded
  bool ended_ = false;
  bool skipLineFeed_ = false;  // the last line ended at a CR: an LF right after it belongs to it
  bool atStart_ = true;
  int number_ = 0;
  int error_ = 0;
};

}  // namespace orvane
