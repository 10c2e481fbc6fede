#pragma once
// The subbasin and reach records, the source parameter files they are read
// from ("basin_original.txt", "river_original.txt") and the model input files
// written from them ("basin.txt", "river.txt").

#include <string>
#include <string_view>
#include <vector>

struct SubbasinRecord {
  int basinId = 0;
  float soilWhc = 0, topSoil = 0, soilDepth = 0, ks = 0;
  int texture = 0;
  float hSlope = 0, area = 0, rcNumber = 0, maxCover = 0, panCoeff = 0;
  float baseflowLag = 0, interflowLag = 0, basinLoss = 0;
  int aridity = 0;
};

struct ReachRecord {
  int basinId = 0, downId = 0, hasRating = 0;
  float rivManning = 0, rivLength = 0, rivSlope = 0, rivWidth = 0, riverPLoss = 0, rivLoss = 0;
  float area = 0, upArea = 0;
  int runType = 0;
  float celerity = 0, diffusion = 0, flowRef = 0;
  int hasFlowData = 0, hasDam = 0;
};

// Data rows of a source file: one per line after the header, blank lines
// skipped. Reads the first `nsub` rows; throws InputError naming the file,
// line and column of the first bad value, or the rows that are missing.
std::vector<SubbasinRecord> ParseBasinRows(std::string_view text, const std::string& path, int nsub);
std::vector<ReachRecord> ParseReachRows(std::string_view text, const std::string& path, int nsub);

// Header lines and one data line each, exactly as the model reads them.
extern const char* const kBasinHeader;
extern const char* const kRiverHeader;
void AppendBasinLine(std::string& out, const SubbasinRecord& r);
void AppendReachLine(std::string& out, const ReachRecord& r);
