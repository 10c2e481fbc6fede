#pragma once
// An open C stream that closes itself on every path, and the checked close of
// a file that was written.

#include <cstdio>
#include <memory>

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// Flushes and closes `file`. Returns 0 when everything written reached the
// file; otherwise the cause as an errno value (EIO when the C library gave
// none), so that a cut-short file (a full disk, a lost network share) is
// never taken for a complete one.
int CloseWrittenFile(File file);

// Moves `file` to byte `offset` from its start, beyond 2 GB too (where
// `long` has 32 bits, as on Windows). False when the stream cannot seek.
bool SeekFile(FILE* file, unsigned long long offset);
