#include "orvane/program/history_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "orvane/lib/text.h"
#include "orvane/program/line_editor.h"
#include "platform/utf8.h"

namespace orvane {

namespace {

const size_t kBlock = 65536;
// The longest line worth reading: a full command line, three bytes a character, and a CR.
const size_t kLongestLine = LineEditor::kMaxLength * 3 + 1;

// An open file, closed (and so unlocked) when it goes.
struct Descriptor {
  int fd = -1;
  explicit Descriptor(int opened) : fd(opened) {}
  ~Descriptor() {
    if (fd >= 0) close(fd);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
};

bool Lock(int fd, int how) {
  int locked;
  do {
    locked = flock(fd, how);
  } while (locked != 0 && errno == EINTR);
  return locked == 0;
}

bool ReadAt(int fd, char* bytes, size_t count, off_t offset) {
  while (count > 0) {
    ssize_t got = pread(fd, bytes, count, offset);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    bytes += got;
    count -= static_cast<size_t>(got);
    offset += got;
  }
  return true;
}

bool WriteAt(int fd, const std::string& bytes, off_t offset) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t put =
        pwrite(fd, bytes.data() + done, bytes.size() - done, offset + static_cast<off_t>(done));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<size_t>(put);
  }
  return true;
}

// Reads the file backwards, block by block, and hands each line to `take` from the last to the
// first, without its line feed; a line longer than kLongestLine goes by as "" with `tooLong`
// set. Stops when `take` returns false. Returns false when the file cannot be read.
template <typename Take>
bool EachLineFromTheEnd(int fd, off_t size, Take take) {
  std::string reversed;  // the line being gathered, last byte first
  bool tooLong = false;
  std::string block;
  for (off_t end = size; end > 0;) {
    off_t start = end > static_cast<off_t>(kBlock) ? end - static_cast<off_t>(kBlock) : 0;
    block.resize(static_cast<size_t>(end - start));
    if (!ReadAt(fd, &block[0], block.size(), start)) return false;
    for (size_t i = block.size(); i-- > 0;) {
      if (block[i] != '\n') {
        if (reversed.size() < kLongestLine) {
          reversed += block[i];
        } else {
          tooLong = true;
        }
        continue;
      }
      bool last = end == size && start + static_cast<off_t>(i) == size - 1;
      if (!last && !take(std::string(reversed.rbegin(), reversed.rend()), tooLong)) return true;
      reversed.clear();
      tooLong = false;
    }
    end = start;
  }
  if (!reversed.empty() || tooLong) take(std::string(reversed.rbegin(), reversed.rend()), tooLong);
  return true;
}

// The line as typed, when it is one: UTF-8 without NUL or lone surrogates, short enough for
// the command line. A CR before the line feed (a file written on Windows) is dropped.
bool Decode(std::string bytes, std::u16string& line) {
  if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
  if (bytes.empty() || bytes.find('\0') != std::string::npos) return false;
  line.clear();
  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
  size_t left = bytes.size();
  while (left > 0) {
    char16_t units[2];
    int count = 0;
    size_t used = DecodeUtf8Sequence(p, left, units, &count);
    bool replaced =
        units[0] == 0xFFFD && !(used == 3 && p[0] == 0xEF && p[1] == 0xBF && p[2] == 0xBD);
    if (replaced || (count == 1 && (IsHighSurrogate(units[0]) || IsLowSurrogate(units[0])))) {
      return false;
    }
    line.append(units, static_cast<size_t>(count));
    p += used;
    left -= used;
  }
  return line.size() <= LineEditor::kMaxLength;
}

// Makes the folders above `path` that are missing, for the user alone.
void MakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    mkdir(path.substr(0, slash).c_str(), 0700);
  }
}

// Keeps the last kKept lines of a file that has grown past kTrimAt, rewritten in place under
// the caller's lock.
bool TrimIfLong(int fd, off_t size) {
  size_t lines = 0;
  EachLineFromTheEnd(fd, size,
                     [&](const std::string&, bool) { return ++lines <= HistoryFile::kTrimAt; });
  if (lines <= HistoryFile::kTrimAt) return true;
  std::vector<std::string> kept;
  EachLineFromTheEnd(fd, size, [&](const std::string& line, bool tooLong) {
    if (!tooLong) kept.push_back(line);
    return kept.size() < HistoryFile::kKept;
  });
  std::string text;
  for (size_t i = kept.size(); i-- > 0;) text += kept[i] + "\n";
  return WriteAt(fd, text, 0) && ftruncate(fd, static_cast<off_t>(text.size())) == 0;
}

}  // namespace

std::string HistoryFile::DefaultPath() {
  const char* chosen = getenv("ORVANE_HISTFILE");
  if (chosen != nullptr) return chosen;
  const char* state = getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') return std::string(state) + "/orvane/history";
  const char* home = getenv("HOME");
  if (home != nullptr && home[0] != 0) return std::string(home) + "/.local/state/orvane/history";
  return "";
}

std::vector<std::u16string> HistoryFile::Load(int& error) const {
  std::vector<std::u16string> lines;
  error = 0;
  Descriptor file(open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat about;
  if (file.fd < 0) {
    error = errno == ENOENT ? 0 : errno;
    return lines;
  }
  if (fstat(file.fd, &about) != 0 || !S_ISREG(about.st_mode)) {
    error = S_ISDIR(about.st_mode) ? EISDIR : EINVAL;
    return lines;
  }
  Lock(file.fd, LOCK_SH);  // not halfway through another shell's trim
  std::u16string line;
  bool read =
      EachLineFromTheEnd(file.fd, about.st_size, [&](const std::string& bytes, bool tooLong) {
        if (!tooLong && Decode(bytes, line)) lines.push_back(line);
        return lines.size() < kKept;
      });
  if (!read) error = errno != 0 ? errno : EIO;
  std::reverse(lines.begin(), lines.end());
  return lines;
}

bool HistoryFile::Append(const std::u16string& line) const {
  MakeFolders(path_);
  Descriptor file(open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0600));
  struct stat about;
  if (file.fd < 0) return false;
  if (fstat(file.fd, &about) != 0 || !S_ISREG(about.st_mode)) {
    errno = EINVAL;
    return false;
  }
  if (!Lock(file.fd, LOCK_EX)) return false;
  if (fstat(file.fd, &about) != 0) return false;  // another shell may have written meanwhile
  std::string entry = Narrow(line);
  std::string last;
  EachLineFromTheEnd(file.fd, about.st_size, [&](const std::string& bytes, bool) {
    last = bytes;
    return false;
  });
  if (last == entry) return true;  // the same as the line before it
  // Every writer holds the lock, so the end found above is still the end.
  char lastByte = '\n';
  if (about.st_size > 0) ReadAt(file.fd, &lastByte, 1, about.st_size - 1);
  std::string text = (lastByte == '\n' ? "" : "\n") + entry + "\n";
  if (!WriteAt(file.fd, text, about.st_size)) {
    int why = errno;
    // No half line is left behind; should even that fail, there is nothing more to do.
    if (ftruncate(file.fd, about.st_size) != 0) {
    }
    errno = why;
    return false;
  }
  return TrimIfLong(file.fd, about.st_size + static_cast<off_t>(text.size()));
}

}  // namespace orvane
