// The history kept from one session to the next: a text file, one typed line per line in
// UTF-8, appended to under an advisory lock so that shells running at once lose nothing. A lock
// that another program holds is waited for only briefly: then the work fails with EWOULDBLOCK.
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

namespace orvane {

class HistoryFile {
 public:
  static constexpr size_t kKept = 1000;    // the lines a session loads, and a trim keeps
  static constexpr size_t kTrimAt = 2000;  // a file longer than this is trimmed to kKept
  static constexpr int kNotRegular = -1;   // the error for a file that is not a regular one

  // $ORVANE_HISTFILE when it is set (empty: no history), else $XDG_STATE_HOME/orvane/history,
  // else ~/.local/state/orvane/history; empty when there is nowhere to keep it.
  static std::string DefaultPath();

  explicit HistoryFile(std::string path) : path_(std::move(path)) {}

  // What can be read back of the file's last kKept lines: a line that is not UTF-8, holds a NUL
  // or is longer than the command line is skipped. At most the file's last 16 MiB are read, so
  // that no file can hold up the start. A file that cannot be read gives none; `error` receives
  // the errno (or kNotRegular), 0 when there was simply no file.
  std::vector<std::u16string> Load(int& error) const;
  // Appends a line unless the file's last line is the same, then trims the file when it has
  // grown past kTrimAt lines (or past 16 MiB), all under one lock; the lines are counted from
  // the end, only as far as it takes. Creates the file (mode 0600) and its folder when needed.
  // False, with errno (or kNotRegular) set, when the line could not be written: EWOULDBLOCK
  // when another program holds the lock, which is waited for about 100 ms, or not at all
  // without `waitForLock`.
  bool Append(const std::u16string& line, bool waitForLock = true) const;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace orvane
