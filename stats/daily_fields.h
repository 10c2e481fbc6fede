#pragma once
// The fields of a daily record: the date in the first field, then the values.

#include <string_view>

#include "civil_date.h"

enum class FieldKind {
  Number,   // a decimal number, in plain or exponent notation, within the float range
  Missing,  // empty, or a word that does not begin like a number ("NA", "NaN", "-")
  Bad,      // begins like a number but is none ("12abc", "1.2.3", "0x1p3", "1e39")
};

// One value field. Blanks around it and a pair of double quotes ("13.05")
// are dropped. A Number's value, rounded to single precision, goes to `value`.
FieldKind ParseDailyField(std::string_view field, float& value);

// year 0: the field holds no date.
using RecordDate = CivilDate;

// The date of a first field that begins with YYYY-MM-DD or YYYY/MM/DD (a
// time of day may follow, after a blank or a "T"); false for anything else,
// such as a day number or a label.
bool ParseRecordDate(std::string_view field, RecordDate& date);
