#include "file_handle.h"

#include <cerrno>

int CloseWrittenFile(File file) {
  FILE* f = file.release();
  auto cause = [] { return errno != 0 ? errno : EIO; };
  // A write that failed earlier set the stream's error flag and left its cause in errno.
  int failure = std::ferror(f) != 0 ? cause() : 0;
  errno = 0;
  // fclose flushes what is still buffered and fails when that write fails.
  if (std::fclose(f) != 0 && failure == 0) failure = cause();
  return failure;
}
