#include "model_choice.h"

#include "input_error.h"
#include "number_format.h"
#include "text.h"

ModelChoice ParseModelChoice(std::string_view text, const std::string& path) {
  LineCursor lines(text);
  std::string_view line;
  ModelChoice choice;
  lines.Next(line);
  if (!lines.Next(line) || !ParseLeadingInt(line, choice.balanceModel))
    throw InputError(path, 2, "expected the water balance model number (1 or 2)");
  if (!lines.Next(line) || !ParseLeadingInt(line, choice.routingModel))
    throw InputError(path, 3, "expected the routing model number (1, 2 or 3)");
  choice.laterLines.assign(lines.Rest());
  if (!choice.laterLines.empty() && choice.laterLines.back() != '\n') choice.laterLines += '\n';
  return choice;
}

const char* const kModelChoiceHeader = "Model Index   Index description\n";

std::string ModelChoiceLines(const ModelChoice& choice) {
  return FormatString("%d //water balance model:  1= 1D balance, 2= 2D balance\n"
                      "%d //routing model:  1=diffusion, 2=Muskingham-Cunge, 3=lag \n",
                      choice.balanceModel, choice.routingModel) +
         choice.laterLines;
}
