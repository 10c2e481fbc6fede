#include "text.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <type_traits>

#include "file_handle.h"

bool ReadFileText(const std::string& path, std::string& text, int* cause) {
  auto fail = [cause](int why) {
    if (cause) *cause = why != 0 ? why : EIO;
    return false;
  };
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) return fail(EISDIR);
  errno = 0;
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) return fail(errno);
  text.clear();
  // Sized once from the file's length, so that a large file is not copied as it grows.
  if (std::fseek(file.get(), 0, SEEK_END) == 0) {
    long size = std::ftell(file.get());
    if (size > 0) text.reserve(static_cast<size_t>(size));
    std::rewind(file.get());
  }
  char chunk[1 << 16];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) text.append(chunk, got);
  if (std::ferror(file.get())) return fail(errno);
  return true;
}

std::string CannotReadLine(const std::string& path, int cause) {
  if (cause == EISDIR) return path + ": is a directory";
  return path + ": cannot be opened (" + std::strerror(cause) + ")";
}

std::string QuoteToken(std::string_view token) {
  const size_t kMost = 40;
  if (token.size() <= kMost) return "'" + std::string(token) + "'";
  return "'" + std::string(token.substr(0, kMost)) + "...'";
}

bool LineCursor::Next(std::string_view& line) {
  if (pos_ >= text_.size()) return false;
  size_t end = text_.find('\n', pos_);
  size_t next = end == std::string_view::npos ? text_.size() : end + 1;
  if (end == std::string_view::npos) end = text_.size();
  size_t stop = end;
  if (stop > pos_ && text_[stop - 1] == '\r') --stop;
  line = text_.substr(pos_, stop - pos_);
  pos_ = next;
  ++lineNumber_;
  return true;
}

bool FileLineReader::Fill() {
  if (eof_) return false;
  buffer_.erase(0, pos_);
  pos_ = 0;
  size_t old = buffer_.size();
  const size_t block = 1 << 20;
  buffer_.resize(old + block);
  size_t got = std::fread(&buffer_[old], 1, block, file_);
  buffer_.resize(old + got);
  if (got == 0) eof_ = true;
  return got > 0;
}

bool FileLineReader::Next(std::string_view& line) {
  size_t searchFrom = pos_;
  while (true) {
    size_t nl = buffer_.find('\n', searchFrom);
    if (nl != std::string::npos) {
      size_t stop = nl;
      if (stop > pos_ && buffer_[stop - 1] == '\r') --stop;
      line = std::string_view(buffer_).substr(pos_, stop - pos_);
      pos_ = nl + 1;
      ++lineNumber_;
      return true;
    }
    searchFrom = buffer_.size() - pos_;  // offset of the unsearched part after Fill
    if (!Fill()) break;
    // Fill moved the pending text to the front of the buffer.
  }
  if (pos_ >= buffer_.size()) return false;
  size_t stop = buffer_.size();
  if (stop > pos_ && buffer_[stop - 1] == '\r') --stop;
  line = std::string_view(buffer_).substr(pos_, stop - pos_);
  pos_ = buffer_.size();
  ++lineNumber_;
  return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

static bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view TrimBlanks(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsSpace(s[b])) ++b;
  while (e > b && IsSpace(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool IsBlankLine(std::string_view s) { return TrimBlanks(s).empty(); }

static char LowerLetter(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerLetter(a[i]) != LowerLetter(b[i])) return false;
  return true;
}

void SplitCommaFields(std::string_view line, std::vector<std::string_view>& fields) {
  fields.clear();
  size_t start = 0;
  while (true) {
    size_t comma = line.find(',', start);
    if (comma == std::string_view::npos) {
      std::string_view last = line.substr(start);
      if (!TrimBlanks(last).empty() || fields.empty()) fields.push_back(last);
      return;
    }
    fields.push_back(line.substr(start, comma - start));
    start = comma + 1;
  }
}

bool ParseFiniteNumber(std::string_view field, double& value) {
  size_t used = 0;
  return ParseRealPrefix(field, value, &used) && used == field.size() && std::isfinite(value);
}

bool ParseLeadingInt(std::string_view s, int& value, size_t* used) {
  size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  size_t digits = i;
  long long v = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
    v = v * 10 + (s[i++] - '0');
    if (v > static_cast<long long>(std::numeric_limits<int>::max()) + 1) return false;
  }
  if (i == digits) return false;
  // "1095.9" and "1e308" are not whole numbers, whatever their leading digits say.
  auto isDigit = [&](size_t k) { return k < s.size() && s[k] >= '0' && s[k] <= '9'; };
  if (i < s.size() && s[i] == '.' && isDigit(i + 1)) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E') &&
      (isDigit(i + 1) || (i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-') && isDigit(i + 2))))
    return false;
  if (negative) v = -v;
  if (v > std::numeric_limits<int>::max()) return false;
  value = static_cast<int>(v);
  if (used) *used = i;
  return true;
}

template <typename T>
static bool ParseRealPrefixT(std::string_view s, T& value, size_t* used) {
  size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  // from_chars takes no sign of its own here, so "+-1" and "--1" are refused.
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) return false;
  if constexpr (std::is_same<T, double>::value) {
    double fast = 0;
    if (const char* stop = ParsePlainDecimal(s.data() + i, s.data() + s.size(), fast)) {
      value = negative ? -fast : fast;
      if (used) *used = static_cast<size_t>(stop - s.data());
      return true;
    }
  }
  T v{};
  auto result = std::from_chars(s.data() + i, s.data() + s.size(), v, std::chars_format::general);
  if (result.ec == std::errc::invalid_argument) return false;
  if (result.ec == std::errc::result_out_of_range) {
    // Rare: let strtod give its usual answer (infinity or zero) for the same text.
    std::string digits(s.data() + i, static_cast<size_t>(result.ptr - (s.data() + i)));
    v = static_cast<T>(std::strtod(digits.c_str(), nullptr));
  }
  value = negative ? -v : v;
  if (used) *used = static_cast<size_t>(result.ptr - s.data());
  return true;
}

bool ParseRealPrefix(std::string_view s, double& value, size_t* used) {
  return ParseRealPrefixT(s, value, used);
}

bool ParseFloatPrefix(std::string_view s, float& value, size_t* used) {
  return ParseRealPrefixT(s, value, used);
}
