#pragma once
// An exclusive lock on the working directory for the whole run of a
// model-driving program, so that two programs never write each other's
// files: the lock file "toolkit.lock", created only when it does not exist,
// holds the program's name, process id and host.

#include <string>

extern const char* const kLockFileName;

class DirectoryLock {
 public:
  // Takes the lock of the working directory for `program`. Another holder
  // that still runs is a Stop naming it; a lock left by a process of this
  // host that no longer runs is taken over with a warning on standard error.
  explicit DirectoryLock(const std::string& program);
  ~DirectoryLock();  // removes the lock file
  DirectoryLock(const DirectoryLock&) = delete;
  DirectoryLock& operator=(const DirectoryLock&) = delete;

 private:
  std::string path_;
  void* handle_ = nullptr;  // Windows: the open lock file, deleted when closed
};

// The name of this host, as the lock file records it.
std::string HostName();
