#pragma once
// The daily series read block by block: each block holds whole lines, and
// its records are parsed on their own, so that two blocks can be parsed at
// once and folded in order.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "daily_fields.h"

// Reads a file in blocks of about `blockBytes` that end at a line end.
class BlockReader {
 public:
  BlockReader(FILE* file, size_t blockBytes) : file_(file), blockBytes_(blockBytes) {}
  // The first line without its line end; false for an empty file.
  bool ReadHeader(std::string& header);
  // The next block of whole lines (the last may lack its line end); false at the end.
  bool NextBlock(std::string& block);

 private:
  bool Fill();
  FILE* file_;
  size_t blockBytes_;
  std::string pending_;  // read but not yet handed out
  bool eof_ = false;
};

// How values become numbers.
struct ValueRules {
  int width = 0;              // value columns read from every record
  bool hasMissingCode = false;
  float missingCode = 0;      // a value equal to it is missing
};

// One block's records, parsed: values (missing as NaN) and dates. Records
// are consecutive lines, so record i is line i of the block.
struct ParsedBlock {
  std::vector<float> values;      // width per record
  std::vector<RecordDate> dates;  // one per record
  bool ended = false;             // an empty line after the records ended the series
  bool failed = false;            // the line after the records does not parse
  std::string failure;            // what is wrong with it, without file and line
  size_t records() const { return dates.size(); }
};

void ParseDailyBlock(std::string_view text, const ValueRules& rules, ParsedBlock& out);
