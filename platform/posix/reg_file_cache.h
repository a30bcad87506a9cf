// What the registry stand-in remembers of its files, as the system remembers the real registry:
// each file's bytes and the answers found in them since it last changed, in static storage of
// fixed size.
//
// One file stands for each root. Looking at it costs one stat; a file that is unchanged since it
// was read, or that could not be opened, is not opened or read again. A file changes, for this
// purpose, when its device, inode, size, modification or status-change time differ, or when its
// status-change time falls in the clock tick of its last read (file times move in steps of a few
// milliseconds, so a rewrite within one step can keep them). Files over 1 MiB hold nothing and
// are not read.
// For one thread at a time, like the plug-in.
#pragma once

#include "platform/posix/reg_file.h"

const size_t kLargestRegFile = 1 << 20;
// The longest key path asked about, in characters with the terminator: root, backslash, subkey.
const size_t kRegKeyPathChars = 512;

enum RegFileRoot { kCurrentUserFile, kLocalMachineFile, kRegFileRoots };

// Looks at the file now standing for `root` (null: none) and forgets what was read from it if it
// is not the file it was.
void CheckRegFile(RegFileRoot root, const char* path);

// Answers from the file last checked for `root`, reading it only for a question not yet asked
// since it changed.
RegFileAnswer QueryRegFile(RegFileRoot root, const RegFileQuery& query);
