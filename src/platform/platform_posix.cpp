// The platform services on POSIX systems. Names are plain bytes here; the user's locale tells
// which of them start a two-byte character, as a Windows code page would.
#include "platform/platform_posix.h"

#include <errno.h>
#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <time.h>
#ifdef __linux__
#include <linux/magic.h>
#include <sys/vfs.h>
#endif
#include <unistd.h>

#include "platform/platform.h"

// The build asks for 64-bit file offsets, numbers and times on 32-bit systems too, without which a
// file over 2 GiB, or one whose number passes 2^32, could not be looked at, and 2038 would end
// the calendar.
static_assert(sizeof(off_t) >= 8 && sizeof(ino_t) >= 8 && sizeof(time_t) >= 8,
              "build with _FILE_OFFSET_BITS=64 and _TIME_BITS=64");

const int SYS_NAME_TOO_LONG = ENAMETOOLONG;
const int SYS_ENTRY_EXISTS = EEXIST;
const int SYS_NO_ENTRY = ENOENT;
const int SYS_BUSY = EBUSY;
const int SYS_NOT_SUPPORTED = ENOTSUP;

namespace {

bool locale_loaded = false;
LeadBytes lead_bytes;
bool utf8 = false;  // the terminal's bytes may be UTF-8
sigset_t unheld;    // the signals blocked before hold_interrupts

constexpr long long NANOSECONDS = 1000000000;  // in a second

// The first bytes of UTF-8's two-, three- and four-byte characters; 0xC0 and 0xC1 start none.
constexpr unsigned char UTF8_TWO_BYTES = 0xC2;
constexpr unsigned char UTF8_THREE_BYTES = 0xE0;
constexpr unsigned char UTF8_FOUR_BYTES = 0xF0;

// The double-byte character sets that Windows knows as code pages 932, 936, 949, 950 and 1361,
// and Shift_JIS X0213, by the names the C library gives them, with the first and last lead byte of
// each range. UTF-8 and the single-byte sets have no lead bytes: no byte of a UTF-8 character can
// be "/", "\" or ".".
struct DoubleByteSet {
  const char* name;
  unsigned char ranges[3][2];  // unused ranges are {0, 0}
};

constexpr DoubleByteSet DOUBLE_BYTE_SETS[] = {
    {"SHIFT_JIS", {{0x81, 0x9F}, {0xE0, 0xFC}}},
    {"SJIS", {{0x81, 0x9F}, {0xE0, 0xFC}}},
    {"CP932", {{0x81, 0x9F}, {0xE0, 0xFC}}},
    {"WINDOWS-31J", {{0x81, 0x9F}, {0xE0, 0xFC}}},
    {"SHIFT_JISX0213", {{0x81, 0x9F}, {0xE0, 0xFC}}},
    {"GBK", {{0x81, 0xFE}}},
    {"CP936", {{0x81, 0xFE}}},
    {"GB18030", {{0x81, 0xFE}}},
    {"EUC-KR", {{0x81, 0xFE}}},
    {"UHC", {{0x81, 0xFE}}},
    {"CP949", {{0x81, 0xFE}}},
    {"JOHAB", {{0x84, 0xD3}, {0xD8, 0xDE}, {0xE0, 0xF9}}},
    {"BIG5", {{0x81, 0xFE}}},
    {"BIG5-HKSCS", {{0x81, 0xFE}}},
    {"CP950", {{0x81, 0xFE}}},
};

// Loading the locale costs as much as the rest of a run, so it waits until a name needs it.
void load_locale() {
  if (locale_loaded) return;
  locale_loaded = true;
  // When the user's locale cannot be set, the C locale stays: it has no lead bytes. The C and
  // POSIX locales know no multibyte characters, yet a terminal may well send UTF-8 in them.
  (void)setlocale(LC_CTYPE, "");
  const char* codeset = nl_langinfo(CODESET);
  const char* locale = setlocale(LC_CTYPE, nullptr);
  utf8 =
      strcasecmp(codeset, "UTF-8") == 0 || strcmp(locale, "C") == 0 || strcmp(locale, "POSIX") == 0;
  for (const DoubleByteSet& set : DOUBLE_BYTE_SETS) {
    if (strcasecmp(codeset, set.name) != 0) continue;
    for (const auto& range : set.ranges) {
      for (unsigned byte = range[0]; byte != 0 && byte <= range[1]; ++byte) {
        lead_bytes.lead[byte] = true;
      }
    }
  }
}

// Linux renames without replacing, or swaps two entries, in one step. Elsewhere, and on file
// systems that refuse the flag (NFS, SMB and FUSE answer EINVAL), ENOTSUP; some sandboxes deny the
// call itself with EPERM. EINVAL also answers a directory moved into itself, and EPERM a real
// refusal; the callers then take a way without the flag, where the system answers again, so the
// refusal still reaches the user.
int rename_in_one_step(const char* from, const char* to, bool swap) {
#ifdef RENAME_NOREPLACE
  if (renameat2(AT_FDCWD, from, AT_FDCWD, to, swap ? RENAME_EXCHANGE : RENAME_NOREPLACE) == 0) {
    return 0;
  }
  return errno == EINVAL || errno == ENOSYS || errno == EPERM ? ENOTSUP : errno;
#else
  (void)from, (void)to, (void)swap;
  return ENOTSUP;
#endif
}

}  // namespace

