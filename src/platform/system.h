// What the library asks of the operating system beyond files: the local
// time and a millisecond tick for the stamp of new records, and the working
// and temporary directories for the named directories. One implementation
// per system is chosen when the library is built.
#pragma once

#include "text/str.h"

#include <cstdint>

namespace tqxml {

// The wall-clock date and time of the local time zone.
struct LocalDateTime {
    int year = 1980; // four digits
    int month = 1;   // 1 to 12
    int day = 1;     // 1 to 31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

LocalDateTime CurrentLocalTime();

// Milliseconds since some fixed moment; wraps around after 2^32.
uint32_t MillisecondTicks();

// UTF-8 paths; empty when the system cannot tell.
Str CurrentDirectory();
Str TemporaryDirectory();

} // namespace tqxml
