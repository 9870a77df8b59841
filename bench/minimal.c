/* The least a dated rename can cost here: ask for the current directory and the local date,
 * compose the name and rename. No checks, no character set, no messages: a floor to measure
 * against, not a tool. */
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char** argv) {
  char cwd[PATH_MAX];
  char to[PATH_MAX];
  if (argc < 2 || getcwd(cwd, sizeof cwd) == NULL) return 1;
  time_t now = time(NULL);
  struct tm local;
  localtime_r(&now, &local);
  const char* name = argv[1];
  const char* dot = strrchr(name, '.');
  int base = dot != NULL ? (int)(dot - name) : (int)strlen(name);
  snprintf(to, sizeof to, "%s/%.*s%02d%02d%02d%s", cwd, base, name, local.tm_year % 100,
           local.tm_mon + 1, local.tm_mday, dot != NULL ? dot : "");
  return rename(name, to) != 0;
}
