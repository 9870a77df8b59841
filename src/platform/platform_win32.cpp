// The platform services on Windows, answered by KERNEL32 in the process's ANSI code page.
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "platform/platform.h"

const int SYS_NAME_TOO_LONG = ERROR_FILENAME_EXCED_RANGE;
const int SYS_ENTRY_EXISTS = ERROR_ALREADY_EXISTS;
const int SYS_NO_ENTRY = ERROR_FILE_NOT_FOUND;
const int SYS_BUSY = ERROR_SHARING_VIOLATION;
const int SYS_NOT_SUPPORTED = ERROR_NOT_SUPPORTED;

// msvcrt's own split of the command line into wide arguments, the one its ANSI arguments come
// from; no header declares it.
struct StartupInfo {
  int new_mode;
};
extern "C" int __wgetmainargs(int* count, wchar_t*** arguments, wchar_t*** environment,
                              int expand_wildcards, StartupInfo* info);

namespace {

LeadBytes lead_bytes;
volatile LONG interrupted = 0;  // Ctrl+C or Ctrl+Break came while held

// A service that older Windows lacks, looked up by name so that the program still starts there;
// null where there is none.
template <typename Function>
Function find_service(const char* name) {
  FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), name);
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

// Without the UTF-8 code page the command line reaches the program in the ANSI code page, where a
// character the code page lacks becomes a look-alike ("ę" becomes "e") that may name another
// file. Each argument used must convert from its wide form exactly.
int check_arguments(int count) {
  int wide_count = 0;
  wchar_t** wide = nullptr;
  wchar_t** environment = nullptr;
  StartupInfo info{0};
  if (__wgetmainargs(&wide_count, &wide, &environment, 0, &info) != 0 || wide == nullptr) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
  UINT code_page = GetACP();
  for (int index = 1; index <= count && index < wide_count; ++index) {
    BOOL lost = FALSE;
    // UTF-8 holds every character; only a lone surrogate has no form in it.
    int size = code_page == CP_UTF8
                   ? WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide[index], -1, nullptr, 0,
                                         nullptr, nullptr)
                   : WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, wide[index], -1, nullptr,
                                         0, nullptr, &lost);
    if (size == 0 || lost) return ERROR_NO_UNICODE_TRANSLATION;
  }
  return 0;
}

// Windows 8 and later give a 64-bit volume serial and a 128-bit file id, without which files on
// ReFS and on some network drives cannot be told apart.
void read_wide_id(HANDLE file, Entry* entry) {
  using GetInformation = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
  static const auto get_information = find_service<GetInformation>("GetFileInformationByHandleEx");
  FILE_ID_INFO info;
  if (get_information == nullptr || !get_information(file, FileIdInfo, &info, sizeof info)) return;
  entry->volume = info.VolumeSerialNumber;
  memcpy(entry->id, info.FileId.Identifier, sizeof entry->id);
}

// The services report a room too small by the length they need, which is at least the room.
int checked_length(DWORD length, std::size_t room) {
  if (length == 0) return static_cast<int>(GetLastError());
  return length >= room ? ERROR_FILENAME_EXCED_RANGE : 0;
}

// A short name, as "dir /x" shows it (LONGFI~1.TXT), would give the file its alias for a name:
// where the entry exists, path takes its long names. Where it does not, path stays as it is.
int take_long_names(char* path, std::size_t room) {
  DWORD length = GetLongPathNameA(path, path, static_cast<DWORD>(room));
  return length == 0 ? 0 : checked_length(length, room);
}

BOOL WINAPI hold_control(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  InterlockedExchange(&interrupted, 1);
  return TRUE;
}

}  // namespace

int prepare_run(int count) {
  // A 32-bit program on 64-bit Windows has its names under System32 sent to SysWOW64, where it
  // would rename a file the user did not name.
  using DisableRedirection = BOOL(WINAPI*)(PVOID*);
  static const auto disable = find_service<DisableRedirection>("Wow64DisableWow64FsRedirection");
  PVOID previous;
  if (disable != nullptr) (void)disable(&previous);
  return check_arguments(count);
}

const LeadBytes& name_lead_bytes() {
  static bool loaded = false;
  if (!loaded) {
    loaded = true;
    CPINFO info;
    if (GetCPInfo(CP_ACP, &info)) {
      for (int pair = 0; pair + 1 < MAX_LEADBYTES && info.LeadByte[pair] != 0; pair += 2) {
        for (unsigned value = info.LeadByte[pair]; value <= info.LeadByte[pair + 1]; ++value) {
          lead_bytes.lead[value] = true;
        }
      }
    }
  }
  return lead_bytes;
}

int get_full_path(const char* name, char* out, std::size_t room) {
  int error = checked_length(GetFullPathNameA(name, static_cast<DWORD>(room), out, nullptr), room);
  return error != 0 ? error : take_long_names(out, room);
}

int get_current_directory(char* out, std::size_t room) {
  int error = checked_length(GetCurrentDirectoryA(static_cast<DWORD>(room), out), room);
  return error != 0 ? error : take_long_names(out, room);
}

int get_local_date(LocalDate* date) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  date->year = now.wYear;
  date->month = now.wMonth;
  date->day = now.wDay;
  return 0;
}

