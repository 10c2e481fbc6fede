#include "daily_blocks.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "text.h"

bool BlockReader::Fill() {
  if (eof_) return false;
  const size_t old = pending_.size();
  pending_.resize(old + blockBytes_);
  const size_t got = std::fread(&pending_[old], 1, blockBytes_, file_);
  pending_.resize(old + got);
  if (got == 0) eof_ = true;
  return got > 0;
}

bool BlockReader::ReadHeader(std::string& header) {
  size_t end;
  while ((end = pending_.find('\n')) == std::string::npos && Fill()) {
  }
  if (pending_.empty()) return false;
  if (end == std::string::npos) end = pending_.size();
  size_t stop = end > 0 && pending_[end - 1] == '\r' ? end - 1 : end;
  header.assign(pending_, 0, stop);
  pending_.erase(0, end < pending_.size() ? end + 1 : end);
  return true;
}

bool BlockReader::NextBlock(std::string& block) {
  // The block is read into its own buffer, after the part line left over from
  // the last one: the bytes are copied once, by the read itself.
  block.swap(pending_);
  pending_.clear();
  if (block.size() < blockBytes_ && !eof_) {
    const size_t old = block.size();
    block.resize(old + blockBytes_);
    const size_t got = std::fread(&block[old], 1, blockBytes_, file_);
    block.resize(old + got);
    if (got == 0) eof_ = true;
  }
  if (block.empty()) return false;
  if (eof_) return true;
  size_t last = block.rfind('\n');
  while (last == std::string::npos) {  // a line longer than a block
    const size_t old = block.size();
    block.resize(old + blockBytes_);
    const size_t got = std::fread(&block[old], 1, blockBytes_, file_);
    block.resize(old + got);
    if (got == 0) {
      eof_ = true;
      return true;
    }
    last = block.rfind('\n');
  }
  pending_.assign(block, last + 1, std::string::npos);
  block.resize(last + 1);
  return true;
}

namespace {

const float kMissing = std::numeric_limits<float>::quiet_NaN();

std::string FieldFailure(int column, std::string_view field) {
  return "column " + std::to_string(column) + ": expected a number or a missing value, found " +
         QuoteToken(TrimBlanks(field));
}

// Parses one record's values into `out`; false with `failure` set when it is bad.
bool ParseRecord(const char* p, const char* end, const ValueRules& rules, float* out, std::string& failure) {
  const void* comma = std::memchr(p, ',', static_cast<size_t>(end - p));
  p = comma ? static_cast<const char*>(comma) + 1 : end;  // the date field is read apart
  for (int k = 0; k < rules.width; ++k) {
    if (p >= end) {
      failure = "expected " + std::to_string(rules.width) + " values after the date, found " + std::to_string(k);
      return false;
    }
    // A plain decimal right up to the comma is the common case: one pass, no copy.
    const char* digits = p + (*p == '-' || *p == '+');
    double v = 0;
    const char* stop = ParsePlainDecimal(digits, end, v);
    float value;
    const char* fieldEnd;
    if (stop && stop > digits && (stop == end || *stop == ',')) {
      value = static_cast<float>(*p == '-' ? -v : v);
      fieldEnd = stop;
    } else {
      const void* next = std::memchr(p, ',', static_cast<size_t>(end - p));
      fieldEnd = next ? static_cast<const char*>(next) : end;
      const std::string_view field(p, static_cast<size_t>(fieldEnd - p));
      switch (ParseDailyField(field, value)) {
        case FieldKind::Number:
          break;
        case FieldKind::Missing:
          value = kMissing;
          break;
        case FieldKind::Bad:
          failure = FieldFailure(k + 1, field);
          return false;
      }
    }
    if (rules.hasMissingCode && value == rules.missingCode) value = kMissing;
    out[k] = value;
    p = fieldEnd < end ? fieldEnd + 1 : end;  // a comma that ends the line opens no field
  }
  return true;
}

}  // namespace

void ParseDailyBlock(std::string_view text, const ValueRules& rules, ParsedBlock& out) {
  out.values.clear();
  out.dates.clear();
  out.ended = out.failed = false;
  out.failure.clear();
  const size_t width = static_cast<size_t>(rules.width);
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end) {
    const void* newline = std::memchr(p, '\n', static_cast<size_t>(end - p));
    const char* lineEnd = newline ? static_cast<const char*>(newline) : end;
    const char* next = newline ? lineEnd + 1 : end;
    if (lineEnd > p && lineEnd[-1] == '\r') --lineEnd;
    if (lineEnd == p) {  // an empty line ends the series
      out.ended = true;
      return;
    }
    const size_t at = out.values.size();
    out.values.resize(at + width);
    if (!ParseRecord(p, lineEnd, rules, out.values.data() + at, out.failure)) {
      out.values.resize(at);
      out.failed = true;
      return;
    }
    const void* comma = std::memchr(p, ',', static_cast<size_t>(lineEnd - p));
    RecordDate date;
    ParseRecordDate(std::string_view(p, static_cast<size_t>((comma ? static_cast<const char*>(comma) : lineEnd) - p)),
                    date);
    out.dates.push_back(date);
    p = next;
  }
}
