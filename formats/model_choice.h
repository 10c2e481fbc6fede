#pragma once
// The model-choice file "whichModel.txt": a header line, then the balance
// model number at the start of line 2 and the routing model number at the
// start of line 3. Lines after these belong to the model and are kept.

#include <string>
#include <string_view>

struct ModelChoice {
  int balanceModel = 0;  // 1 = one-layer, 2 = two-layer
  int routingModel = 0;  // 1 = diffusion, 2 = Muskingum-Cunge, 3 = lag
  std::string laterLines;  // the lines after line 3, as they stand, kept when the file is rewritten
};

// Throws InputError naming the line whose number is missing.
ModelChoice ParseModelChoice(std::string_view text, const std::string& path);

extern const char* const kModelChoiceHeader;

// Lines 2 and 3 as the toolkit writes them, then the later lines.
std::string ModelChoiceLines(const ModelChoice& choice);
