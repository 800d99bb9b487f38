// The local wall-clock time, split into its fields.
#pragma once

namespace os {

struct LocalTime {
  int year;         // e.g. 2026
  int month;        // 1 to 12
  int dayOfWeek;    // 0 = Sunday
  int day;          // 1 to 31
  int hour;         // 0 to 23
  int minute;
  int second;
  int milliseconds;
};

LocalTime CurrentLocalTime();

}  // namespace os
