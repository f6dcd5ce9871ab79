#pragma once
// A local date and time to the second, with the conversions the program needs.

#include <ctime>
#include <string>

namespace skerrow {

struct CDateTime {
    int year = 1000;
    int month = 1;
    int day = 1;
    int hour = 1;
    int minute = 1;
    int second = 0;

    // Day within its month (leap years by the Gregorian rule), hour 0-23, minute and second 0-59.
    bool IsValid() const;

    // The UTC instant of this local time, with the offset in force at that date. In the hour that
    // comes twice when the clocks go back, and in the hour they skip when they go forward, the
    // earlier of the two instants the time can stand for.
    std::time_t ToUtc() const;

    static CDateTime FromUtc(std::time_t utc); // as local time
    static CDateTime Now();                    // local time now

    // strftime-style formatting ("%Y\\%m\\%d %H:%M").
    std::string Format(const char* format) const;

    friend bool operator==(const CDateTime&, const CDateTime&) = default;
};

// Data/LastRun in the form of string 61191, "%Y\%m\%d %H:%M".
std::string FormatLastRun(const CDateTime& date);

// Scans text with string 61192, "%04d%c%02d%c%02d%c%02d%c%02d": up to four digits, any one
// character, up to two digits, and so on. Fields from the first that does not scan keep the values
// of preset. Seconds are set to 0.
CDateTime ParseLastRun(const std::string& text, const CDateTime& preset);

} // namespace skerrow