int prepare_run(int) {
  // The arguments are the bytes that were typed; only the pipes need care.
  (void)signal(SIGPIPE, SIG_IGN);
  return 0;
}

const LeadBytes& name_lead_bytes() {
  load_locale();
  return lead_bytes;
}

std::size_t bytes_to_follow(unsigned char first) {
  load_locale();
  if (lead_bytes.lead[first]) return 1;
  if (!utf8 || first < UTF8_TWO_BYTES) return 0;
  return first < UTF8_THREE_BYTES ? 1 : first < UTF8_FOUR_BYTES ? 2 : 3;
}

int get_current_directory(char* out, std::size_t room) {
  if (getcwd(out, room) != nullptr) return 0;
  return errno == ERANGE ? ENAMETOOLONG : errno;
}

// The current directory and the name joined as text. Nothing is resolved: ".." and symbolic links
// must stay for the system to follow, or the path could name another entry than the argument.
int get_full_path(const char* name, char* out, std::size_t room) {
  std::size_t used = 0;
  if (name[0] != '/') {
    int error = get_current_directory(out, room);
    if (error != 0) return error;
    used = strlen(out);
    if (out[used - 1] != '/') {
      if (used + 1 >= room) return ENAMETOOLONG;
      out[used++] = '/';
    }
  }
  std::size_t length = strlen(name);
  if (used + length >= room) return ENAMETOOLONG;
  memcpy(out + used, name, length + 1);
  return 0;
}

// A clock that cannot be read fails, where time() would give -1, a second before 1970.
int get_local_date(LocalDate* date) {
  struct timespec now {};
  if (clock_gettime(CLOCK_REALTIME, &now) != 0) return errno;
  struct tm local;
  // A year too large for the calendar is the one way it fails, and errno need not say so.
  if (localtime_r(&now.tv_sec, &local) == nullptr) return EOVERFLOW;
  date->year = local.tm_year + 1900;
  date->month = local.tm_mon + 1;
  date->day = local.tm_mday;
  return 0;
}

int look_at_entry(const char* name, bool follow, Entry* entry) {
  struct stat status;
  *entry = Entry{};
  if ((follow ? stat(name, &status) : lstat(name, &status)) != 0) {
    entry->missing = errno;
    return errno == ENOENT || errno == ENOTDIR || errno == ELOOP ? 0 : errno;
  }
  entry->kind = S_ISDIR(status.st_mode)   ? EntryKind::directory
                : S_ISLNK(status.st_mode) ? EntryKind::link
                                          : EntryKind::file;
  entry->volume = status.st_dev;
  memcpy(entry->id, &status.st_ino, sizeof status.st_ino);
  entry->size = static_cast<unsigned long long>(status.st_size);
  entry->modified = status.st_mtim.tv_sec * NANOSECONDS + status.st_mtim.tv_nsec;
  entry->changed = status.st_ctim.tv_sec * NANOSECONDS + status.st_ctim.tv_nsec;
  return 0;
}