int look_at_entry(const char* name, bool follow, Entry* entry) {
  *entry = Entry{};
  // No access is asked for, so that a file open elsewhere can be looked at too.
  DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  HANDLE file = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, flags, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    entry->missing = static_cast<int>(error);
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0
                                                                          : static_cast<int>(error);
  }
  BY_HANDLE_FILE_INFORMATION info;
  int error = GetFileInformationByHandle(file, &info) ? 0 : static_cast<int>(GetLastError());
  if (error == 0) {
    DWORD attributes = info.dwFileAttributes;
    entry->kind = (attributes & FILE_ATTRIBUTE_DIRECTORY)       ? EntryKind::directory
                  : (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? EntryKind::link
                                                                : EntryKind::file;
    entry->volume = info.dwVolumeSerialNumber;
    memcpy(entry->id, &info.nFileIndexLow, sizeof info.nFileIndexLow);
    memcpy(entry->id + sizeof info.nFileIndexLow, &info.nFileIndexHigh, sizeof info.nFileIndexHigh);
    entry->size = static_cast<unsigned long long>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
    entry->modified = static_cast<long long>(
        static_cast<unsigned long long>(info.ftLastWriteTime.dwHighDateTime) << 32 |
        info.ftLastWriteTime.dwLowDateTime);
    read_wide_id(file, entry);
  }
  CloseHandle(file);
  return error;
}

// Not read here: the look that follows a link finds where Windows takes it, and wine, where this
// program is tested, makes no links whose text a test could read.
int read_link(const char*, char*, std::size_t) { return ERROR_NOT_SUPPORTED; }

int read_file_start(const char* name, char* out, std::size_t room, std::size_t* size) {
  HANDLE file =
      CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
  DWORD got = 0;
  int error = ReadFile(file, out, static_cast<DWORD>(room), &got, nullptr)
                  ? 0
                  : static_cast<int>(GetLastError());
  CloseHandle(file);
  *size = got;
  return error;
}

int remove_file(const char* name) {
  return DeleteFileA(name) ? 0 : static_cast<int>(GetLastError());
}

int make_directory(const char* name) {
  if (CreateDirectoryA(name, nullptr)) return 0;
  DWORD error = GetLastError();
  return error == ERROR_FILE_EXISTS ? ERROR_ALREADY_EXISTS : static_cast<int>(error);
}

int remove_directory(const char* name) {
  return RemoveDirectoryA(name) ? 0 : static_cast<int>(GetLastError());
}

// Windows asks the server itself for a name's attributes.
bool directory_stands(const char* name) {
  DWORD attributes = GetFileAttributesA(name);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

int rename_replacing(const char* from, const char* to) {
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) ? 0 : static_cast<int>(GetLastError());
}

// Either code may say that something stands under to.
int rename_keeping(const char* from, const char* to) {
  if (MoveFileExA(from, to, 0)) return 0;
  DWORD error = GetLastError();
  return error == ERROR_FILE_EXISTS ? ERROR_ALREADY_EXISTS : static_cast<int>(error);
}

// MoveFileEx asks the file system, or an SMB server, to replace in one request, and refuses to
// replace where not asked, on every volume.
bool replaces_in_one_step(const char*) { return true; }

// Windows has no call that swaps two entries.
int exchange_entries(const char*, const char*) { return ERROR_NOT_SUPPORTED; }

void hold_interrupts() { (void)SetConsoleCtrlHandler(hold_control, TRUE); }

// Ended as Ctrl+C ends a process that does not handle it.
void release_interrupts() {
  (void)SetConsoleCtrlHandler(hold_control, FALSE);
  if (interrupted != 0) ExitProcess(STATUS_CONTROL_C_EXIT);
}

unsigned long get_process_id() { return GetCurrentProcessId(); }

void pause_briefly() { Sleep(20); }

// The performance counter's low bits, which change many times in a microsecond.
unsigned long get_random_number() {
  LARGE_INTEGER count;
  (void)QueryPerformanceCounter(&count);
  return static_cast<unsigned long>(count.QuadPart) ^ GetTickCount();
}

// A console shows the names in the line as they are whatever its own code page, once the line
// is turned into UTF-16; a file or a pipe receives the bytes themselves. Nowhere is left to
// report a failure.
void write_diagnostic(const char* line, std::size_t size) {
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode;
  DWORD written;
  wchar_t wide[DIAGNOSTIC_ROOM];
  int units = size <= DIAGNOSTIC_ROOM && GetConsoleMode(error, &mode)
                  ? MultiByteToWideChar(CP_ACP, 0, line, static_cast<int>(size), wide,
                                        static_cast<int>(DIAGNOSTIC_ROOM))
                  : 0;
  if (units > 0) {
    (void)WriteConsoleW(error, wide, static_cast<DWORD>(units), &written, nullptr);
  } else {
    (void)WriteFile(error, line, static_cast<DWORD>(size), &written, nullptr);
  }
}

// The system's message, without the line end and the full stop it carries. Its length is taken
// from the text: the count the service returns need not be in bytes for a double-byte code page.
void describe_error(int code, char* out, std::size_t room) {
  if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                     static_cast<DWORD>(code), 0, out, static_cast<DWORD>(room), nullptr) == 0) {
    (void)snprintf(out, room, "error %d", code);
    return;
  }
  std::size_t length = strlen(out);
  while (length > 0 && strchr("\r\n .", out[length - 1]) != nullptr) --length;
  out[length] = '\0';
}
