#pragma once
// The two counts that the toolkit takes from the model's "balparam.txt":
// the number of time steps (first integer of line 2) and the number of
// subbasins (first integer of line 5). The rest of the file is the model's.

#include <string>
#include <string_view>

// The non-negative integer at the start of line `lineNo`; throws InputError.
int ParseCountOnLine(std::string_view text, const std::string& path, int lineNo, const char* what);

int ParseSubbasinCount(std::string_view text, const std::string& path);  // line 5
int ParseFlowRowCount(std::string_view text, const std::string& path);   // line 2
