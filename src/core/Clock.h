// The local date and time, read through a function so that tests can set the clock.
#pragma once

namespace kazu {

struct LocalTime {
    int year = 2000;
    int month = 1;    // 1..12
    int day = 1;      // 1..31
    int weekday = 0;  // 0 Sunday .. 6 Saturday
    int hour = 0;     // 0..23
    int minute = 0;
    int second = 0;
};

LocalTime SystemLocalTime();

}  // namespace kazu
