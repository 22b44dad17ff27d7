#include "platform/ole_date.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace {
// Days from 1899-12-30 to 1970-01-01.
constexpr long kUnixEpochDay = 25569;

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
long DaysFromCivil(long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + long(doe) - 719468;
}
} // namespace

double OleDateNow()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const long millis = long(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    std::tm local {};
    localtime_r(&seconds, &local);
    const long day = DaysFromCivil(local.tm_year + 1900, unsigned(local.tm_mon + 1),
                                   unsigned(local.tm_mday)) + kUnixEpochDay;
    const double msOfDay = ((local.tm_hour * 60.0 + local.tm_min) * 60.0 + local.tm_sec) * 1000.0 +
                           double(millis);
    return double(day) + msOfDay / 86400000.0;
}

std::string OleDateToIso(double date)
{
    // Years 1 to 9999 only; anything else is not a date a writer stored.
    if (!std::isfinite(date) || date < -693593.0 || date > 2958466.0)
        return {};
    // Before the epoch the integer part still counts days and the fraction's magnitude is the
    // time: -1.25 is 29 December 1899, 06:00.
    double day = std::trunc(date);
    long ms = std::lround(std::fabs(date - day) * 86400000.0);
    if (ms >= 86400000) {
        ms -= 86400000;
        day += 1;
    }
    // Civil date from the day count (inverse of DaysFromCivil).
    long z = long(day) - kUnixEpochDay + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long y = long(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
    const long seconds = ms / 1000;
    char text[64];
    std::snprintf(text, sizeof text, "%04ld-%02u-%02uT%02ld:%02ld:%02ld", y, m, d, seconds / 3600,
                  seconds / 60 % 60, seconds % 60);
    return text;
}
