#include "platform/ini/ini_document.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

namespace vc::ini {
namespace {

struct ReadCase {
  const char* name;
  std::string file;
  std::string section;
  std::string key;
  std::optional<std::string> expected;
};

TEST(IniDocumentTest, ValueFollowsTheProfileStringRules) {
  const ReadCase cases[] = {
      {"exact", "[Main]\r\nXPos=12\r\n", "Main", "XPos", "12"},
      {"section and key ignore case", "[mAIN]\r\nxpos=12\r\n", "Main", "XPOS", "12"},
      {"blanks around names and value", "  [ Main ]\r\n  XPos  =  12  \r\n", "Main", "XPos", "12"},
      {"empty value", "[Main]\r\nXPos=\r\n", "Main", "XPos", ""},
      {"first of duplicate keys", "[Main]\r\nXPos=1\r\nXPos=2\r\n", "Main", "XPos", "1"},
      {"first of duplicate sections", "[Main]\r\nA=1\r\n[Main]\r\nA=2\r\nB=3\r\n", "Main", "B",
       std::nullopt},
      {"key of another section", "[Main]\r\n[analizar]\r\nXPos=5\r\n", "Main", "XPos",
       std::nullopt},
      {"key before any section", "XPos=5\r\n[Main]\r\n", "Main", "XPos", std::nullopt},
      {"comment is no key", "[Main]\r\n;XPos=5\r\n", "Main", "XPos", std::nullopt},
      {"missing section", "[Main]\r\nXPos=5\r\n", "reporte", "XPos", std::nullopt},
      {"line ends LF only", "[Main]\nXPos=7\n", "Main", "XPos", "7"},
      {"no final line end", "[Main]\r\nXPos=7", "Main", "XPos", "7"},
      {"value keeps inner blanks and equals", "[S]\r\nK=a b=c\r\n", "S", "K", "a b=c"},
      {"header without closing bracket", "[Main\r\nXPos=3\r\n", "Main", "XPos", "3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IniDocument::parse(c.file).value(c.section, c.key), c.expected);
  }
}

struct EditCase {
  const char* name;
  std::string before;
  std::function<void(IniDocument&)> edit;
  std::string after;
};

TEST(IniDocumentTest, EditsTouchOnlyTheirKeyAndKeepEveryOtherLineInPlace) {
  const EditCase cases[] = {
      {"new file", "", [](IniDocument& d) { d.set("Main", "XPos", "10"); },
       "[Main]\r\nXPos=10\r\n"},
      {"replace keeps neighbours and comments",
       "; kept\r\n[main]\r\nMaximize=No\r\nxpos=1\r\nYPos=2\r\n[Other]\r\nXPos=9\r\n",
       [](IniDocument& d) { d.set("Main", "XPos", "10"); },
       "; kept\r\n[main]\r\nMaximize=No\r\nXPos=10\r\nYPos=2\r\n[Other]\r\nXPos=9\r\n"},
      {"new key after the section's last entry, blank separator kept",
       "[Main]\r\nXPos=1\r\n\r\n[Other]\r\nA=1\r\n",
       [](IniDocument& d) { d.set("Main", "YPos", "2"); },
       "[Main]\r\nXPos=1\r\nYPos=2\r\n\r\n[Other]\r\nA=1\r\n"},
      {"new section after a last line without end", "[Main]\r\nXPos=1",
       [](IniDocument& d) { d.set("reporte", "XPos", "3"); },
       "[Main]\r\nXPos=1\r\n[reporte]\r\nXPos=3\r\n"},
      {"new lines end like the file's", "[Main]\nXPos=1\n",
       [](IniDocument& d) { d.set("Main", "YPos", "2"); }, "[Main]\nXPos=1\nYPos=2\n"},
      {"trailing blanks of the value removed", "",
       [](IniDocument& d) { d.set("Main", "Maximize", "No   "); }, "[Main]\r\nMaximize=No\r\n"},
      {"remove only that key", "[Main]\r\nXPos=1\r\nYPos=2\r\n[Other]\r\nYPos=3\r\n",
       [](IniDocument& d) { d.remove("MAIN", "ypos"); },
       "[Main]\r\nXPos=1\r\n[Other]\r\nYPos=3\r\n"},
      {"remove every copy of a duplicated key", "[Main]\r\nXPos=1\r\nA=0\r\nxpos=2\r\n",
       [](IniDocument& d) { d.remove("Main", "XPos"); }, "[Main]\r\nA=0\r\n"},
      {"remove of a missing key changes nothing", "[Main]\r\nXPos=1\r\n",
       [](IniDocument& d) { d.remove("Main", "Width"); }, "[Main]\r\nXPos=1\r\n"},
      {"lines the parser does not know are kept", "junk line\r\n[Main]\r\nno equals\r\n",
       [](IniDocument& d) { d.set("Main", "XPos", "4"); },
       "junk line\r\n[Main]\r\nno equals\r\nXPos=4\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    IniDocument doc = IniDocument::parse(c.before);
    c.edit(doc);
    EXPECT_EQ(doc.bytes(), c.after);
  }
}

TEST(IniDocumentTest, RefusesNamesAndValuesThatWouldNotReadBackAsWritten) {
  const std::string before = "[Main]\r\nXPos=1\r\n";
  const struct {
    const char* name;
    std::string section, key, value;
  } cases[] = {
      {"empty key", "Main", "  ", "1"},
      {"key holding equals", "Main", "a=b", "1"},
      {"key starting a comment", "Main", ";k", "1"},
      {"section holding a bracket", "Ma]in", "k", "1"},
      {"line break in value", "Main", "XPos", "1\r\n[Evil]"},
      {"line break in key", "Main", "k\nx", "1"},
      {"line break in section", "Ma\nin", "k", "1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    IniDocument doc = IniDocument::parse(before);
    EXPECT_FALSE(doc.set(c.section, c.key, c.value));
    EXPECT_EQ(doc.bytes(), before);
  }
}

}  // namespace
}  // namespace vc::ini
