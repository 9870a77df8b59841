// What the harness asks of POSIX systems alone.
#include <locale.h>

#include "harness.h"

bool double_byte_available(const char* locale) {
  locale_t available = newlocale(LC_CTYPE_MASK, locale, nullptr);
  if (available != nullptr) freelocale(available);
  return available != nullptr;
}
