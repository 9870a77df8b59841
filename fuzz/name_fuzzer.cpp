// Fuzzes name composition. The input gives a lead-byte set, the rooms, a full path and a text;
// the target checks that splitting loses nothing it may not, never cuts a two-byte character,
// and that assembly either fits its room or fails without writing past it.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "dated_name.h"

namespace {

// The input's first bytes choose the lead bytes: none, Shift_JIS, the one range of GBK, UHC and
// Big5, or a range the input names. Lead bytes lie above ASCII in every code page.
LeadBytes make_lead_bytes(uint8_t kind, uint8_t first, uint8_t last) {
  LeadBytes set{};
  auto mark = [&set](unsigned from, unsigned to) {
    for (unsigned byte = from; byte <= to && byte < 256; ++byte) set.lead[byte] = true;
  };
  switch (kind % 4) {
    case 1:
      mark(0x81, 0x9F);
      mark(0xE0, 0xFC);
      break;
    case 2:
      mark(0x81, 0xFE);
      break;
    case 3:
      mark(first, last);
      break;
    default:
      break;
  }
  return set;
}

// Where scanning must stop: before a lead byte that has no second byte.
size_t expected_end(const char* path, const char* scan, const LeadBytes& lead) {
  const char* at = scan;
  while (*at != '\0') {
    if (lead.lead[static_cast<unsigned char>(*at)]) {
      if (at[1] == '\0') break;
      at += 2;
    } else {
      ++at;
    }
  }
  return static_cast<size_t>(at - path);
}

// A piece is whole characters, counted from its start.
bool whole_characters(const Piece& piece, const LeadBytes& lead) {
  size_t at = 0;
  while (at < piece.size) at += lead.lead[static_cast<unsigned char>(piece.start[at])] ? 2 : 1;
  return at == piece.size;
}

void check(bool condition) {
  if (!condition) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  LeadBytes lead = make_lead_bytes(data[0], data[1], data[2]);
  size_t piece_room = data[3] % 2 == 0 ? MAX_PIECE : 2 + data[3] % 64;
  size_t out_room = 1 + data[4];
  std::string rest(reinterpret_cast<const char*>(data + 5), size - 5);
  size_t split = rest.find('\0');
  std::string path = rest.substr(0, split);
  std::string text = split == std::string::npos ? "" : rest.substr(split + 1);
  text = text.substr(0, text.find('\0'));

  PathParts parts = split_full_path(path.c_str(), lead, piece_room);
  const Piece pieces[] = {parts.drive, parts.dir, parts.fname, parts.ext};
  std::string joined;
  for (const Piece& piece : pieces) {
    check(piece.start >= path.c_str() && piece.start + piece.size <= path.c_str() + path.size());
    check(&piece == &pieces[0] || piece.size < piece_room);
    check(&piece == &pieces[0] || whole_characters(piece, lead));
    joined.append(piece.start, piece.size);
  }
  if (!parts.cut) {
    size_t end = expected_end(path.c_str(), path.c_str() + parts.drive.size, lead);
    check(joined == path.substr(0, end));
  }

  // An exact-size buffer, so that a write past the room is caught.
  char* out = static_cast<char*>(malloc(out_room));
  std::string expected = joined;
  expected.insert(joined.size() - parts.ext.size, "261206" + text);
  if (assemble_dated_name(parts, "261206", text.c_str(), out, out_room)) {
    check(expected.size() < out_room && expected == out);
  } else {
    check(expected.size() >= out_room);
  }
  free(out);
  return 0;
}
