// Names in any language, which Windows gives the program in UTF-8 once its manifest asks for it:
// the test program on Windows carries the same manifest as vemblo.
#include <gtest/gtest.h>

#include "harness.h"

namespace {

std::string times(int count, const std::string& character) {
  std::string text;
  while (count-- > 0) text += character;
  return text;
}

TEST(Utf8, Names) {
  ASSERT_TRUE(names_in_utf8());
  // 120 characters in CJK scripts take over 259 bytes, but fewer UTF-16 units than that.
  const std::string dir = times(80, "日") + "/", name = dir + times(36, "本");
  const std::string text = times(140, "語");
  std::vector<FolderCase> cases = {
      {{"Zdjęcie.jpg"}, {"Zdjęcie.jpg"}, 0, {"Zdjęcie{S}.jpg=Zdjęcie.jpg"}},
      {{"Zdjęcie.jpg"}, {"Zdjęcie.jpg", "ść"}, 0, {"Zdjęcie{S}ść.jpg=Zdjęcie.jpg"}},
      {{"日本.txt"}, {"日本.txt"}, 0, {"日本{S}.txt=日本.txt"}},
      {{"日本.txt"}, {"日本.txt", "語"}, 0, {"日本{S}語.txt=日本.txt"}},
      {{"😀.txt"}, {"😀.txt", "😀"}, 0, {"😀{S}😀.txt=😀.txt"}},
      {{dir, name + ".txt"}, {name + ".txt"}, 0, {dir, name + "{S}.txt=" + name + ".txt"}},
      // Past 259 units the name is refused, and the message holds the name's UTF-8 bytes.
      refused({dir, name + ".txt"}, {name + ".txt", text}, "{F}/" + name + "{S}" + text + ".txt",
              "File name too long"),
      refused({}, {"ę"}, "{F}/ę{S}", "No such file or directory"),
  };
  for (const FolderCase& c : cases) check_folder_case(c);
}

}  // namespace
