#include "file_handle.h"

#include <cerrno>

int CloseWrittenFile(File file) {
  FILE* f = file.release();
  // A write that failed earlier set the stream's error flag and left its cause in errno.
  int cause = std::ferror(f) != 0 ? (errno != 0 ? errno : EIO) : 0;
  errno = 0;
  if (std::fflush(f) != 0 && cause == 0) cause = errno != 0 ? errno : EIO;
  errno = 0;
  if (std::fclose(f) != 0 && cause == 0) cause = errno != 0 ? errno : EIO;
  return cause;
}
