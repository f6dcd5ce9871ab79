#include "settings/CDateTime.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <iterator>

#include "app/CStringTable.h"
#include "app/StringIds.h"

namespace skerrow {

namespace {

constexpr int64_t kSecondsPerDay = 86400;

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && IsLeapYear(year))
        return 29;
    return days[month - 1];
}

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day)
{
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The calendar fields read as if they were UTC, in seconds since the epoch.
int64_t FieldsAsUtc(int year, int month, int day, int hour, int minute, int second)
{
    return DaysFromCivil(year, month, day) * kSecondsPerDay + hour * 3600 + minute * 60 + second;
}

// The local zone's offset from UTC, in seconds, at the given instant.
int64_t OffsetAt(int64_t instant)
{
    const std::time_t t = static_cast<std::time_t>(instant);
    std::tm local{};
    if (!localtime_r(&t, &local))
        return 0;
    return FieldsAsUtc(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                       local.tm_sec)
           - instant;
}

std::tm ToTm(const CDateTime& date)
{
    std::tm fields{};
    fields.tm_year = date.year - 1900;
    fields.tm_mon = date.month - 1;
    fields.tm_mday = date.day;
    fields.tm_hour = date.hour;
    fields.tm_min = date.minute;
    fields.tm_sec = date.second;
    fields.tm_isdst = -1;
    return fields;
}

// Reads a scanf "%<width>d" field: blanks skipped, then an optional sign and digits, width
// characters at most (the blanks not counted). False when no digit came.
bool ScanNumber(const std::string& text, size_t& at, size_t width, int& value)
{
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
        ++at;
    size_t pos = at;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    int number = 0;
    size_t digits = 0;
    while (pos < text.size() && pos - at < width && std::isdigit(static_cast<unsigned char>(text[pos]))) {
        number = number * 10 + (text[pos] - '0');
        ++pos;
        ++digits;
    }
    if (digits == 0)
        return false;
    at = pos;
    value = negative ? -number : number;
    return true;
}

// Reads a scanf "%c" field: exactly one character, blanks included.
bool ScanChar(const std::string& text, size_t& at)
{
    if (at >= text.size())
        return false;
    ++at;
    return true;
}

} // namespace

bool CDateTime::IsValid() const
{
    if (year < 100 || year > 9999 || month < 1 || month > 12)
        return false;
    if (day < 1 || day > DaysInMonth(year, month))
        return false;
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

std::time_t CDateTime::ToUtc() const
{
    tzset();
    const int64_t local = FieldsAsUtc(year, month, day, hour, minute, second);
    // No zone moves its clocks twice within two days, so the offsets a day either side are the only
    // candidates.
    const int64_t before = OffsetAt(local - kSecondsPerDay);
    const int64_t after = OffsetAt(local + kSecondsPerDay);
    const int64_t withBefore = local - before;
    const int64_t withAfter = local - after;
    const bool beforeFits = OffsetAt(withBefore) == before;
    const bool afterFits = OffsetAt(withAfter) == after;
    if (beforeFits != afterFits)
        return static_cast<std::time_t>(beforeFits ? withBefore : withAfter);
    // Both fit: the offset did not change, or the clocks went back and this hour came twice. Neither
    // fits: the clocks went forward and skipped this hour. Either way the earlier instant, so that a
    // date meant as "changed since" never passes over a file changed in that hour.
    return static_cast<std::time_t>(std::min(withBefore, withAfter));
}

CDateTime CDateTime::FromUtc(std::time_t utc)
{
    std::tm local{};
    if (!localtime_r(&utc, &local))
        return CDateTime{};
    return CDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

CDateTime CDateTime::Now()
{
    tzset();
    return FromUtc(std::time(nullptr));
}

std::string CDateTime::Format(const char* format) const
{
    const std::tm fields = ToTm(*this);
    char buffer[256];
    const size_t length = std::strftime(buffer, sizeof buffer, format, &fields);
    return std::string(buffer, length);
}

std::string FormatLastRun(const CDateTime& date)
{
    std::string format = LoadString(IDS_LASTRUN_FORMAT);
    if (format.empty())
        format = EnglishString(IDS_LASTRUN_FORMAT);
    return date.Format(format.c_str());
}

CDateTime ParseLastRun(const std::string& text, const CDateTime& preset)
{
    CDateTime result = preset;
    result.second = 0;
    // "%04d%c%02d%c%02d%c%02d%c%02d": each number then one separator of any kind.
    struct Field {
        int* target;
        size_t width;
    };
    const Field fields[] = {{&result.year, 4}, {&result.month, 2}, {&result.day, 2}, {&result.hour, 2},
                            {&result.minute, 2}};
    size_t at = 0;
    for (size_t i = 0; i < std::size(fields); ++i) {
        if (i > 0 && !ScanChar(text, at))
            break;
        if (!ScanNumber(text, at, fields[i].width, *fields[i].target))
            break;
    }
    return result;
}

} // namespace skerrow