int read_link(const char* name, char* out, std::size_t room) {
  char text[PATH_MAX];
  ssize_t size = readlink(name, text, sizeof text);
  if (size < 0) return errno;
  if (static_cast<std::size_t>(size) == sizeof text) return ENAMETOOLONG;
  while (size > 1 && text[size - 1] == '/') --size;
  text[size] = '\0';
  const char* slash = strrchr(name, '/');
  int directory = text[0] == '/' || slash == nullptr ? 0 : static_cast<int>(slash + 1 - name);
  int length = snprintf(out, room, "%.*s%s", directory, name, text);
  return length >= 0 && static_cast<std::size_t>(length) < room ? 0 : ENAMETOOLONG;
}

// Without waiting for a writer, should the name be a pipe.
int read_file_start(const char* name, char* out, std::size_t room, std::size_t* size) {
  int file = open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (file < 0) return errno;
  *size = 0;
  int error = 0;
  while (*size < room) {
    ssize_t got = read(file, out + *size, room - *size);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      error = got < 0 ? errno : 0;
      break;
    }
    *size += static_cast<std::size_t>(got);
  }
  (void)close(file);
  return error;
}

int remove_file(const char* name) { return unlink(name) == 0 ? 0 : errno; }

int make_directory(const char* name) { return mkdir(name, 0700) == 0 ? 0 : errno; }

int remove_directory(const char* name) { return rmdir(name) == 0 ? 0 : errno; }

// A network file system's client may answer a look from its cache; opening goes to the server.
bool directory_stands(const char* name) {
  int directory = open(name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (directory >= 0) (void)close(directory);
  return directory >= 0;
}

int rename_replacing(const char* from, const char* to) { return rename(from, to) == 0 ? 0 : errno; }

int rename_keeping(const char* from, const char* to) {
  return rename_in_one_step(from, to, /*swap=*/false);
}

// The local file systems that Linux renames over a file on in one step under its own lock, and that
// take renameat2's flags. A network or FUSE file system may replace by deleting first, or answer
// for a name from a cache, and is not among them.
bool replaces_in_one_step(const char* name) {
#ifdef __linux__
  struct statfs status;
  if (statfs(name, &status) != 0) return false;
  switch (static_cast<unsigned long>(status.f_type)) {
    case EXT4_SUPER_MAGIC:  // ext2 and ext3 too
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case TMPFS_MAGIC:
    case F2FS_SUPER_MAGIC:
    case OVERLAYFS_SUPER_MAGIC:
      return true;
    default:
      return false;
  }
#else
  (void)name;
  return false;
#endif
}

int exchange_entries(const char* a, const char* b) {
  return rename_in_one_step(a, b, /*swap=*/true);
}

// Every signal waits, SIGKILL and SIGSTOP apart, which the system does not let wait.
void hold_interrupts() {
  sigset_t all;
  sigfillset(&all);
  (void)sigprocmask(SIG_BLOCK, &all, &unheld);
}

void release_interrupts() { (void)sigprocmask(SIG_SETMASK, &unheld, nullptr); }

unsigned long get_process_id() { return static_cast<unsigned long>(getpid()); }

void pause_briefly() {
  struct timespec pause = {0, 20L * 1000 * 1000};
  (void)nanosleep(&pause, nullptr);
}

// The clock's nanoseconds where the system has no random bytes to give.
unsigned long get_random_number() {
  unsigned long number;
  if (getrandom(&number, sizeof number, GRND_NONBLOCK) == sizeof number) return number;
  struct timespec now {};
  (void)clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<unsigned long>(now.tv_nsec);
}

void write_diagnostic(const char* line, std::size_t size) {
  while (size > 0) {
    ssize_t written = write(STDERR_FILENO, line, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;  // nowhere is left to report it
    line += written;
    size -= static_cast<std::size_t>(written);
  }
}

void describe_error(int code, char* out, std::size_t room) {
  (void)snprintf(out, room, "%s", strerror(code));  // a long message is cut to the room
}
