// Date-time values as days since 30 Dec 1899 (the fraction is the time of day),
// the form the document writer and the file lists exchange.
#pragma once

#include <cstdint>

namespace pim {

using TDateTime = double;

struct TDateTimeParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// The current local time.
TDateTime Now();
// Raises EConvertError-like Exception on an invalid date or time.
TDateTime EncodeDateTime(const TDateTimeParts& parts);
TDateTimeParts DecodeDateTime(TDateTime value);
// Seconds since the Unix epoch (UTC) to a local TDateTime.
TDateTime UnixToLocalDateTime(std::int64_t unixSeconds);

}  // namespace pim
