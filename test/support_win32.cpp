// Running vemblo and making folders on Windows.
#include <windows.h>

#include <stdexcept>

#include "support.h"

const char SEPARATOR = '\\';

std::string vemblo_path() {
  char self[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
  if (length == 0 || length >= sizeof self)
    throw std::runtime_error("cannot find the test program");
  std::string path(self, length);
  return path.substr(0, path.rfind('\\') + 1) + "vemblo.exe";
}

namespace {

// Quotes one argument so that the C runtime's start-up splits it back unchanged. The start-up
// reads two-byte characters whole, so a second byte of 0x5C is no backslash.
std::string quote(const std::string& arg) {
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (size_t at = 0; at < arg.size(); ++at) {
    char c = arg[at];
    if (IsDBCSLeadByte(static_cast<BYTE>(c)) && at + 1 < arg.size()) {
      quoted.append(backslashes, '\\');
      backslashes = 0;
      quoted += arg.substr(at++, 2);
      continue;
    }
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, '\\');
  return quoted + "\"";
}

// A file for one of the child's output streams, gone once the last handle to it is closed.
HANDLE make_capture_file(const std::string& name) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE file =
      CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit, CREATE_ALWAYS,
                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot make " + name);
  return file;
}

std::string read_capture(HANDLE file) {
  std::string content;
  char buffer[4096];
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
    content.append(buffer, got);
  CloseHandle(file);
  return content;
}

std::string temp_name(const char* kind) {
  static unsigned counter = 0;
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  return std::string(temp) + "vemblo-" + kind + "-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(++counter);
}

}  // namespace

RunResult run_vemblo(const std::string& folder, const std::vector<std::string>& args,
                     const std::vector<std::string>&) {
  std::string program = vemblo_path();
  std::string command_line = quote(program);
  for (const std::string& arg : args) command_line += " " + quote(arg);

  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE input = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr);
  HANDLE out = make_capture_file(temp_name("out"));
  HANDLE err = make_capture_file(temp_name("err"));
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(program.c_str(), &command_line[0], nullptr, nullptr, TRUE, 0, nullptr,
                      folder.c_str(), &startup, &process)) {
    throw std::runtime_error("cannot start " + program);
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  CloseHandle(input);
  return RunResult{static_cast<int>(status), read_capture(out), read_capture(err)};
}

std::string make_temp_folder() {
  std::string name = temp_name("test");
  if (!CreateDirectoryA(name.c_str(), nullptr)) throw std::runtime_error("cannot make " + name);
  char full[MAX_PATH];
  DWORD length = GetLongPathNameA(name.c_str(), full, sizeof full);
  return length > 0 && length < sizeof full ? std::string(full, length) : name;
}

void make_folder(const std::string& path) {
  if (!CreateDirectoryA(path.c_str(), nullptr)) throw std::runtime_error("cannot make " + path);
}

bool is_folder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Code page 932 comes from the system's locale; it cannot be set for one run.
bool double_byte_setting(std::vector<std::string>*) { return GetACP() == 932; }

std::string entry_suffix(const std::string& path) { return is_folder(path) ? "/" : ""; }

void make_link(const std::string& path, const std::string&) {
  throw std::runtime_error("no symbolic links here: " + path);
}

void make_fifo(const std::string& path) { throw std::runtime_error("no FIFOs here: " + path); }

bool entry_exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
