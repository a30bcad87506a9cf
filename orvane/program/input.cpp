#include "orvane/program/input.h"

#include <errno.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>

namespace orvane {

namespace {

const size_t kReadSize = 65536;

// The bytes that the UTF-8 sequence led by `lead` takes, as far as its lead byte says.
size_t SequenceLength(unsigned char lead) {
  return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

// Decodes one character of strict UTF-8 from `b` (`available` bytes) into one or two code
// units; returns the bytes it took. What is not well-formed becomes one U+FFFD for each
// maximal part that could start a character: surrogates encoded on their own, overlong forms
// and a character cut short all count as ill-formed. Returns 0 (with U+FFFD) when all
// `available` bytes could still begin a character, which the bytes after them may finish.
size_t DecodeStrict(const unsigned char* b, size_t available, char16_t units[2], int* count) {
  *count = 1;
  units[0] = 0xFFFD;
  unsigned char lead = b[0];
  if (lead < 0x80) {
    units[0] = lead;
    return 1;
  }
  size_t length = SequenceLength(lead);
  // The second byte's range depends on the lead; every later one is 80 to BF.
  unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
  unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
  if (lead < 0xC2 || lead > 0xF4) return 1;
  char32_t c = lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if (i >= available) return 0;
    if (b[i] < (i == 1 ? low : 0x80) || b[i] > (i == 1 ? high : 0xBF)) return i;
    c = c << 6 | (b[i] & 0x3F);
  }
  if (c >= 0x10000) {
    units[0] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
    units[1] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    *count = 2;
  } else {
    units[0] = static_cast<char16_t>(c);
  }
  return length;
}

}  // namespace

LineReader::LineReader(int fd) : fd_(fd) {}

LineReader::LineReader(const std::string& text) : buffer_(text), ended_(true), atStart_(false) {}

bool LineReader::Fill() {
  if (ended_) return false;
  buffer_.erase(0, next_);  // at most the start of one character is left
  next_ = 0;
  size_t kept = buffer_.size();
  pollfd ready{fd_, POLLIN, 0};
  if (onWait_ && poll(&ready, 1, 0) == 0) onWait_();
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

void LineReader::AppendAscii(InputLine& line, const char* bytes, size_t count) {
  size_t room = kMaxLength - std::min(line.length, kMaxLength);
  size_t kept = line.text.size(), taken = std::min(count, room);
  line.text.resize(kept + taken);  // widened in place: append() would build a temporary
  for (size_t i = 0; i < taken; ++i) line.text[kept + i] = static_cast<unsigned char>(bytes[i]);
  line.length += count;
}

bool LineReader::Next(InputLine& line) {
  line.text.clear();  // its room stays for this line
  line.length = 0;
  line.hasNul = false;
  bool started = false;
  for (;;) {
    if (next_ == buffer_.size() && !Fill()) {
      if (!started) return false;
      break;  // a last line without its line break
    }
    if (atStart_) {
      // A byte-order mark says the input is UTF-8, which it is anyway. Only the start of one is
      // worth waiting for: a short first line is answered at once.
      const std::string mark = "\xEF\xBB\xBF";
      bool partOfMark = buffer_.size() < 3 && mark.compare(0, buffer_.size(), buffer_) == 0;
      if (partOfMark && !ended_ && Fill()) continue;
      if (buffer_.compare(0, 3, mark) == 0) next_ = 3;
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
      // A run of ASCII up to the line's end, or the block's, goes in at once.
      size_t end = next_;
      for (; end < buffer_.size(); ++end) {
        unsigned char b = static_cast<unsigned char>(buffer_[end]);
        if (b >= 0x80 || b == '\n' || b == '\r') break;
        if (b == 0) line.hasNul = true;
      }
      AppendAscii(line, &buffer_[next_], end - next_);
      next_ = end;
      continue;
    }
    size_t available = buffer_.size() - next_;
    char16_t units[2];
    int count = 0;
    size_t taken = DecodeStrict(reinterpret_cast<const unsigned char*>(&buffer_[next_]), available,
                                units, &count);
    if (taken == 0) {
      // Only bytes that could still go on are worth waiting for: a byte that cannot (a line
      // break among them) has already settled the character.
      if (!ended_) {
        Fill();  // the character goes on in the next block
        continue;
      }
      taken = available;  // cut short by the end of the input
    }
    next_ += taken;
    Append(line, units, static_cast<size_t>(count));
  }
  line.number = ++number_;
  return true;
}

}  // namespace orvane
