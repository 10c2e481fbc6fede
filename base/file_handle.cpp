#include "file_handle.h"

#include <cerrno>
#ifndef _WIN32
#include <sys/types.h>
#endif

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

bool SeekFile(FILE* file, unsigned long long offset) {
#ifdef _WIN32
  return _fseeki64(file, static_cast<long long>(offset), SEEK_SET) == 0;
#else
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}
