// The operating-system services the command asks for: full paths, the local date, the lead bytes
// of the character set, and the two file operations. Each platform answers them in its own file,
// chosen by the build; every call returns 0 or the system's own error code.
#ifndef VEMBLO_PLATFORM_PLATFORM_H
#define VEMBLO_PLATFORM_PLATFORM_H

#include <climits>
#include <cstddef>

// Rooms for names, terminator included. Windows keeps its classic path room; POSIX systems take
// their own path limit, where a path of a few hundred bytes is ordinary.
#if defined(_WIN32)
constexpr std::size_t MAX_FULL_PATH = 260;
constexpr std::size_t MAX_PIECE = 256;
#else
constexpr std::size_t MAX_FULL_PATH = PATH_MAX;
constexpr std::size_t MAX_PIECE = PATH_MAX;
#endif

// Error codes the command itself gives, in the system's own numbering so that the system's
// message describes them.
extern const int SYS_NAME_TOO_LONG;
extern const int SYS_ENTRY_EXISTS;

// Bytes that start a two-byte character in the character set of the names.
struct LeadBytes {
  bool lead[256];
};

struct LocalDate {
  int year;   // the full year, such as 2026
  int month;  // 1 to 12
  int day;    // 1 to 31
};

enum class EntryKind { none, file, directory };

// The lead bytes of the character set of names: the user's locale on POSIX systems, the ANSI
// code page on Windows. Set up on first use.
const LeadBytes& name_lead_bytes();

// How many bytes the character that begins with first takes in that character set.
std::size_t character_size(unsigned char first);

// The absolute path of name, which need not exist, resolved against the current directory.
int get_full_path(const char* name, char* out, std::size_t room);

int get_current_directory(char* out, std::size_t room);

int get_local_date(LocalDate* date);

// What stands under name; a symbolic link is not followed.
EntryKind get_entry_kind(const char* name);

// Removes the file under name, never a directory.
int remove_file(const char* name);

// Renames from to to in one step, replacing a file that stands under to.
int rename_replacing(const char* from, const char* to);

// The system's own one-line description of an error code.
void describe_error(int code, char* out, std::size_t room);

#endif  // VEMBLO_PLATFORM_PLATFORM_H
