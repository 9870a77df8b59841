// A clock that tests set: linked into a second build of the program with -Wl,--wrap, it gives
// the seconds since 1970 in VEMBLO_TEST_CLOCK as the time of day, or fails where that says "fail".
// CLOCK_SYMBOL is the C library's own name of clock_gettime, which 32-bit systems give their
// 64-bit clock.
#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#define JOIN(a, b) a##b
#define NAMED(prefix, name) JOIN(prefix, name)

extern "C" int NAMED(__real_, CLOCK_SYMBOL)(clockid_t clock, struct timespec* now);

extern "C" int NAMED(__wrap_, CLOCK_SYMBOL)(clockid_t clock, struct timespec* now) {
  const char* set = getenv("VEMBLO_TEST_CLOCK");
  if (set == nullptr || clock != CLOCK_REALTIME) return NAMED(__real_, CLOCK_SYMBOL)(clock, now);
  if (strcmp(set, "fail") == 0) {
    errno = EOVERFLOW;
    return -1;
  }
  now->tv_sec = static_cast<time_t>(strtoll(set, nullptr, 10));
  now->tv_nsec = 0;
  return 0;
}
