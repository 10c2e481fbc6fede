#pragma once
// Text helpers shared by every reader of the toolkit: whole-file reading,
// line splitting without any length limit (CR LF and LF both end a line) and
// the number rules that the file formats use.

#include <string>
#include <string_view>

// Reads a whole file into `text`. Returns false when it cannot be opened.
bool ReadFileText(const std::string& path, std::string& text);

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

bool IsBlank(char c);  // blank or tab
std::string_view TrimBlanks(std::string_view s);  // blanks, tabs, CR, LF at both ends
bool IsBlankLine(std::string_view s);

// Leading decimal integer: optional blanks, optional sign, digits. Stops at the
// first non-digit. `used` receives the characters consumed. False when no
// digit follows or the value does not fit in 32 bits.
bool ParseLeadingInt(std::string_view s, int& value, size_t* used = nullptr);

// Longest real-number prefix (decimal notation with optional exponent, also
// "inf" and "nan"), after optional blanks and an optional sign. False when
// the text does not begin with a number.
bool ParseRealPrefix(std::string_view s, double& value, size_t* used = nullptr);
bool ParseFloatPrefix(std::string_view s, float& value, size_t* used = nullptr);
