#include "platform/files/text_file.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/temp_folder.hpp"

namespace vc::files {
namespace {

using vc::testing::TempFolder;

constexpr std::size_t kRecord = 200;

std::string padded(const std::string& s) {
  std::string out = s.substr(0, kRecord);
  out.resize(kRecord, ' ');
  return out;
}

/// A declaration over "t.txt" in the current folder, with its own 200-byte record.
struct Reader {
  std::string name = "t.txt";
  char record[kRecord];
  TextFile file{name, record, kRecord};

  std::string dato() const { return std::string(record, kRecord); }

  /// Every record from the first byte on, read the way the system reads: SET, then EOF
  /// before each NEXT.
  std::vector<std::string> readAll() {
    std::vector<std::string> out;
    file.set(1);
    while (!file.eof()) {
      EXPECT_EQ(file.next(), FileError::none);
      out.push_back(dato());
      if (out.size() > 10000) break;
    }
    return out;
  }
};

struct ReadCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> records;  // padded to 200 before comparing
};

std::vector<ReadCase> readCases() {
  const std::string x199(199, 'x'), x200(200, 'y'), x201(201, 'z');
  return {
      {"TAB after two letters lands Z on the 9th character", "AB\tZ\r\n", {"AB      Z"}},
      {"TAB after eight letters lands Z on the 17th", "ABCDEFGH\tZ\r\n", {"ABCDEFGH        Z"}},
      {"TAB at the start gives eight blanks", "\tX\r\n", {"        X"}},
      {"TAB at column 3 gives five blanks", "abc\tX\r\n", {"abc     X"}},
      {"25 TABs fill the record, the rest is lost",
       std::string(25, '\t') + "lost\r\nnext\r\n",
       {"", "next"}},
      {"TAB near the end stops at the 200th character",
       std::string(196, 'a') + "\tZ\r\nnext\r\n",
       {std::string(196, 'a'), "next"}},
      {"199 characters are delivered whole", x199 + "\r\nnext\r\n", {x199, "next"}},
      {"200 characters are delivered whole", x200 + "\r\nnext\r\n", {x200, "next"}},
      {"201 characters lose the rest", x201 + "\r\nnext\r\n", {x201, "next"}},
      {"an empty line is 200 blanks", "\r\nafter\r\n", {"", "after"}},
      {"the last line needs no CR LF", "a\r\nlast", {"a", "last"}},
      {"LF alone is an ordinary character", "one\ntwo\nthree", {"one\ntwo\nthree"}},
      {"a long LF-only file is one record",
       std::string(150, 'a') + "\n" + std::string(150, 'b') + "\n",
       {std::string(150, 'a') + "\n" + std::string(49, 'b')}},
      {"CR alone stays in the record", "a\rb\r\n", {"a\rb"}},
      {"CR at the end of the file stays in the record", "abc\r", {"abc\r"}},
      {"Ctrl-Z at the start of a line ends the data", "one\r\n\x1Atwo\r\n", {"one"}},
      {"Ctrl-Z inside a line ends the record",
       "AB\x1A"
       "DE\r\n",
       {"AB", "DE"}},
      {"Ctrl-Z after the last CR LF", "x\r\n\x1A", {"x"}},
      {"Ctrl-Z at the very start",
       "\x1A"
       "data\r\n",
       {}},
      {"an empty file has no line", "", {}},
      {"NUL is an ordinary character", std::string("a\0b\r\n", 5), {std::string("a\0b", 3)}},
      {"bytes above 127 pass unchanged", "\xE9\xFF\r\n", {"\xE9\xFF"}},
      {"CR LF across the first read's end",
       std::string(255, 'k') + "\r\nnext\r\n",
       {std::string(255, 'k'), "next"}},
      {"CR LF across a later read's end",
       std::string(51455, 'm') + "\r\nnext\r\n",
       {std::string(200, 'm'), "next"}},
      {"an over-long line ended by the end of the file",
       std::string(70000, 'q'),
       {std::string(200, 'q')}},
  };
}

TEST(TextFileTest, ReadsLinesByTheRules) {
  for (const ReadCase& c : readCases()) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    TempFolder::write("t.txt", c.bytes);
    Reader reader;
    ASSERT_TRUE(reader.file.open(kReadWriteDenyNone).ok());
    const std::vector<std::string> got = reader.readAll();
    std::vector<std::string> want;
    for (const std::string& r : c.records) want.push_back(padded(r));
    EXPECT_EQ(got, want);
  }
}

