#pragma once
// A file written under a temporary name beside its final one ("NAME.tmp")
// and renamed over it only when complete and closed, so that a failed write,
// a kill or a full disk leaves the previous complete file, or none.

#include <cstdio>
#include <string>
#include <string_view>

#include "file_handle.h"

class PendingFile {
 public:
  // Opens NAME.tmp for writing with `mode` ("w" text, "wb" binary). A final
  // name that is a directory fails at once (EISDIR).
  explicit PendingFile(const std::string& path, const char* mode = "w");
  // A file never installed: its temporary is removed.
  ~PendingFile();
  PendingFile(PendingFile&& other) noexcept;
  PendingFile& operator=(PendingFile&& other) noexcept;
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  bool IsOpen() const { return file_ != nullptr; }
  int OpenCause() const { return openCause_; }  // errno of a failed opening
  FILE* get() const { return file_.get(); }
  const std::string& path() const { return path_; }
  std::string TemporaryPath() const { return path_ + ".tmp"; }

  // Writes `text`; the first write that fails is remembered and Close reports it.
  void Write(std::string_view text);
  // Closes the temporary: 0 when everything written reached it, else the cause.
  int Close();
  // Renames the closed temporary over the final name: 0 or the cause.
  int Install();

 private:
  void Discard();
  std::string path_;
  File file_;
  int openCause_ = 0;
  int writeCause_ = 0;
  bool closed_ = false;
  bool installed_ = false;
};

// Renames `from` over `to`, replacing an existing file (MoveFileExA on
// Windows). Returns 0 or the cause as an errno value.
int RenameReplacing(const std::string& from, const std::string& to);

// Writes `text` to `path` through a temporary: 0 or the cause. `mode` as for PendingFile.
int WriteFileReplacing(const std::string& path, std::string_view text, const char* mode = "w");
