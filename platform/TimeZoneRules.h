#pragma once

// Every date a statement returns becomes a local QDateTime, and each such conversion asks the C
// library for the local time-zone rules. With TZ unset, glibc then looks at /etc/localtime's
// status again every time (one stat() per date: ~18,000 for a list of 26,000 requests, about a
// tenth of the list's time). Naming the same file in TZ, before any thread starts, makes it read
// the rules once per process; the rules still carry every daylight saving change. A TZ the user
// set is kept as it is. The system's zone chosen anew while the program runs is seen at its next
// start.
void readTimeZoneRulesOnce();
