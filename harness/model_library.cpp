#include "model_library.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
#include <direct.h>
#else
#include <dlfcn.h>
#endif

ModelLibrary::~ModelLibrary() { Release(); }

ModelLibrary::ModelLibrary(ModelLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), loadError_(std::move(other.loadError_)) {}

ModelLibrary& ModelLibrary::operator=(ModelLibrary&& other) noexcept {
  if (this != &other) {
    Release();
    handle_ = std::exchange(other.handle_, nullptr);
    loadError_ = std::move(other.loadError_);
  }
  return *this;
}

#if defined(_WIN32)
// The text of a Windows error code, without its closing line end.
static std::string SystemErrorText(DWORD code) {
  char* text = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = n && text ? std::string(text, n) : "error " + std::to_string(code);
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
    message.pop_back();
  return message;
}

bool ModelLibrary::Load(const std::string& path) {
  Release();
  handle_ = reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
  loadError_ = handle_ ? "" : SystemErrorText(GetLastError());
  return handle_ != nullptr;
}

ModelEntryPoint ModelLibrary::Find(const char* name) const {
  if (!handle_) return nullptr;
  FARPROC f = GetProcAddress(static_cast<HMODULE>(handle_), name);
  return reinterpret_cast<ModelEntryPoint>(reinterpret_cast<void*>(f));
}

void ModelLibrary::Release() {
  if (handle_) FreeLibrary(static_cast<HMODULE>(std::exchange(handle_, nullptr)));
}

// With a bare name Windows would search the program's folder first; the
// user's model in the working directory must win, so pass an absolute path.
std::string ModelLibraryPath() {
  char* cwd = _getcwd(nullptr, 0);
  std::string path = cwd ? std::string(cwd) + "\\fluvex.dll" : std::string(".\\fluvex.dll");
  std::free(cwd);
  return path;
}
#else
bool ModelLibrary::Load(const std::string& path) {
  Release();
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  const char* error = handle_ ? nullptr : dlerror();
  loadError_ = error ? error : "";
  return handle_ != nullptr;
}

ModelEntryPoint ModelLibrary::Find(const char* name) const {
  if (!handle_) return nullptr;
  void* f = dlsym(handle_, name);
  return reinterpret_cast<ModelEntryPoint>(f);
}

void ModelLibrary::Release() {
  if (handle_) dlclose(std::exchange(handle_, nullptr));
}

std::string ModelLibraryPath() { return "./fluvex.dll"; }
#endif

bool ModelEntryPoints::Complete() const {
  return oneLayerBalance && twoLayerBalance && diffusionRoute && cungeRoute && lagRoute;
}

namespace {
struct EntryDescription {
  const char* name;
  ModelEntryPoint ModelEntryPoints::*slot;
  const char* found;
  const char* missing;
};

const EntryDescription kEntries[] = {
    {"ONELAYERBALANCE", &ModelEntryPoints::oneLayerBalance,
     "Found 1D water balance function in Fluvex.dll\n",
     "1D water balance function not found in Fluvex.dll\n"},
    {"twolayerbalance", &ModelEntryPoints::twoLayerBalance,
     "Found 2D water balance function in Fluvex.dll\n",
     "2D water balance function not found in Fluvex.dll\n"},
    {"DIFFROUTE", &ModelEntryPoints::diffusionRoute,
     "Found diffusion routing function in Fluvex.dll\n",
     "Diffusion routing function not found in Fluvex.dll\n"},
    {"cungeroute", &ModelEntryPoints::cungeRoute,
     "Found Muskingham-Cunge routing function in Fluvex.dll\n",
     "Muskingham-Cunge routing function not found in Fluvex.dll\n"},
    {"LAGROUTE", &ModelEntryPoints::lagRoute, "Found lag routing function in Fluvex.dll\n",
     "Lag routing function not found in Fluvex.dll\n"},
};
}  // namespace

bool BindModelLibrary(ModelLibrary& library, ModelEntryPoints& entries) {
  const std::string path = ModelLibraryPath();
  if (library.Load(path)) {
    std::fputs("Fluvex.dll found!\n", stdout);
  } else {
    std::fputs("Fluvex.dll not found, make sure Fluvex.dll is in working directory.\n", stdout);
    std::fflush(stdout);
    std::fprintf(stderr, "%s: cannot be loaded (%s)\n", path.c_str(), library.LoadError().c_str());
  }
  for (const EntryDescription& e : kEntries) {
    entries.*e.slot = library.Find(e.name);
    std::fputs(entries.*e.slot ? e.found : e.missing, stdout);
  }
  if (entries.Complete()) return true;
  std::fputs(
      "Error in Fluvex.dll, recompile release version and include all of the following "
      "functions:\n onelayerbalance\n twolayerbalance\n diffroute\n cungeroute\n lagroute\n",
      stdout);
  std::fflush(stdout);
  library.Release();
  entries = ModelEntryPoints{};
  return false;
}
