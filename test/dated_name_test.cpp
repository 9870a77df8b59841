// Splitting, date stamps and assembly, without a clock or a file system.
#include "dated_name.h"

#include <gtest/gtest.h>

#include <string>

namespace {

#define HYO "\x95\x5C"  // Shift_JIS characters whose second byte is "\"
#define SO "\x83\x5C"

// The pieces, each followed by "|".
TEST(SplitFullPath, PathSamples) {
  LeadBytes shift_jis{};
  for (int byte = 0x81; byte <= 0xFC; ++byte) shift_jis.lead[byte] = byte <= 0x9F || byte >= 0xE0;
  const struct {
    const char* path;
    bool shift_jis;
    const char* pieces;
  } cases[] = {
      {"C:\\work\\notes.txt", false, "C:|\\work\\|notes|.txt|"},
      {"C:\\work\\archive.tar.gz", false, "C:|\\work\\|archive.tar|.gz|"},
      {"C:\\work\\.profile", false, "C:|\\work\\||.profile|"},
      {"D:\\my.dir\\data", false, "D:|\\my.dir\\|data||"},
      {"C:\\work\\sub\\", false, "C:|\\work\\sub\\|||"},
      {"/home/ann/a\\b.c/d.e", false, "|/home/ann/a\\b.c/|d|.e|"},
      {"\\\\server\\share\\f.txt", false, "|\\\\server\\share\\|f|.txt|"},
      {"/srv/a:b.txt", false, "|/srv/|a:b|.txt|"},
      {"1:name", false, "1:||name||"},
      {"", false, "||||"},
      // A trail byte with the value of "\" or "." is neither a separator nor a dot, in either
      // range of lead bytes.
      {"/d/x." HYO, true, "|/d/|x|." HYO "|"},
      {"/d/" SO "." HYO, true, "|/d/|" SO "|." HYO "|"},
      {"/d/\xEA\\y", true, "|/d/|\xEA\\y||"},
      {"/d/x." HYO, false, "|/d/x.\x95\\|||"},
      // A lead byte without a second byte is a byte of its own, and hides nothing.
      {"/d/a.b\x81", true, "|/d/|a|.b\x81|"},
      {"/d/a.\x83/f", true, "|/d/a.\x83/|f||"},
  };
  for (const auto& c : cases) {
    PathParts parts = split_full_path(c.path, c.shift_jis ? shift_jis : LeadBytes{});
    std::string pieces;
    for (const Piece& piece : {parts.drive, parts.dir, parts.fname, parts.ext}) {
      pieces.append(piece.start, piece.size) += "|";
    }
    EXPECT_EQ(c.pieces, pieces) << c.path;
  }
}

TEST(FormatDateStamp, TwoDigitsEach) {
  const struct {
    LocalDate date;
    const char* stamp;
  } cases[] = {
      {{1999, 12, 31}, "991231"}, {{2000, 1, 1}, "000101"},    {{2009, 9, 9}, "090909"},
      {{2103, 3, 5}, "030305"},   {{12026, 10, 10}, "261010"},
  };
  for (const auto& c : cases) {
    char stamp[DATE_STAMP_SIZE];
    format_date_stamp(c.date, stamp);
    EXPECT_STREQ(c.stamp, stamp) << c.date.year;
  }
}

// The dated name fits its room whole, or is refused without a byte written past the room.
TEST(AssembleDatedName, FailsRatherThanCut) {
  PathParts parts = split_full_path("/a/b.txt", LeadBytes{});
  const std::string whole = "/a/b261206x.txt";
  for (size_t room = whole.size(); room <= whole.size() + 1; ++room) {
    std::string out(32, 'Z');
    bool fits = assemble_dated_name(parts, "261206", "x", &out[0], room);
    EXPECT_EQ(room > whole.size(), fits);
    EXPECT_EQ(fits ? whole : "", fits ? out.c_str() : "");
    EXPECT_EQ('Z', out[room]) << "wrote past its room";
  }
}

}  // namespace
