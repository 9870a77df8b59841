// Helpers for the tests that run the built vemblo in a temporary folder of their own.
#ifndef VEMBLO_TEST_SUPPORT_H
#define VEMBLO_TEST_SUPPORT_H

#include <exception>
#include <string>
#include <vector>

extern const char SEPARATOR;  // the separator the system's full paths use

struct RunResult {
  int status;
  std::string out;
  std::string err;
};

// The vemblo built beside the tests.
std::string vemblo_path();

// Runs vemblo with args in folder. env holds "NAME=value" settings for the run (POSIX only).
RunResult run_vemblo(const std::string& folder, const std::vector<std::string>& args,
                     const std::vector<std::string>& env = {});

// A new empty folder under the system's temporary folder, by its full path.
std::string make_temp_folder();

void make_folder(const std::string& path);

// True when anything stands under path.
bool entry_exists(const std::string& path);

// True for a folder; a link to one is not followed.
bool is_folder(const std::string& path);

// What kind of entry path is, as a suffix to its name: "/" for a folder, "->target" for a
// symbolic link, "|" for a FIFO, nothing for a file.
std::string entry_suffix(const std::string& path);

// POSIX systems only.
void make_link(const std::string& path, const std::string& target);
void make_fifo(const std::string& path);

// The entries of a folder, sorted, each with its entry_suffix.
std::vector<std::string> list_folder(const std::string& path);

void write_file(const std::string& path, const std::string& content);
std::string read_file(const std::string& path);
void remove_tree(const std::string& path);

// Fills env with what makes vemblo read names as Shift_JIS (code page 932); false when this
// system cannot.
bool double_byte_setting(std::vector<std::string>* env);

// Today's date stamp, as the tests' own reading of the local clock gives it.
std::string today_stamp();

// A temporary folder that is removed with everything in it when the test ends.
class ScopedFolder {
 public:
  ScopedFolder() : path_(make_temp_folder()) {}
  ~ScopedFolder() {
    try {
      remove_tree(path_);
    } catch (const std::exception&) {
      // A folder left behind in the temporary folder is no reason to fail a test.
    }
  }
  ScopedFolder(const ScopedFolder&) = delete;
  ScopedFolder& operator=(const ScopedFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + SEPARATOR + name; }

 private:
  std::string path_;
};

#endif  // VEMBLO_TEST_SUPPORT_H
