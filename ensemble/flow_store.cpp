#include "flow_store.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>

#include "input_error.h"
#include "stop.h"
#include "text.h"

const char* const kFlowStoreFile = "ensemble-runner.flows";

std::string FlowStorePath(const std::string& workerRoot) {
  return workerRoot.empty() ? std::string(kFlowStoreFile) : workerRoot + "/" + kFlowStoreFile;
}

FlowStore::FlowStore(std::string path, size_t slots, size_t steps, size_t fluxes, size_t blockBytes)
    : path_(std::move(path)), slots_(slots), steps_(steps), fluxes_(fluxes) {
  const size_t perStep = std::max<size_t>(1, slots * fluxes * sizeof(double));
  const size_t stepsPerBlock = std::max<size_t>(1, std::min(steps, blockBytes / perStep));
  for (size_t first = 0; first < steps; first += stepsPerBlock) blockFirst_.push_back(first);
}

size_t FlowStore::BlockSteps(size_t block) const {
  const size_t end = block + 1 < blockFirst_.size() ? blockFirst_[block + 1] : steps_;
  return end - blockFirst_[block];
}

unsigned long long FlowStore::BlockOffset(size_t block) const {
  return static_cast<unsigned long long>(blockFirst_[block]) * slots_ * fluxes_ * sizeof(double);
}

// The file's bytes up to the end of slot heldSlots - 1 in the last block.
unsigned long long FlowStore::HeldBytes(size_t heldSlots) const {
  if (heldSlots == 0 || blockFirst_.empty()) return 0;
  const size_t last = blockFirst_.size() - 1;
  return BlockOffset(last) + static_cast<unsigned long long>(heldSlots) * BlockSteps(last) * fluxes_ * sizeof(double);
}

void FlowStore::Open(size_t heldSlots) {
  if (heldSlots == 0) {
    file_.reset(std::fopen(path_.c_str(), "w+b"));
  } else {
    std::error_code error;
    const auto size = std::filesystem::file_size(path_, error);
    if (error || size < HeldBytes(heldSlots))
      throw InputError(path_, 0,
                       "holds the flows of fewer runs than the checkpoint counts; remove the checkpoint or run "
                       "without --resume");
    file_.reset(std::fopen(path_.c_str(), "r+b"));
  }
  if (!file_) FatalError("Can not open file: " + path_ + " (" + std::strerror(errno) + ")\n");
}

void FlowStore::Put(size_t slot, const double* flows) {
  for (size_t b = 0; b < blockFirst_.size(); ++b) {
    const size_t count = BlockSteps(b) * fluxes_;
    const unsigned long long at = BlockOffset(b) + static_cast<unsigned long long>(slot) * count * sizeof(double);
    if (!SeekFile(file_.get(), at) ||
        std::fwrite(flows + blockFirst_[b] * fluxes_, sizeof(double), count, file_.get()) != count)
      FatalError("Can not write file: " + path_ + " (" + std::strerror(errno) + ")\n");
  }
  if (std::fflush(file_.get()) != 0) FatalError("Can not write file: " + path_ + " (" + std::strerror(errno) + ")\n");
}

void FlowStore::PutMissing(size_t slot) {
  if (missing_.empty()) missing_.assign(steps_ * fluxes_, std::numeric_limits<double>::quiet_NaN());
  Put(slot, missing_.data());
}

size_t FlowStore::ReadBlock(size_t block, std::vector<double>& into) {
  const size_t perSlot = BlockSteps(block) * fluxes_;
  into.assign(slots_ * perSlot, 0.0);
  if (!SeekFile(file_.get(), BlockOffset(block)))
    FatalError("Can not read file: " + path_ + " (" + std::strerror(errno) + ")\n");
  // Slots at the end that were never written (runs that failed last) are not in the file.
  const size_t got = std::fread(into.data(), sizeof(double), into.size(), file_.get());
  if (got < into.size() && std::ferror(file_.get()))
    FatalError("Can not read file: " + path_ + " (" + std::strerror(errno) + ")\n");
  return got / perSlot;
}

void FlowStore::Remove() {
  file_.reset();
  std::remove(path_.c_str());
}
