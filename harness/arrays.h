#pragma once
// Zero-filled numeric arrays of the model-driving programs. They own their
// storage; an allocation that fails ends the program through FatalError with
// the message naming the helper.

#include <cstddef>
#include <cstdint>
#include <vector>

class IntVector {
 public:
  IntVector() = default;
  explicit IntVector(std::ptrdiff_t n);
  int32_t& operator[](std::ptrdiff_t i) { return data_[static_cast<size_t>(i)]; }
  int32_t operator[](std::ptrdiff_t i) const { return data_[static_cast<size_t>(i)]; }
  std::ptrdiff_t size() const { return static_cast<std::ptrdiff_t>(data_.size()); }

 private:
  std::vector<int32_t> data_;
};

class DoubleVector {
 public:
  DoubleVector() = default;
  explicit DoubleVector(std::ptrdiff_t n);
  double& operator[](std::ptrdiff_t i) { return data_[static_cast<size_t>(i)]; }
  double operator[](std::ptrdiff_t i) const { return data_[static_cast<size_t>(i)]; }
  std::ptrdiff_t size() const { return static_cast<std::ptrdiff_t>(data_.size()); }
  double* data() { return data_.data(); }
  const double* data() const { return data_.data(); }

 private:
  std::vector<double> data_;
};

// Rows by columns; m[row][column]. The rows lie one after another in one block.
class DoubleMatrix {
 public:
  DoubleMatrix() = default;
  DoubleMatrix(std::ptrdiff_t rows, std::ptrdiff_t columns);
  double* operator[](std::ptrdiff_t row) { return data_.data() + row * columns_; }
  const double* operator[](std::ptrdiff_t row) const { return data_.data() + row * columns_; }
  std::ptrdiff_t rows() const { return rows_; }
  std::ptrdiff_t columns() const { return columns_; }
  void Fill(double value);

 private:
  std::ptrdiff_t rows_ = 0;
  std::ptrdiff_t columns_ = 0;
  std::vector<double> data_;
};
