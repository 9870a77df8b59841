// The entry of vemblo, which stamps a file's name with the day's date.
#include "command.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  start_platform();
  return run_command(argc, argv);
}
