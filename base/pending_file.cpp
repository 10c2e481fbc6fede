#include "pending_file.h"

#include <cerrno>
#include <filesystem>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
#endif

PendingFile::PendingFile(const std::string& path, const char* mode) : path_(path) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    openCause_ = EISDIR;  // it could never be renamed over
    return;
  }
  errno = 0;
  file_.reset(std::fopen(TemporaryPath().c_str(), mode));
  if (!file_) openCause_ = errno != 0 ? errno : EIO;
}

PendingFile::~PendingFile() { Discard(); }

PendingFile::PendingFile(PendingFile&& other) noexcept
    : path_(std::move(other.path_)),
      file_(std::move(other.file_)),
      openCause_(other.openCause_),
      writeCause_(other.writeCause_),
      closed_(other.closed_),
      installed_(std::exchange(other.installed_, true)) {}

PendingFile& PendingFile::operator=(PendingFile&& other) noexcept {
  if (this != &other) {
    Discard();
    path_ = std::move(other.path_);
    file_ = std::move(other.file_);
    openCause_ = other.openCause_;
    writeCause_ = other.writeCause_;
    closed_ = other.closed_;
    installed_ = std::exchange(other.installed_, true);
  }
  return *this;
}

void PendingFile::Discard() {
  if (installed_ || path_.empty()) return;
  file_.reset();
  if (openCause_ == 0) std::remove(TemporaryPath().c_str());
  installed_ = true;
}

void PendingFile::Write(std::string_view text) {
  if (!file_) return;
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), file_.get()) != text.size() && writeCause_ == 0)
    writeCause_ = errno != 0 ? errno : EIO;
}

int PendingFile::Close() {
  if (!file_) return openCause_ != 0 ? openCause_ : EIO;
  closed_ = true;
  int cause = CloseWrittenFile(std::move(file_));
  return writeCause_ != 0 ? writeCause_ : cause;
}

int PendingFile::Install() {
  if (!closed_) {
    if (int cause = Close()) return cause;
  }
  if (int cause = RenameReplacing(TemporaryPath(), path_)) return cause;
  installed_ = true;
  return 0;
}

#if defined(_WIN32)
int RenameReplacing(const std::string& from, const std::string& to) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
  switch (GetLastError()) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return EACCES;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_DISK_FULL:
      return ENOSPC;
    default:
      return EIO;
  }
}
#else
int RenameReplacing(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : (errno != 0 ? errno : EIO);
}
#endif

int WriteFileReplacing(const std::string& path, std::string_view text, const char* mode) {
  PendingFile file(path, mode);
  if (!file.IsOpen()) return file.OpenCause();
  file.Write(text);
  return file.Install();
}
