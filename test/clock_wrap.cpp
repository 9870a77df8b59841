// A clock that tests set: linked into a second build of the program with -Wl,--wrap, it gives the
// seconds since 1970 in VEMBLO_TEST_CLOCK as the time of day, or fails where that says "fail".
// WRAPPED and REAL name the C library's clock_gettime, which 32-bit systems give their 64-bit
// clock under a name of its own, as --wrap renames it.
#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

extern "C" int REAL(clockid_t clock, struct timespec* now);

extern "C" int WRAPPED(clockid_t clock, struct timespec* now) {
  const char* set = getenv("VEMBLO_TEST_CLOCK");
  if (set == nullptr || clock != CLOCK_REALTIME) return REAL(clock, now);
  errno = EOVERFLOW;
  *now = {static_cast<time_t>(strtoll(set, nullptr, 10)), 0};
  return strcmp(set, "fail") == 0 ? -1 : 0;
}
