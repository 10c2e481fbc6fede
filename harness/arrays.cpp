#include "arrays.h"

#include <algorithm>
#include <limits>
#include <new>

#include "checked_files.h"
#include "stop.h"

// A negative count is treated as 0, like an empty allocation.
static size_t Count(std::ptrdiff_t n) { return n > 0 ? static_cast<size_t>(n) : 0; }

template <typename T>
static void Allocate(std::vector<T>& data, size_t n, const char* failure) {
  try {
    if (n > data.max_size()) throw std::bad_alloc();
    data.assign(n, T{});
  } catch (const std::bad_alloc&) {
    FatalError(failure);
  }
}

IntVector::IntVector(std::ptrdiff_t n) {
  Allocate(data_, Count(n), "allocation failure in IntVector()");
}

DoubleVector::DoubleVector(std::ptrdiff_t n) {
  Allocate(data_, Count(n), "allocation failure in DoubleVector()");
}

DoubleMatrix::DoubleMatrix(std::ptrdiff_t rows, std::ptrdiff_t columns)
    : rows_(static_cast<std::ptrdiff_t>(Count(rows))),
      columns_(static_cast<std::ptrdiff_t>(Count(columns))) {
  size_t r = Count(rows), c = Count(columns);
  if (c != 0 && r > std::numeric_limits<size_t>::max() / sizeof(double) / c)
    FatalError("allocation failure 1 in DoubleMatrix()");
  Allocate(data_, r * c, "allocation failure 2 in DoubleMatrix()");
}

void DoubleMatrix::Fill(double value) { std::fill(data_.begin(), data_.end(), value); }