TEST(TextFileTest, NextAtTheEndFailsWithoutMoving) {
  TempFolder folder;
  TempFolder::write("t.txt", "only\r\n\x1Ahidden\r\n");
  Reader reader;
  ASSERT_TRUE(reader.file.open(kReadWriteDenyNone).ok());
  reader.file.set(1);
  ASSERT_EQ(reader.file.next(), FileError::none);
  const std::uint64_t at = reader.file.position();
  EXPECT_EQ(at, 7u);
  EXPECT_TRUE(reader.file.eof());
  EXPECT_EQ(reader.file.next(), FileError::recordNotAvailable);
  EXPECT_EQ(reader.file.errorCode(), FileError::recordNotAvailable);
  EXPECT_EQ(reader.file.position(), at);
  EXPECT_EQ(reader.dato(), padded("only"));
  EXPECT_TRUE(reader.file.eof());
}

TEST(TextFileTest, SeesTheFileAsItStandsAtEachRead) {
  TempFolder folder;
  TempFolder::write("t.txt", "one\r\n");
  Reader reader;
  ASSERT_TRUE(reader.file.open(kReadWriteDenyNone).ok());
  reader.file.set(1);
  ASSERT_EQ(reader.file.next(), FileError::none);
  EXPECT_TRUE(reader.file.eof());
  {
    std::ofstream more("t.txt", std::ios::binary | std::ios::app);
    more << "two\r\n";
  }
  EXPECT_FALSE(reader.file.eof());
  ASSERT_EQ(reader.file.next(), FileError::none);
  EXPECT_EQ(reader.dato(), padded("two"));
  EXPECT_TRUE(reader.file.eof());
}

TEST(TextFileTest, OpensUnderTheVariablesCurrentValue) {
  TempFolder folder;
  TempFolder::write("a.txt", "from a\r\n");
  TempFolder::write("b.txt", "from b\r\n");
  std::string variable = "a.txt   ";
  char record[kRecord];
  TextFile file(variable, record, kRecord);
  ASSERT_TRUE(file.open(kReadWriteDenyNone).ok());
  EXPECT_EQ(file.open(kReadWriteDenyNone).error, FileError::fileAlreadyOpen);
  variable.replace(0, 5, "b.txt");  // the open file is not switched
  file.set(1);
  EXPECT_EQ(file.next(), vc::files::FileError::none);
  EXPECT_EQ(std::string(record, 6), "from a");
  file.close();
  ASSERT_TRUE(file.open(kReadWriteDenyNone).ok());
  file.set(1);
  EXPECT_EQ(file.next(), vc::files::FileError::none);
  EXPECT_EQ(std::string(record, 6), "from b");
  EXPECT_EQ(file.name(), "b.txt");
}

TEST(TextFileTest, CreatesAMissingFileEmpty) {
  TempFolder folder;
  Reader reader;
  EXPECT_EQ(reader.file.open(kReadWriteDenyNone).error, FileError::fileNotFound);
  ASSERT_TRUE(reader.file.create().ok());
  ASSERT_TRUE(reader.file.open(kReadWriteDenyNone).ok());
  reader.file.set(1);
  EXPECT_TRUE(reader.file.eof());
  EXPECT_EQ(reader.file.next(), FileError::recordNotAvailable);
  EXPECT_EQ(TempFolder::read("t.txt"), "");
}

}  // namespace
}  // namespace vc::files
