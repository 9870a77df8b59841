// What the POSIX console asks of the POSIX platform beyond what every platform answers: how the
// user's character set, looked up once for names and keys alike, writes a character.
#ifndef VEMBLO_PLATFORM_PLATFORM_POSIX_H
#define VEMBLO_PLATFORM_PLATFORM_POSIX_H

#include <cstddef>

// How many bytes follow the first byte of a character; 0 for a character of one byte.
std::size_t bytes_to_follow(unsigned char first);

#endif  // VEMBLO_PLATFORM_PLATFORM_POSIX_H
