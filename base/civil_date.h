#pragma once
// Dates of the proleptic Gregorian calendar: leap years, month lengths, the
// next day, and the ISO text "YYYY-MM-DD" both ways.

#include <string>
#include <string_view>

struct CivilDate {
  int year = 0, month = 0, day = 0;  // year 0: no date
};

bool IsLeapYear(int year);

// Days of month `monthIndex` (0 = January) in `year`.
int DaysInMonth(int year, int monthIndex);

// The day after `date`.
CivilDate NextDay(CivilDate date);

// "YYYY-MM-DD".
std::string DateText(const CivilDate& date);

// Exactly "YYYY-MM-DD" naming a day that exists, in the years 1 to 9999.
bool ParseIsoDate(std::string_view text, CivilDate& date);
