// The entry of vemblo, which stamps a file's name with the day's date.
#include "command.h"

int main(int argc, char** argv) { return run_command(argc, argv); }
