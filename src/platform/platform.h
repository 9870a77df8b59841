// The operating-system services the command asks for: full paths, the local date, the lead bytes
// of the character set, looks at entries and the file operations. Each platform answers them in
// its own file, chosen by the build. A call that returns int returns 0 or the system's own error
// code; the rest say in their line what they give.
#ifndef VEMBLO_PLATFORM_PLATFORM_H
#define VEMBLO_PLATFORM_PLATFORM_H

#include <climits>
#include <cstddef>

// Rooms for names, terminator included. Windows takes a full path of up to 259 UTF-16 units,
// which UTF-8 writes in up to three bytes each (a pair of surrogates in four); a double-byte code
// page needs two at most. POSIX systems take their own path limit, where a path of a few hundred
// bytes is ordinary.
#if defined(_WIN32)
constexpr std::size_t MAX_FULL_PATH = 3 * 259 + 1;
#else
constexpr std::size_t MAX_FULL_PATH = PATH_MAX;
#endif

// The longest name of one entry, in bytes: 255 on the file systems that POSIX systems mount;
// Windows takes 255 UTF-16 units, which UTF-8 writes in up to three bytes each.
#if defined(_WIN32)
constexpr std::size_t MAX_NAME = 3 * 255;
#else
constexpr std::size_t MAX_NAME = NAME_MAX;
#endif

// Error codes the command itself gives, in the system's own numbering so that the system's
// message describes them.
extern const int SYS_NAME_TOO_LONG;
extern const int SYS_ENTRY_EXISTS;
extern const int SYS_NO_ENTRY;
// What a rename gives where something holds the entry open and the system will not let it go.
extern const int SYS_BUSY;
// What a service gives where the system or the file system cannot do what it asks.
extern const int SYS_NOT_SUPPORTED;

// Bytes that start a two-byte character in the character set of the names.
struct LeadBytes {
  bool lead[256];
};

struct LocalDate {
  int year;   // the full year, such as 2026
  int month;  // 1 to 12
  int day;    // 1 to 31
};

enum class EntryKind { none, file, directory, link };

// What stands under a name. Two entries with equal volume and id are one file.
struct Entry {
  EntryKind kind;
  int missing;                // for kind none, the system's reason: no such entry, not a directory
  unsigned long long volume;  // the device or volume that holds it
  unsigned char id[16];       // its number there, as wide as the system gives it
  unsigned long long size;    // its size in bytes
  long long modified;         // when its data last changed, in the system's own units
  long long changed;          // when it last changed in any way, where the system tells
};

// Readies the process for a run that uses the first count arguments of its command line, and
// tells whether those reached it exactly as they were typed. A write to a closed pipe then fails
// with an error instead of ending the process.
int prepare_run(int count);

// The lead bytes of the character set of names: the user's locale on POSIX systems, the ANSI
// code page on Windows. Set up on first use.
const LeadBytes& name_lead_bytes();

// The absolute path of name, which need not exist, resolved against the current directory.
int get_full_path(const char* name, char* out, std::size_t room);

int get_current_directory(char* out, std::size_t room);

int get_local_date(LocalDate* date);

// Looks at what stands under name: the link itself, or with follow what it leads to. A name under
// which nothing can be reached gives kind none; any other failure to look is an error.
int look_at_entry(const char* name, bool follow, Entry* entry);

// The name of the entry that the text of the symbolic link under name names: the text as it
// stands when absolute, else in the link's own directory, less the separators after it.
// SYS_NOT_SUPPORTED where the text cannot be read.
int read_link(const char* name, char* out, std::size_t room);

// Reads the first bytes of the file under name, up to room, and tells how many it read.
int read_file_start(const char* name, char* out, std::size_t room, std::size_t* size);

// Removes the file under name, never a directory.
int remove_file(const char* name);

// Makes an empty directory under name, failing when anything stands there.
int make_directory(const char* name);

// Removes the directory under name while it is empty.
int remove_directory(const char* name);

// Whether a directory stands under name, as the file system itself answers, not a cache of it.
bool directory_stands(const char* name);

// Renames from to to in one step, replacing a file that stands under to.
int rename_replacing(const char* from, const char* to);

// Renames from to to in one step, failing with SYS_ENTRY_EXISTS when anything stands under to;
// SYS_NOT_SUPPORTED where the system or the file system cannot refuse to replace.
int rename_keeping(const char* from, const char* to);

// Whether the file system that holds the file under name renames over a file in one step and
// refuses to replace where asked, as a local disk's does; no where it cannot be told.
bool replaces_in_one_step(const char* name);

// Swaps the entries under a and b in one step; SYS_NOT_SUPPORTED where that cannot be done.
int exchange_entries(const char* a, const char* b);

// Hold the signals, or on Windows Ctrl+C and Ctrl+Break, that would end the process between two
// steps that change entries; once released, a held one ends it as it asks.
void hold_interrupts();
void release_interrupts();

// The number of this process, which no other process running now has.
unsigned long get_process_id();

// Waits 20 milliseconds, as between two tries of one step.
void pause_briefly();

// A number that another process, here or on another machine, is unlikely to draw as well.
unsigned long get_random_number();

// Room for the system's description of an error; the few longer ones are cut.
constexpr std::size_t REASON_ROOM = 256;
// Room for one diagnostic line: two full paths, the reason, and the words and quotes around them
// (33 bytes, "vemblo: cannot rename '' to '': " and the line end).
constexpr std::size_t DIAGNOSTIC_ROOM = 2 * MAX_FULL_PATH + REASON_ROOM + 64;

// Writes one line of a diagnostic to standard error, in a single write where the system allows.
void write_diagnostic(const char* line, std::size_t size);

// The system's own one-line description of an error code, cut to the room.
void describe_error(int code, char* out, std::size_t room);

#endif  // VEMBLO_PLATFORM_PLATFORM_H
