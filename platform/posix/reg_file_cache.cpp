#include "platform/posix/reg_file_cache.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace {

enum FileKind { kNoFile, kUnusableFile, kUsableFile };

struct FileIdentity {
  FileKind kind;
  dev_t device;
  ino_t inode;
  off_t size;
  timespec modified, statusChanged;
  // Whether it can be opened: a chmod or chown within the tick of a failed open keeps the times.
  mode_t mode;
  uid_t owner;
  gid_t group;
};

const size_t kValueNameChars = 64;
const DWORD kCachedBytes = 2048;  // a whole setting, as the plug-in asks for it
const int kAnswersPerRoot = 8;    // the plug-in asks four questions of each file

struct CachedAnswer {
  bool used;
  bool keyOnly;  // asked only whether the key exists
  WideChar keyPath[kRegKeyPathChars];
  WideChar valueName[kValueNameChars];
  RegFileAnswer answer;
  DWORD bytesKept;  // of the value's data, from the start
  BYTE data[kCachedBytes];
};

struct RootFile {
  char path[4096];
  FileIdentity file;
  bool unreadable;  // `file` could not be opened or read: nothing to answer until it changes
  bool held;        // `bytes` hold the file as it has been since it last changed
  // The coarse clock from just before the file was opened to one tick after it was looked at:
  // a status-change time in here may be shared by a rewrite that followed.
  timespec readFrom, readUntil;
  size_t size;
  unsigned char bytes[kLargestRegFile + 1];  // one more, to tell a file that grew
  CachedAnswer answers[kAnswersPerRoot];
  int nextAnswer;
};

RootFile roots[kRegFileRoots];

