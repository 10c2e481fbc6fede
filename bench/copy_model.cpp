// A benchmark model library: its routing entries copy a prepared
// "streamflow.source" to "streamflow.txt", its balance entries do nothing, so
// that a benchmark measures the toolkit and the file copy alone. Built with
// BENCH_MODEL_WAIT_MS, every run also waits that long, like a slow model.
// Built with BENCH_MODEL_STRAGGLE_MS as well, one run in twenty (by the text
// of its "basin.txt") waits that long instead on its first attempt only, as
// an overloaded node would make it: the folder named in "stragglers.txt"
// holds a marker per run that has straggled.

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#if defined(_WIN32)
#define BENCH_EXPORT extern "C" __declspec(dllexport)
#else
#define BENCH_EXPORT extern "C" __attribute__((visibility("default")))
#endif

#ifdef BENCH_MODEL_STRAGGLE_MS
// Whether this run straggles: one in twenty, on its first attempt.
static bool Straggles() {
  FILE* list = std::fopen("stragglers.txt", "rb");
  if (!list) return false;
  char folder[4096] = "";
  const bool named = std::fscanf(list, "%4095s", folder) == 1;
  std::fclose(list);
  FILE* basin = std::fopen("basin.txt", "rb");
  if (!named || !basin) return false;
  unsigned long long hash = 1469598103934665603ull;
  int c;
  while ((c = std::fgetc(basin)) != EOF) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  std::fclose(basin);
  if (hash % 20 != 0) return false;
  const std::string marker = std::string(folder) + "/" + std::to_string(hash);
  if (FILE* seen = std::fopen(marker.c_str(), "rb")) {
    std::fclose(seen);
    return false;
  }
  if (FILE* mark = std::fopen(marker.c_str(), "wb")) std::fclose(mark);
  return true;
}
#endif

static void CopyFlows() {
#ifdef BENCH_MODEL_STRAGGLE_MS
  if (Straggles()) std::this_thread::sleep_for(std::chrono::milliseconds(BENCH_MODEL_STRAGGLE_MS - BENCH_MODEL_WAIT_MS));
#endif
#ifdef BENCH_MODEL_WAIT_MS
  std::this_thread::sleep_for(std::chrono::milliseconds(BENCH_MODEL_WAIT_MS));
#endif
  FILE* in = std::fopen("streamflow.source", "rb");
  if (!in) return;
  FILE* out = std::fopen("streamflow.txt", "wb");
  static char buffer[1 << 20];
  size_t got;
  while (out && (got = std::fread(buffer, 1, sizeof buffer, in)) > 0) std::fwrite(buffer, 1, got, out);
  if (out) std::fclose(out);
  std::fclose(in);
}

BENCH_EXPORT void ONELAYERBALANCE(const char*, int, int* status) { *status = 0; }
BENCH_EXPORT void twolayerbalance(const char*, int, int* status) { *status = 0; }
BENCH_EXPORT void DIFFROUTE(const char*, int, int* status) { CopyFlows(); *status = 0; }
BENCH_EXPORT void cungeroute(const char*, int, int* status) { CopyFlows(); *status = 0; }
BENCH_EXPORT void LAGROUTE(const char*, int, int* status) { CopyFlows(); *status = 0; }
