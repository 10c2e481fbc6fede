#pragma once
// The flows of every run of a study that builds a percentile band, kept on
// disk in float64 until the band is built at the end, so that memory stays
// bounded however many runs there are. The file is laid out in blocks of
// steps: block b holds, slot after slot, the flows of its steps, so that the
// band reads each block in one piece. A run writes its slice of every block.

#include <cstddef>
#include <string>
#include <vector>

#include "file_handle.h"

extern const char* const kFlowStoreFile;  // "ensemble-runner.flows"

// The store's path: in the worker root when one is named, else in the working directory.
std::string FlowStorePath(const std::string& workerRoot);

class FlowStore {
 public:
  // `slots` runs of `steps` x `fluxes` flows; blocks of at most about
  // `blockBytes` bytes.
  FlowStore(std::string path, size_t slots, size_t steps, size_t fluxes, size_t blockBytes = 64u << 20);
  FlowStore(FlowStore&&) = default;
  FlowStore& operator=(FlowStore&&) = default;

  // A new study starts an empty file; a resumed one needs the file to hold
  // the first `heldSlots` slots (an InputError otherwise).
  void Open(size_t heldSlots);
  // The flows of slot `slot` (steps x fluxes, step after step), written and
  // flushed before the checkpoint counts the run. A failed write stops.
  void Put(size_t slot, const double* flows);
  // NaN flows for a run that failed, so that every slot up to the last run made is in the file.
  void PutMissing(size_t slot);

  size_t Blocks() const { return blockFirst_.size(); }
  size_t BlockFirstStep(size_t block) const { return blockFirst_[block]; }
  size_t BlockSteps(size_t block) const;
  // Block `block`: for each slot, its BlockSteps x fluxes flows. Returns the
  // number of slots from the first that the file holds complete.
  size_t ReadBlock(size_t block, std::vector<double>& into);

  // Closes and deletes the file (after the results are written).
  void Remove();
  const std::string& path() const { return path_; }

 private:
  unsigned long long BlockOffset(size_t block) const;
  unsigned long long HeldBytes(size_t heldSlots) const;
  std::string path_;
  size_t slots_, steps_, fluxes_;
  std::vector<size_t> blockFirst_;  // the first step of each block
  std::vector<double> missing_;     // NaN flows of one run, made when first needed
  File file_;
};
