#pragma once
// Dates as day counts: the integer part counts days since 30 December 1899, the fraction is the
// time of day (milliseconds since midnight / 86400000), local time.
#include <string>

double OleDateNow();
// ISO 8601 local date and time ("2026-12-11T13:45:07"); empty when the value is not a usable date.
std::string OleDateToIso(double date);
