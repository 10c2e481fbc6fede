#include "run_dispatch.h"

#include "run_outcome.h"

// The dispatchers live beside what they dispatch to: serial_dispatch.cpp and parallel_mpi.cpp.
