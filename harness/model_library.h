#pragma once
// Binding of the outside model library "fluvex.dll" and its five entry points.
// All platform calls for dynamic loading live in model_library.cpp.

#include <string>

extern "C" {
typedef void (*ModelEntryPoint)(const char* listFile, int fourteen, int* modelStatus);
}

// Owns a loaded dynamic library; released when destroyed. Movable, not copyable.
class ModelLibrary {
 public:
  ModelLibrary() = default;
  ~ModelLibrary();
  ModelLibrary(ModelLibrary&& other) noexcept;
  ModelLibrary& operator=(ModelLibrary&& other) noexcept;
  ModelLibrary(const ModelLibrary&) = delete;
  ModelLibrary& operator=(const ModelLibrary&) = delete;

  // Loads the library at `path`; false when it cannot be loaded, with the
  // loader's reason in LoadError().
  bool Load(const std::string& path);
  const std::string& LoadError() const { return loadError_; }
  bool IsLoaded() const { return handle_ != nullptr; }
  // The exported function `name`, or nullptr (also when nothing is loaded).
  ModelEntryPoint Find(const char* name) const;
  void Release();

 private:
  void* handle_ = nullptr;
  std::string loadError_;
};

struct ModelEntryPoints {
  ModelEntryPoint oneLayerBalance = nullptr;  // ONELAYERBALANCE, balanceModel 1
  ModelEntryPoint twoLayerBalance = nullptr;  // twolayerbalance, balanceModel 2
  ModelEntryPoint diffusionRoute = nullptr;   // DIFFROUTE, routingModel 1
  ModelEntryPoint cungeRoute = nullptr;       // cungeroute, routingModel 2
  ModelEntryPoint lagRoute = nullptr;         // LAGROUTE, routingModel 3
  bool Complete() const;
};

// The library's file name, and its path: always in the working directory.
inline const char* const kModelLibraryFile = "fluvex.dll";
std::string ModelLibraryPath();

// Loads the model library, looks up the five entry points and prints one line
// for the library and each entry point to standard output; a library that
// cannot be loaded also gets one line on standard error with its path and
// the loader's reason. When an entry point is missing it prints the error
// text, releases the library and returns false.
bool BindModelLibrary(ModelLibrary& library, ModelEntryPoints& entries);
