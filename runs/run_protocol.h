#pragma once
// The messages between a program and its isolated worker process, over the
// worker's standard input and output: the worker says it is ready, then
// answers each job with its result or its failure.
//
//   worker  -> program   'Y'                           ready
//   program -> worker    'J' u64 index, u32 n, n doubles   a job
//   worker  -> program   'R' u32 n, n doubles          a result
//   worker  -> program   'F' u32 n, n bytes            a failure: the reason, a line end, what the model printed

#include <cstdint>
#include <string>

#include "child_process.h"
#include "run_dispatch.h"

std::string JobMessage(size_t index, const RunJob& job);

// A worker's log: its size now, and what it holds from `offset` on (what a
// model printed during a run), both after flushing this process's output.
long LogSize(const std::string& log);
std::string LogSince(const std::string& log, long offset);

// A worker's side: says it is ready, then makes the runs it is sent until
// its input ends. Returns 0.
int ServeOverPipes(const WorkerStreams& streams, const RunFunction& run, const std::string& log);

struct WorkerReply {
  int state = 0;        // 1 a reply, 0 the worker ended, -1 the time ran out
  bool ok = false;
  RunResult values;
  std::string failure;  // the reason, a line end, what the model printed
};

// The program's side: waits at most `seconds` (< 0: for ever) for the
// worker's reply to a job, or for its ready message. `buffer` is storage
// that is kept from one reply to the next.
WorkerReply ReadReply(ChildProcess& child, double seconds, std::string& buffer);
bool WaitUntilReady(ChildProcess& child);