FileIdentity IdentityOf(const struct stat& info) {
  FileIdentity id{kUsableFile,  info.st_dev,  info.st_ino, info.st_size, info.st_mtim,
                  info.st_ctim, info.st_mode, info.st_uid, info.st_gid};
  if (!S_ISREG(info.st_mode) || info.st_size > static_cast<off_t>(kLargestRegFile)) {
    id.kind = kUnusableFile;
  }
  return id;
}

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}
bool Earlier(const timespec& a, const timespec& b) {
  return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

bool SameFile(const FileIdentity& a, const FileIdentity& b) {
  return a.kind == b.kind && a.device == b.device && a.inode == b.inode && a.size == b.size &&
         SameTime(a.modified, b.modified) && SameTime(a.statusChanged, b.statusChanged) &&
         a.mode == b.mode && a.owner == b.owner && a.group == b.group;
}

// File times are the coarse clock's ticks, so a rewrite within the tick of the read can leave every
// time as it was. The status-change time tells, as no one can set it (the modification time can be
// set to anything, and a file stamped ahead of the clock must not be read again at each look).
bool MayHaveChangedUnseen(const RootFile& root, const FileIdentity& now) {
  return root.held && !Earlier(now.statusChanged, root.readFrom) &&
         Earlier(now.statusChanged, root.readUntil);
}

void Forget(RootFile* root, const FileIdentity& now) {
  root->file = now;
  root->unreadable = false;
  root->held = false;
  for (CachedAnswer& a : root->answers) a.used = false;
}

bool SameText(const WideChar* a, const WideChar* b) {
  while (*a != 0 && *a == *b) ++a, ++b;
  return *a == *b;
}

// True, and the text copied, when it fits.
bool CopyText(WideChar* out, size_t capacity, const WideChar* text) {
  size_t n = WideLengthUpTo(text, capacity);
  if (n == capacity) return false;
  WideTraits::copy(out, text, n + 1);
  return true;
}

DWORD BytesWanted(const RegFileQuery& q, const RegFileAnswer& a) {
  if (q.data == nullptr || !a.valueFound) return 0;
  return a.size < q.capacity ? a.size : q.capacity;
}

CachedAnswer* Find(RootFile* root, const RegFileQuery& q) {
  for (CachedAnswer& a : root->answers) {
    if (!a.used || a.keyOnly != (q.valueName == nullptr)) continue;
    if (!SameText(a.keyPath, q.keyPath)) continue;
    if (q.valueName == nullptr || SameText(a.valueName, q.valueName)) return &a;
  }
  return nullptr;
}

timespec CoarseNow() {
  timespec now;
  clock_gettime(CLOCK_REALTIME_COARSE, &now);
  return now;
}

timespec OneTickAfter(timespec t) {
  timespec tick{0, 0};
  clock_getres(CLOCK_REALTIME_COARSE, &tick);
  t.tv_sec += tick.tv_sec;
  t.tv_nsec += tick.tv_nsec;
  if (t.tv_nsec >= 1000000000) {
    t.tv_sec += 1;
    t.tv_nsec -= 1000000000;
  }
  return t;
}

// Reads the whole file into `root->bytes`. False when it cannot be opened or read (`*id` then is
// `root->file`) or is not a usable file (`*id` describes what was found).
bool ReadFile(RootFile* root, FileIdentity* id) {
  *id = root->file;
  root->size = 0;
  root->readFrom = CoarseNow();
  // Non-blocking, so that a FIFO put in place of the file cannot stall the caller; no terminal
  // put there becomes the process's own.
  int fd = open(root->path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  struct stat info;
  if (fstat(fd, &info) == 0) *id = IdentityOf(info);
  root->readUntil = OneTickAfter(CoarseNow());
  bool failed = false;
  // On to the end, which a read of nothing marks: some file systems read short before it.
  while (id->kind == kUsableFile && root->size < sizeof root->bytes) {
    ssize_t got = read(fd, root->bytes + root->size, sizeof root->bytes - root->size);
    if (got == 0) break;
    if (got < 0) {
      failed = errno != EINTR;
      if (failed) break;
      continue;
    }
    root->size += static_cast<size_t>(got);
  }
  close(fd);
  if (root->size > kLargestRegFile) id->kind = kUnusableFile;  // it grew after the check
  return !failed && id->kind == kUsableFile;
}

void Remember(RootFile* root, CachedAnswer* slot, const RegFileQuery& q, const RegFileAnswer& a) {
  if (slot == nullptr) {
    slot = &root->answers[root->nextAnswer];
    root->nextAnswer = (root->nextAnswer + 1) % kAnswersPerRoot;
  }
  slot->used = CopyText(slot->keyPath, kRegKeyPathChars, q.keyPath) &&
               (q.valueName == nullptr || CopyText(slot->valueName, kValueNameChars, q.valueName));
  slot->keyOnly = q.valueName == nullptr;
  slot->answer = a;
  DWORD wanted = BytesWanted(q, a);
  slot->bytesKept = wanted < kCachedBytes ? wanted : kCachedBytes;
  if (slot->bytesKept > 0) memcpy(slot->data, q.data, slot->bytesKept);
}

// A question not asked since the file last changed: the file is read once for all of them.
RegFileAnswer AnswerAnew(RootFile* root, CachedAnswer* slot, const RegFileQuery& q) {
  if (!root->held) {
    FileIdentity id;
    bool usable = ReadFile(root, &id);
    if (!SameFile(id, root->file)) {
      Forget(root, id);  // replaced since it was checked
      slot = nullptr;
    }
    // Remembered under the identity it has, so that the next look costs one stat again.
    root->unreadable = !usable;
    if (!usable) return RegFileAnswer{false, false, REG_NONE, 0};
    root->held = true;
  }
  RegFileAnswer answer = ParseRegFile(root->bytes, root->size, q);
  Remember(root, slot, q, answer);
  return answer;
}

}  // namespace

void CheckRegFile(RegFileRoot which, const char* path) {
  RootFile* root = &roots[which];
  FileIdentity now{kNoFile, 0, 0, 0, {}, {}, 0, 0, 0};
  struct stat info;
  if (path != nullptr && strlen(path) < sizeof root->path && stat(path, &info) == 0) {
    now = IdentityOf(info);
  }
  if (now.kind != kNoFile) strcpy(root->path, path);
  if (!SameFile(now, root->file) || MayHaveChangedUnseen(*root, now)) {
    Forget(root, now);
  }
}

RegFileAnswer QueryRegFile(RegFileRoot which, const RegFileQuery& query) {
  RootFile* root = &roots[which];
  if (root->file.kind != kUsableFile || root->unreadable)
    return RegFileAnswer{false, false, REG_NONE, 0};
  CachedAnswer* cached = Find(root, query);
  DWORD wanted = cached != nullptr ? BytesWanted(query, cached->answer) : 0;
  if (cached == nullptr || wanted > cached->bytesKept) return AnswerAnew(root, cached, query);
  if (wanted > 0) memcpy(query.data, cached->data, wanted);
  return cached->answer;
}
