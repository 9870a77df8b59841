// Splitting, date stamps and assembly, without a clock or a file system.
#include "dated_name.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

LeadBytes no_lead_bytes() { return LeadBytes{}; }

// Code page 932 (Shift_JIS), where the second byte of "表" (95 5C) and "ソ" (83 5C) is "\".
LeadBytes shift_jis_lead_bytes() {
  LeadBytes set{};
  for (int byte = 0x81; byte <= 0x9F; ++byte) set.lead[byte] = true;
  for (int byte = 0xE0; byte <= 0xFC; ++byte) set.lead[byte] = true;
  return set;
}

std::string text(const Piece& piece) { return std::string(piece.start, piece.size); }

#define HYO "\x95\x5C"
#define SO "\x83\x5C"

TEST(SplitFullPath, PathSamples) {
  struct Case {
    const char* path;
    bool shift_jis;
    const char* drive;
    const char* dir;
    const char* fname;
    const char* ext;
  } cases[] = {
      {"C:\\work\\notes.txt", false, "C:", "\\work\\", "notes", ".txt"},
      {"C:\\work\\archive.tar.gz", false, "C:", "\\work\\", "archive.tar", ".gz"},
      {"C:\\work\\README", false, "C:", "\\work\\", "README", ""},
      {"C:\\work\\.profile", false, "C:", "\\work\\", "", ".profile"},
      {"D:\\my.dir\\data", false, "D:", "\\my.dir\\", "data", ""},
      {"C:\\work\\sub\\", false, "C:", "\\work\\sub\\", "", ""},
      {"/home/ann/a\\b.c/d.e", false, "", "/home/ann/a\\b.c/", "d", ".e"},
      {"/home/ann/x.b\\c", false, "", "/home/ann/x.b\\", "c", ""},
      {"\\\\server\\share\\f.txt", false, "", "\\\\server\\share\\", "f", ".txt"},
      {"/srv/a:b.txt", false, "", "/srv/", "a:b", ".txt"},
      {"1:name", false, "1:", "", "name", ""},
      {"/a/b.", false, "", "/a/", "b", "."},
      {"C:", false, "C:", "", "", ""},
      {"", false, "", "", "", ""},
      // A trail byte with the value of "\" or "." is neither a separator nor a dot.
      {"/d/x." HYO, true, "", "/d/", "x", "." HYO},
      {"/d/" SO "." HYO, true, "", "/d/", SO, "." HYO},
      {"/d/" HYO "\\y", true, "", "/d/" HYO "\\", "y", ""},
      {"/d/a\x81.b", true, "", "/d/", "a\x81.b", ""},
      // The same bytes read without lead bytes split elsewhere.
      {"/d/x." HYO, false, "", "/d/x.\x95\\", "", ""},
      // A lead byte that ends the path has no second byte; no piece keeps it.
      {"/d/a.b\x81", true, "", "/d/", "a", ".b"},
      {"/d/a\x81", true, "", "/d/", "a", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    PathParts parts =
        split_full_path(c.path, c.shift_jis ? shift_jis_lead_bytes() : no_lead_bytes(), 256);
    EXPECT_EQ(c.drive, text(parts.drive));
    EXPECT_EQ(c.dir, text(parts.dir));
    EXPECT_EQ(c.fname, text(parts.fname));
    EXPECT_EQ(c.ext, text(parts.ext));
    EXPECT_FALSE(parts.cut);
  }
}

TEST(SplitFullPath, CutsLongPiecesOnCharacterBoundaries) {
  struct Case {
    const char* path;
    const char* dir;
    const char* fname;
    const char* ext;
    bool cut;
  } cases[] = {
      {"/abcdefg.txt", "/", "abcdefg", ".txt", false},  // exactly the room
      {"/abcdefgh.txt", "/", "abcdefg", ".txt", true},
      {"/abcdef" HYO ".txt", "/", "abcdef", ".txt", true},  // never half a character
      {"/abcde" HYO ".txt", "/", "abcde" HYO, ".txt", false},
      {"/abcdefgh/x", "/abcdef", "x", "", true},
      {"/a.bcdefghi", "/", "a", ".bcdefg", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    PathParts parts = split_full_path(c.path, shift_jis_lead_bytes(), 8);
    EXPECT_EQ(c.dir, text(parts.dir));
    EXPECT_EQ(c.fname, text(parts.fname));
    EXPECT_EQ(c.ext, text(parts.ext));
    EXPECT_EQ(c.cut, parts.cut);
  }
}

TEST(FormatDateStamp, TwoDigitsEach) {
  struct Case {
    LocalDate date;
    const char* stamp;
  } cases[] = {
      {{1999, 12, 31}, "991231"}, {{2000, 1, 1}, "000101"},  {{2004, 3, 5}, "040305"},
      {{2009, 9, 9}, "090909"},   {{2026, 12, 6}, "261206"}, {{2103, 3, 5}, "030305"},
      {{1970, 1, 1}, "700101"},   {{2040, 2, 29}, "400229"}, {{12026, 10, 10}, "261010"},
  };
  for (const Case& c : cases) {
    char stamp[DATE_STAMP_SIZE];
    format_date_stamp(c.date, stamp);
    EXPECT_STREQ(c.stamp, stamp) << c.date.year << "-" << c.date.month << "-" << c.date.day;
  }
}

TEST(AssembleDatedName, FailsRatherThanCut) {
  PathParts parts = split_full_path("/a/b.txt", no_lead_bytes(), MAX_PIECE);
  const std::string whole = "/a/b261206.txt";
  char out[32];
  for (size_t room = whole.size() - 2; room <= whole.size() + 1; ++room) {
    SCOPED_TRACE(room);
    std::fill(out, out + sizeof out, 'Z');
    bool fits = assemble_dated_name(parts, "261206", "", out, room);
    EXPECT_EQ(room > whole.size(), fits);
    if (fits) {
      EXPECT_EQ(whole, out);
    }
    EXPECT_EQ('Z', out[room]) << "wrote past its room";
  }
}

}  // namespace
