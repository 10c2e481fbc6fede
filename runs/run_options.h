#pragma once
// Command-line options shared by the two model-driving programs.

#include <string>
#include <vector>

struct RunOptions {
  bool resume = false;        // --resume: continue after the last run of the checkpoint
  std::string workerRoot;     // --worker-root DIR: where parallel workers get their folders
  std::vector<std::string> arguments;  // what is not an option, in order
};

// Parses argv[1..]; returns false (with `error` set) for an unknown option or
// an option without its value.
bool ParseRunOptions(int argc, char** argv, RunOptions& options, std::string& error);

// The default worker root: the working directory's path with ".workers" appended.
std::string DefaultWorkerRoot();
