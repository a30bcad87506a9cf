#include "orvane/program/input.h"

#include <errno.h>
#include <unistd.h>

#include "platform/utf8.h"

namespace orvane {

namespace {

const size_t kReadSize = 65536;

// The bytes that the UTF-8 sequence led by `lead` takes, as far as its lead byte says.
size_t SequenceLength(unsigned char lead) {
  return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

}  // namespace

LineReader::LineReader(int fd) : fd_(fd) {}

LineReader::LineReader(const std::string& text) : buffer_(text), ended_(true), atStart_(false) {}

bool LineReader::Fill() {
  if (ended_) return false;
  buffer_.erase(0, next_);  // at most the start of one character is left
  next_ = 0;
  size_t kept = buffer_.size();
  buffer_.resize(kept + kReadSize);
  ssize_t got;
  do {
    got = read(fd_, &buffer_[kept], kReadSize);
  } while (got < 0 && errno == EINTR);
  if (got < 0) error_ = errno;
  buffer_.resize(kept + (got > 0 ? static_cast<size_t>(got) : 0));
  if (got <= 0) ended_ = true;
  return got > 0;
}

void LineReader::Append(InputLine& line, const char16_t* units, size_t count) {
  if (line.length + count <= kMaxLength) line.text.append(units, count);
  line.length += count;
}

bool LineReader::Next(InputLine& line) {
  line = InputLine();
  bool started = false;
  for (;;) {
    if (next_ == buffer_.size() && !Fill()) {
      if (!started) return false;
      break;  // a last line without its line break
    }
    if (atStart_) {
      // A byte-order mark says the input is UTF-8, which it is anyway.
      if (buffer_.size() < 3 && !ended_ && Fill()) continue;
      if (buffer_.compare(0, 3, "\xEF\xBB\xBF") == 0) next_ = 3;
      atStart_ = false;
      continue;
    }
    unsigned char byte = static_cast<unsigned char>(buffer_[next_]);
    if (skipLineFeed_) {
      skipLineFeed_ = false;
      if (byte == '\n') {
        ++next_;
        continue;
      }
    }
    if (byte == '\n' || byte == '\r') {
      ++next_;
      skipLineFeed_ = byte == '\r';
      break;
    }
    started = true;
    if (byte < 0x80) {
      char16_t unit = byte;
      if (byte == 0) line.hasNul = true;
      Append(line, &unit, 1);
      ++next_;
      continue;
    }
    size_t available = buffer_.size() - next_;
    if (available < SequenceLength(byte) && !ended_) {
      Fill();  // the character goes on in the next block
      continue;
    }
    char16_t units[2];
    int count = 0;
    next_ += DecodeUtf8Sequence(reinterpret_cast<const unsigned char*>(&buffer_[next_]), available,
                                units, &count);
    Append(line, units, static_cast<size_t>(count));
  }
  line.number = ++number_;
  return true;
}

}  // namespace orvane
