#include "run_protocol.h"

#include <cstdio>
#include <cstring>

#include "file_handle.h"
#include "run_failure.h"

namespace {

template <typename T>
void Put(std::string& bytes, const T& value) {
  bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}

}  // namespace

std::string LogSince(const std::string& log, long offset) {
  std::fflush(stdout);
  std::fflush(stderr);
  std::string text;
  File file(std::fopen(log.c_str(), "rb"));
  if (!file || std::fseek(file.get(), offset, SEEK_SET) != 0) return text;
  char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) text.append(chunk, got);
  return text;
}

long LogSize(const std::string& log) {
  std::fflush(stdout);
  std::fflush(stderr);
  File file(std::fopen(log.c_str(), "rb"));
  if (!file || std::fseek(file.get(), 0, SEEK_END) != 0) return 0;
  return std::ftell(file.get());
}

std::string JobMessage(size_t index, const RunJob& job) {
  std::string bytes = "J";
  Put(bytes, static_cast<uint64_t>(index));
  Put(bytes, static_cast<uint32_t>(job.size()));
  bytes.append(reinterpret_cast<const char*>(job.data()), job.size() * sizeof(double));
  return bytes;
}

int ServeOverPipes(const WorkerStreams& streams, const RunFunction& run, const std::string& log) {
  if (!WriteExactly(streams.output, "Y", 1)) return 0;
  while (true) {
    char kind = 0;
    uint64_t index = 0;
    uint32_t count = 0;
    if (!ReadExactly(streams.input, &kind, 1) || kind != 'J' || !ReadExactly(streams.input, &index, sizeof index) ||
        !ReadExactly(streams.input, &count, sizeof count))
      return 0;
    RunJob job(count);
    if (count && !ReadExactly(streams.input, job.data(), count * sizeof(double))) return 0;
    const long before = LogSize(log);
    std::string reply;
    try {
      RunResult result = run(job);
      reply.reserve(1 + sizeof(uint32_t) + result.size() * sizeof(double));
      reply = "R";
      Put(reply, static_cast<uint32_t>(result.size()));
      reply.append(reinterpret_cast<const char*>(result.data()), result.size() * sizeof(double));
    } catch (...) {
      const std::string text = CurrentErrorMessage() + "\n" + LogSince(log, before);
      reply = "F";
      Put(reply, static_cast<uint32_t>(text.size()));
      reply += text;
    }
    std::fflush(stdout);
    if (!WriteExactly(streams.output, reply.data(), reply.size())) return 0;
  }
}

WorkerReply ReadReply(ChildProcess& child, double seconds, std::string& bytes) {
  WorkerReply reply;
  reply.state = child.Read(1, bytes, seconds);
  if (reply.state != 1) return reply;
  const char kind = bytes[0];
  // The rest of a reply that has begun follows at once.
  if ((reply.state = child.Read(sizeof(uint32_t), bytes, -1)) != 1) return reply;
  uint32_t count = 0;
  std::memcpy(&count, bytes.data(), sizeof count);
  const size_t size = kind == 'R' ? count * sizeof(double) : count;
  if (size && (reply.state = child.Read(size, bytes, -1)) != 1) return reply;
  if (kind == 'R') {
    reply.ok = true;
    reply.values.resize(count);
    if (count) std::memcpy(reply.values.data(), bytes.data(), size);
  } else {
    reply.failure.assign(bytes, 0, size);
  }
  return reply;
}

bool WaitUntilReady(ChildProcess& child) {
  std::string bytes;
  return child.Read(1, bytes, -1) == 1 && bytes[0] == 'Y';
}
