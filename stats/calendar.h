#pragma once
// The calendar that Calvor walks, and the checks of the settings against it.

#include <string>

#include "daily_series.h"
#include "stats_settings.h"

bool IsLeapYear(int year);

// Days of month `monthIndex` (0 = January) in `year`.
int DaysInMonth(int year, int monthIndex);

// The year of the last record that the walk takes (startYear when it takes none).
int LastWalkYear(const StatsSettings& settings);

// Refuses settings outside their limits with an InputError naming the line of
// the settings file (or the input series' line of a record with too few fields).
void CheckSettingsLimits(const StatsSettings& settings, const DailySeries& series,
                         const std::string& settingsPath);
