#pragma once
// Text helpers shared by every reader of the toolkit: whole-file reading,
// line splitting without any length limit (CR LF and LF both end a line) and
// the number rules that the file formats use.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// Reads a whole file into `text`. Returns false when it cannot be opened or
// read, with the cause as an errno value in `cause` (EISDIR for a directory).
bool ReadFileText(const std::string& path, std::string& text, int* cause = nullptr);

// The line that says why `path` could not be read, without a line end:
// "PATH: is a directory" or "PATH: cannot be opened (REASON)".
std::string CannotReadLine(const std::string& path, int cause);

// A token quoted for a message: at most 40 of its characters, in single quotes.
std::string QuoteToken(std::string_view token);

// Hands out the lines of a text one at a time, without their line ends.
class LineCursor {
 public:
  explicit LineCursor(std::string_view text) : text_(text) {}
  // False at the end of the text. A last line without a line end still counts.
  bool Next(std::string_view& line);
  // 1-based number of the line most recently returned by Next.
  long LineNumber() const { return lineNumber_; }
  // The text not yet handed out.
  std::string_view Rest() const { return text_.substr(pos_ < text_.size() ? pos_ : text_.size()); }

 private:
  std::string_view text_;
  size_t pos_ = 0;
  long lineNumber_ = 0;
};

// Reads the lines of an open file in large blocks, so that memory stays at
// one block however long the file is. Lines have no length limit.
class FileLineReader {
 public:
  explicit FileLineReader(FILE* file) : file_(file) {}
  // False at the end of the file. The view is valid until the next call.
  bool Next(std::string_view& line);
  long LineNumber() const { return lineNumber_; }

 private:
  bool Fill();
  FILE* file_;
  std::string buffer_;
  size_t pos_ = 0;
  bool eof_ = false;
  long lineNumber_ = 0;
};

bool IsBlank(char c);  // blank or tab
std::string_view TrimBlanks(std::string_view s);  // blanks, tabs, CR, LF at both ends
bool IsBlankLine(std::string_view s);
// Equal when letters A to Z are taken as a to z.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// Splits a line at every comma into `fields`; a comma that ends the line
// opens no further field.
void SplitCommaFields(std::string_view line, std::vector<std::string_view>& fields);

// A whole field that is one finite number.
bool ParseFiniteNumber(std::string_view field, double& value);

// Leading decimal integer: optional blanks, optional sign, digits. Stops at the
// first non-digit. `used` receives the characters consumed. False when no
// digit follows, when the value does not fit in 32 bits, and when the digits
// go on as a decimal fraction or an exponent ("1095.9", "1e308"): the text is
// then no whole number.
bool ParseLeadingInt(std::string_view s, int& value, size_t* used = nullptr);

// Longest real-number prefix (decimal notation with optional exponent, also
// "inf" and "nan"), after optional blanks and an optional sign. False when
// the text does not begin with a number.
bool ParseRealPrefix(std::string_view s, double& value, size_t* used = nullptr);
bool ParseFloatPrefix(std::string_view s, float& value, size_t* used = nullptr);

// An unsigned plain decimal ("12.5", ".5", "007") of at most 15 significant
// digits, converted exactly; returns where it ends, or nullptr for anything
// else (an exponent, more digits, no digit), which ParseRealPrefix then reads.
// Inline: it is the inner loop of the large-file readers.
inline const char* ParsePlainDecimal(const char* p, const char* end, double& value) {
  static const double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                  1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  unsigned long long mantissa = 0;  // wraps harmlessly past 19 digits: refused below
  const char* q = p;
  while (q < end && *q == '0') ++q;  // leading zeros are not significant
  const char* first = q;
  while (q < end && static_cast<unsigned char>(*q - '0') < 10) mantissa = mantissa * 10 + static_cast<unsigned>(*q++ - '0');
  const bool integerDigits = q > p;
  long significant = q - first, decimals = 0;
  if (q < end && *q == '.') {
    const char* point = ++q;
    if (mantissa == 0)
      while (q < end && *q == '0') ++q;
    first = q;
    while (q < end && static_cast<unsigned char>(*q - '0') < 10) mantissa = mantissa * 10 + static_cast<unsigned>(*q++ - '0');
    decimals = q - point;
    significant += q - first;
  }
  if ((!integerDigits && decimals == 0) || significant > 15 || decimals > 22) return nullptr;
  if (q < end && (*q == 'e' || *q == 'E')) return nullptr;
  value = static_cast<double>(mantissa) / kPow10[decimals];
  return q;
}

