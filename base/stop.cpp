#include "stop.h"

#include <cstdio>
#include <exception>
#include <new>

#include "input_error.h"

void FatalError(const std::string& message, const std::string& detail) {
  throw Stop(StopStyle::Fatal, message).WithDetail(detail);
}

void FailWithBanner(const std::string& message, const std::string& detail) {
  throw Stop(StopStyle::Banner, message).WithDetail(detail);
}

static void PrintBanner(const std::string& message) {
  const std::string dashes(60, '-');
  std::printf("\n\n\n %s \n", dashes.c_str());
  std::printf("%s\n", std::string(55, ' ').c_str());
  std::fflush(stdout);
  std::fputs(message.c_str(), stderr);
  std::fflush(stderr);
  std::printf("%s\n", std::string(66, ' ').c_str());
  std::printf(" %s \n\n\n", dashes.c_str());
}

int ReportStop(const Stop& stop) {
  std::fflush(stdout);
  switch (stop.style()) {
    case StopStyle::Fatal:
      std::fprintf(stderr, "%s\n", stop.what());
      std::fputs("...now exiting to system...\n", stderr);
      break;
    case StopStyle::Banner:
      PrintBanner(stop.what());
      break;
    case StopStyle::Plain:
      std::fputs(stop.output().c_str(), stdout);
      std::fflush(stdout);
      std::fputs(stop.what(), stderr);
      break;
  }
  std::fflush(stdout);
  if (!stop.detail().empty()) std::fprintf(stderr, "%s\n", stop.detail().c_str());
  std::fflush(stderr);
  return stop.status();
}

int ReportCurrentFailure(const char* program) {
  std::fflush(stdout);
  try {
    throw;
  } catch (const Stop& stop) {
    return ReportStop(stop);
  } catch (const InputError& e) {
    std::fprintf(stderr, "%s\n", e.what());
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "%s: out of memory\n", program);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", program, e.what());
  }
  std::fflush(stderr);
  return 1;
}
