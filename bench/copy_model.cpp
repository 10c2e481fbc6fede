// A benchmark model library: its routing entries copy a prepared
// "streamflow.source" to "streamflow.txt", its balance entries do nothing, so
// that a benchmark measures the toolkit and the file copy alone. Built with
// BENCH_MODEL_WAIT_MS, every run also waits that long, like a slow model.

#include <chrono>
#include <cstdio>
#include <thread>

#if defined(_WIN32)
#define BENCH_EXPORT extern "C" __declspec(dllexport)
#else
#define BENCH_EXPORT extern "C" __attribute__((visibility("default")))
#endif

static void CopyFlows() {
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
