// Fuzzes name composition: for any lead bytes, path, text and room, the pieces are the path less
// separators at its end, and the dated name has the stamp and the text inserted before the
// extension, or it is refused, never written past its room.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "dated_name.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  LeadBytes lead{};
  for (int range = 0; range < 2; ++range) {  // two ranges, as Shift_JIS has
    size_t first = input.ConsumeIntegral<uint8_t>(), last = input.ConsumeIntegral<uint8_t>();
    for (size_t byte = first; byte <= last; ++byte) lead.lead[byte] = true;
  }
  size_t room = input.ConsumeIntegralInRange<size_t>(1, 300);
  std::string text = input.ConsumeRandomLengthString(64).c_str();
  std::string path = input.ConsumeRemainingBytesAsString().c_str();
  PathParts parts = split_full_path(path.c_str(), lead);
  std::string kept(path.c_str(), parts.ext.start + parts.ext.size), expected = kept;
  expected.insert(kept.size() - parts.ext.size, "261206" + text);
  std::vector<char> out(room);  // exactly the room, so that a write past it is caught
  bool fits = assemble_dated_name(parts, "261206", text.c_str(), out.data(), room);
  bool sound = path.find_first_not_of("/\\", kept.size()) == std::string::npos &&
               fits == (expected.size() < room) && (!fits || expected == out.data());
  if (!sound) abort();
  return 0;
}
