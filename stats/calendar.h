#pragma once
// The calendar that Calvor walks, and the checks of the settings against it.

#include <string>

#include "civil_date.h"
#include "daily_fields.h"
#include "stats_settings.h"

// The date of the last record the walk takes (the start date when it takes none).
RecordDate LastWalkDate(const StatsSettings& settings);

// The year of the last record that the walk takes (startYear when it takes none).
int LastWalkYear(const StatsSettings& settings);

// The label of the year that `date` falls in: the calendar year, or with a
// year that starts in month `yearStartMonth` (1 to 12) the year it ends in.
int YearLabel(const RecordDate& date, int yearStartMonth);

// The days of the year labelled `label` that starts in month `yearStartMonth`.
int DaysInYear(int label, int yearStartMonth);

// Refuses settings outside their limits with an InputError naming the line
// of the settings file `settingsPath`: dates outside the years 1 to 9999, an
// end year outside the years walked, a column count below 1, an output file
// that is the input file or the other output.
void CheckSettingsLimits(const StatsSettings& settings, const std::string& settingsPath);
