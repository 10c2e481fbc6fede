#pragma once
// Private folders of workers: copies of the working directory under the
// worker root, and the folders of failed runs kept for inspection.

#include <string>
#include <vector>

// Copies every file and folder of `from` into the new folder `to` but the
// names in `excluded` and the folder `root` (the worker root, when it lies
// inside `from`). An old `to` is removed first.
void CopyWorkingDirectory(const std::string& from, const std::string& to, const std::vector<std::string>& excluded,
                          const std::string& root);

// Moves the folder of a failed run to ROOT/failed-run-N (failed-run-N-attempt-A
// for a later attempt) and returns the new path; the old path when it cannot be moved.
std::string KeepFailedFolder(const std::string& folder, const std::string& root, size_t run, int attempt);

// Copies the folder of a failed run that goes on being used (an in-process
// MPI worker's) to the same place, and returns that path.
std::string CopyFailedFolder(const std::string& folder, const std::string& root, size_t run, int attempt);

// Removes a worker's folder. A process that just ended may hold its files a
// moment longer on some systems, so a refused removal is tried again for a while.
void RemoveFolder(const std::string& folder);
