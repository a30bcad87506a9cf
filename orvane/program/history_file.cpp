#include "orvane/program/history_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "orvane/lib/text.h"
#include "platform/utf8.h"

namespace orvane {

namespace {

const size_t kBlock = 65536;
// The most of the file that is read: its last 16 MiB.
const off_t kWindow = 16 << 20;
// The longest line worth reading: a full command line, three bytes a character, and a CR.
const size_t kLongestLineBytes = kLongestLine * 3 + 1;

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

// A lock that another program holds (a backup, `flock` in a script) is waited for only this
// long, in steps, so that no one can hold up the shell: about 100 ms.
const int kLockTries = 20;
const useconds_t kLockStepUs = 5000;

// Takes the lock, trying once or for about 100 ms; false with errno set, EWOULDBLOCK when
// someone else still holds it.
bool Lock(int fd, int how, bool wait = true) {
  for (int tries = 1;; ++tries) {
    if (flock(fd, how | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK || !wait || tries == kLockTries) return false;
    usleep(kLockStepUs);
  }
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

// The end of a file: at most kWindow bytes, fewer when they hold enough lines.
struct Tail {
  std::string bytes;
  bool fromStart = false;  // the bytes are the whole file, so their first line is whole too
};

// Reads the end of the file until it holds `lines` whole lines, reaches the start of the file
// or fills kWindow: the work is bounded, however long the file or its lines are.
bool ReadTail(int fd, off_t size, size_t lines, Tail& tail) {
  for (off_t want = static_cast<off_t>(kBlock);; want *= 2) {
    off_t take = std::min({want, size, kWindow});
    tail.bytes.resize(static_cast<size_t>(take));
    if (take > 0 && !ReadAt(fd, &tail.bytes[0], tail.bytes.size(), size - take)) return false;
    tail.fromStart = take == size;
    // Line feeds before the last byte: each ends a line before a whole one.
    size_t whole = static_cast<size_t>(
        std::count(tail.bytes.begin(), tail.bytes.end() - (take > 0 ? 1 : 0), '\n'));
    if (tail.fromStart || take == kWindow || whole >= lines) return true;
  }
}

// Hands each line of the tail to `take`, from the last to the first, without its line feed, as
// long as `take` returns true. A first line cut by the start of the tail is left out.
template <typename Take>
void EachLineFromTheEnd(const Tail& tail, Take take) {
  const char* bytes = tail.bytes.data();
  size_t end = tail.bytes.size();
  if (end > 0 && bytes[end - 1] == '\n') --end;  // the last line feed ends the last line
  if (end == 0) {                                // nothing but a line feed, or nothing at all
    if (!tail.bytes.empty() && tail.fromStart) take(bytes, 0);
    return;
  }
  while (end > 0) {
    const void* feed = memrchr(bytes, '\n', end);
    if (feed == nullptr) {
      if (tail.fromStart) take(bytes, end);
      return;
    }
    size_t start = static_cast<size_t>(static_cast<const char*>(feed) - bytes) + 1;
    if (!take(bytes + start, end - start)) return;
    end = start - 1;
    if (end == 0 && tail.fromStart) take(bytes, 0);  // the file starts with an empty line
  }
}

// The line as typed, when it is one: UTF-8 without NUL or lone surrogates, short enough for
// the command line. A CR before the line feed (a file written on Windows) is dropped.
bool Decode(const char* start, size_t length, std::u16string& line) {
  if (length > kLongestLineBytes) return false;
  std::string bytes(start, length);
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
  return line.size() <= kLongestLine;
}

// Makes the folders above `path` that are missing, for the user alone.
void MakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    mkdir(path.substr(0, slash).c_str(), 0700);
  }
}

// Keeps the last kKept lines of a file that has grown past kTrimAt lines, or past kWindow
// bytes, rewritten in place under the caller's lock.
bool TrimIfLong(int fd, off_t size) {
  Tail tail;
  if (!ReadTail(fd, size, HistoryFile::kTrimAt + 1, tail)) return false;
  size_t lines = 0;
  EachLineFromTheEnd(tail, [&](const char*, size_t) { return ++lines <= HistoryFile::kTrimAt; });
  if (tail.fromStart && lines <= HistoryFile::kTrimAt) return true;
  std::vector<std::string> kept;
  EachLineFromTheEnd(tail, [&](const char* line, size_t length) {
    if (length <= kLongestLineBytes) kept.emplace_back(line, length);
    return kept.size() < HistoryFile::kKept;
  });
  std::string text;
  for (size_t i = kept.size(); i-- > 0;) text += kept[i] + "\n";
  return WriteAt(fd, text, 0) && ftruncate(fd, static_cast<off_t>(text.size())) == 0;
}

// Whether the file's last line is `entry`; `end` is the end of the file (`size` bytes), at
// least the entry and two bytes more when the file is that long.
bool LastLineIs(const std::string& end, off_t size, const std::string& entry) {
  size_t length = end.size();
  if (length > 0 && end[length - 1] == '\n') --length;
  if (length < entry.size() || end.compare(length - entry.size(), entry.size(), entry) != 0) {
    return false;
  }
  size_t before = length - entry.size();
  return before > 0 ? end[before - 1] == '\n' : static_cast<off_t>(end.size()) == size;
}

// Opens the file and checks that it is a regular one; -1 with `error` set when it is not.
int OpenRegular(const std::string& path, int flags, int& error) {
  int fd = open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0600);
  struct stat about;
  if (fd < 0) {
    error = errno;
  } else if (fstat(fd, &about) != 0) {
    error = errno;
  } else if (!S_ISREG(about.st_mode)) {
    error = S_ISDIR(about.st_mode) ? EISDIR : HistoryFile::kNotRegular;
  } else {
    return fd;
  }
  if (fd >= 0) close(fd);
  return -1;
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
  Descriptor file(OpenRegular(path_, O_RDONLY, error));
  if (file.fd < 0) {
    if (error == ENOENT) error = 0;
    return lines;
  }
  // Not halfway through another shell's trim; a file held for longer is not read at all.
  if (!Lock(file.fd, LOCK_SH) && errno == EWOULDBLOCK) {
    error = EWOULDBLOCK;
    return lines;
  }
  struct stat about;
  Tail tail;
  if (fstat(file.fd, &about) != 0 || !ReadTail(file.fd, about.st_size, kKept, tail)) {
    error = errno != 0 ? errno : EIO;
    return lines;
  }
  std::u16string line;
  size_t seen = 0;
  EachLineFromTheEnd(tail, [&](const char* bytes, size_t length) {
    if (Decode(bytes, length, line)) lines.push_back(line);
    return ++seen < kKept;
  });
  std::reverse(lines.begin(), lines.end());
  return lines;
}

bool HistoryFile::Append(const std::u16string& line, bool waitForLock) const {
  MakeFolders(path_);
  int error = 0;
  Descriptor file(OpenRegular(path_, O_RDWR | O_CREAT, error));
  errno = error;
  if (file.fd < 0 || !Lock(file.fd, LOCK_EX, waitForLock)) return false;
  struct stat about;
  if (fstat(file.fd, &about) != 0) return false;  // another shell may have written meanwhile
  std::string entry = Narrow(line);
  // Every writer holds the lock, so the end read here is still the end.
  off_t take = std::min(about.st_size, static_cast<off_t>(entry.size() + 2));
  std::string end(static_cast<size_t>(take), '\0');
  if (take > 0 && !ReadAt(file.fd, &end[0], end.size(), about.st_size - take)) return false;
  if (LastLineIs(end, about.st_size, entry)) return true;  // the same as the line before it
  std::string text = (end.empty() || end.back() == '\n' ? "" : "\n") + entry + "\n";
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
