#include "base/DateUtils.h"

#include <chrono>
#include <cmath>
#include <ctime>

#include "base/SysUtils.h"

namespace pim {

namespace {

// Days from 1970-01-01 to y-m-d in the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

constexpr std::int64_t kEpochOffsetDays = 25569;  // 1899-12-30 .. 1970-01-01
constexpr double kMsPerDay = 86400000.0;

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

}  // namespace

TDateTime EncodeDateTime(const TDateTimeParts& p) {
    if (p.year < 1 || p.year > 9999 || p.month < 1 || p.month > 12 || p.day < 1 ||
        p.day > DaysInMonth(p.year, p.month) || p.hour < 0 || p.hour > 23 || p.minute < 0 ||
        p.minute > 59 || p.second < 0 || p.second > 59 || p.millisecond < 0 || p.millisecond > 999)
        throw Exception("Invalid argument to date encode");
    const double days =
        static_cast<double>(DaysFromCivil(p.year, static_cast<unsigned>(p.month), static_cast<unsigned>(p.day)) +
                            kEpochOffsetDays);
    const double time = (((p.hour * 60.0 + p.minute) * 60.0 + p.second) * 1000.0 + p.millisecond) / kMsPerDay;
    // Before the epoch the fraction counts forward from the (negative) day.
    return days >= 0 ? days + time : days - time;
}

TDateTimeParts DecodeDateTime(TDateTime value) {
    TDateTimeParts p;
    // Round to the millisecond first so 12:00:00 does not decode as 11:59:59.999.
    const double ms = std::round(std::fabs(value) * kMsPerDay);
    std::int64_t day = static_cast<std::int64_t>(ms / kMsPerDay);
    std::int64_t msOfDay = static_cast<std::int64_t>(ms) - day * static_cast<std::int64_t>(kMsPerDay);
    if (value < 0) day = -day;
    CivilFromDays(day - kEpochOffsetDays, p.year, p.month, p.day);
    p.millisecond = static_cast<int>(msOfDay % 1000);
    msOfDay /= 1000;
    p.second = static_cast<int>(msOfDay % 60);
    msOfDay /= 60;
    p.minute = static_cast<int>(msOfDay % 60);
    p.hour = static_cast<int>(msOfDay / 60);
    return p;
}

TDateTime UnixToLocalDateTime(std::int64_t unixSeconds) {
    const std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &t) != 0) return 0;
#else
    if (!localtime_r(&t, &local)) return 0;
#endif
    TDateTimeParts p;
    p.year = local.tm_year + 1900;
    p.month = local.tm_mon + 1;
    p.day = local.tm_mday;
    p.hour = local.tm_hour;
    p.minute = local.tm_min;
    p.second = local.tm_sec > 59 ? 59 : local.tm_sec;  // leap second
    return EncodeDateTime(p);
}

TDateTime Now() {
    using namespace std::chrono;
    const auto since = system_clock::now().time_since_epoch();
    const auto secs = duration_cast<seconds>(since).count();
    const auto ms = duration_cast<milliseconds>(since).count() - secs * 1000;
    return UnixToLocalDateTime(secs) + static_cast<double>(ms) / kMsPerDay;
}

}  // namespace pim
