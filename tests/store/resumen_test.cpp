#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "store_fixture.hpp"

namespace vc::store {
namespace {

using vc::files::FileError;
using vc::files::KeyId;

struct Row {
  std::string modulo;
  std::string nombre;
  int external;
  std::string tipo = "LONG";
};

class ResumenTest : public StoreTest {
 protected:
  ResumenTest() { EXPECT_EQ(openThrough(resumenRelation), "opened"); }

  static void add(const Row& r) {
    RES.MODULO = r.modulo;
    RES.NOMBRE = r.nombre;
    RES.TIPO = r.tipo;
    RES.MODO.clear();
    RES.EXTERNAL = static_cast<std::uint8_t>(r.external);
    RES.DIFERENTE = 0;
    EXPECT_EQ(resumen().add(), vc::files::FileError::none);
  }
  static void addAll(const std::vector<Row>& rows) {
    EXPECT_TRUE(resumen().stream().ok());
    for (const Row& r : rows) add(r);
    EXPECT_TRUE(resumen().flush().ok());
  }
  /// "MODULO/NOMBRE/EXTERNAL/TIPO" of every row from the start in the key's order.
  static std::vector<std::string> readAll(ResumenFile& file, ResumenRecord& buffer, KeyId key) {
    std::vector<std::string> out;
    file.clearToLowest();
    file.set(key);
    while (!file.eof()) {
      EXPECT_EQ(file.next(), FileError::none);
      out.push_back(text(buffer));
    }
    return out;
  }
  static std::string text(const ResumenRecord& r) {
    return std::string(r.MODULO.clipped()) + "/" + std::string(r.NOMBRE.clipped()) + "/" +
           std::to_string(r.EXTERNAL) + "/" + std::string(r.TIPO.clipped());
  }
};

struct OrderCase {
  const char* name;
  std::vector<Row> rows;
  std::vector<int> byNombre;  // 1-based order of addition, as read in indnom order
  std::vector<int> byModulo;  // ... in indmod order
};

TEST_F(ResumenTest, ReadsInKeyOrder) {
  const OrderCase cases[] = {
      {"the worked example",
       {{"MODA", "GLO:X", 0}, {"MODB", "GLO:X", 1}, {"MODB", "CNT", 0}, {"MODA", "CNT", 0}},
       {4, 3, 1, 2},
       {4, 1, 3, 2}},
      {"by character code, not by any collation",
       {{"M", "GLO_X", 0}, {"M", "GLOBAL", 0}, {"M", "GLO:X", 0}},
       {3, 2, 1},
       {3, 2, 1}},
      {"a shorter name first", {{"M", "AB1", 0}, {"M", "AB", 0}}, {2, 1}, {2, 1}},
      {"small and capital letters are equal; ties keep the order of addition",
       {{"M", "CNT", 0, "A"}, {"m", "cnt", 0, "B"}, {"M", "Cnt", 0, "C"}},
       {1, 2, 3},
       {1, 2, 3}},
      {"codes above 127 keep their own code",
       {{"M",
         "\xE9"
         "A",
         0},
        {"M", "zz", 0},
        {"M",
         "\xC9"
         "B",
         0}},
       {2, 3, 1},
       {2, 3, 1}},
      {"EXTERNAL 0 before 1, each group by name or module",
       {{"M", "B", 1}, {"M", "A", 1}, {"M", "C", 0}, {"N", "A", 0}},
       {4, 2, 1, 3},
       {3, 2, 1, 4}},
      {"equal keys in the order of addition",
       {{"M", "X", 0, "T1"}, {"M", "X", 0, "T2"}, {"M", "X", 0, "T3"}},
       {1, 2, 3},
       {1, 2, 3}},
  };
  for (const OrderCase& c : cases) {
    SCOPED_TRACE(c.name);
    resumenRelation->close();
    EXPECT_TRUE(resumen().remove().ok());
    ASSERT_EQ(openThrough(resumenRelation), "opened");
    addAll(c.rows);
    std::vector<std::string> all;
    for (const Row& r : c.rows) {
      ResumenRecord rec;
      rec.MODULO = r.modulo;
      rec.NOMBRE = r.nombre;
      rec.TIPO = r.tipo;
      rec.EXTERNAL = static_cast<std::uint8_t>(r.external);
      all.push_back(text(rec));
    }
    std::vector<std::string> nombre, modulo;
    for (int i : c.byNombre) nombre.push_back(all[i - 1]);
    for (int i : c.byModulo) modulo.push_back(all[i - 1]);
    EXPECT_EQ(readAll(resumen(), RES, ResumenFile::indnom), nombre);
    EXPECT_EQ(readAll(resumen(), RES, ResumenFile::indmod), modulo);
  }
}

TEST_F(ResumenTest, SetPositionsAtTheFirstRowAtOrAfterTheBuffersKey) {
  addAll({{"M", "ALFA", 0}, {"M", "BETA", 0}, {"M", "BETA", 1}, {"M", "GAMMA", 0}});
  resumen().clearToLowest();
  RES.NOMBRE = "beta";
  resumen().set(ResumenFile::indnom);
  // SET reads nothing: the buffer still holds the lowest values and the name.
  EXPECT_EQ(RES.MODULO.view(), std::string(30, '\0'));
  EXPECT_EQ(RES.NOMBRE, "beta");
  ASSERT_EQ(resumen().next(), FileError::none);
  EXPECT_EQ(text(RES), "M/BETA/0/LONG");
  resumen().clearToLowest();
  RES.NOMBRE = "C";
  resumen().set(ResumenFile::indnom);
  ASSERT_EQ(resumen().next(), FileError::none);
  EXPECT_EQ(text(RES), "M/GAMMA/0/LONG");
}

TEST_F(ResumenTest, EofOnAClearedBufferOnlyWhenEmpty) {
  resumen().clearToLowest();
  resumen().set(ResumenFile::indnom);
  EXPECT_TRUE(resumen().eof());
  EXPECT_EQ(resumen().next(), FileError::recordNotAvailable);
  addAll({{"M", "X", 0}});
  resumen().clearToLowest();
  resumen().set(ResumenFile::indnom);
  EXPECT_FALSE(resumen().eof());
  EXPECT_FALSE(resumen().eof());  // a look-ahead: asking twice moves nothing
  const std::string before = text(RES);
  EXPECT_EQ(text(RES), before);
  ASSERT_EQ(resumen().next(), FileError::none);
  EXPECT_EQ(text(RES), "M/X/0/LONG");
}

TEST_F(ResumenTest, EofAfterTheLastRowAndAfterDeletingIt) {
  addAll({{"M", "A", 0}, {"M", "B", 0}});
  resumen().clearToLowest();
  resumen().set(ResumenFile::indnom);
  EXPECT_EQ(resumen().next(), vc::files::FileError::none);
  EXPECT_FALSE(resumen().eof());
  EXPECT_EQ(resumen().next(), vc::files::FileError::none);
  EXPECT_TRUE(resumen().eof());
  EXPECT_EQ(resumen().deleteCurrent(), FileError::none);
  EXPECT_TRUE(resumen().eof());
  EXPECT_EQ(resumen().next(), FileError::recordNotAvailable);
  EXPECT_EQ(text(RES), "M/B/0/LONG");  // a failed NEXT leaves the buffer
  EXPECT_EQ(resumen().records(), 1u);
}

TEST_F(ResumenTest, DeleteThenNextReadsTheRowThatFollowed) {
  addAll({{"M", "A", 0},
          {"M", "B", 0, "T1"},
          {"N", "B", 0, "T2"},
          {"N", "B", 1, "T3"},
          {"M", "C", 0}});
  EXPECT_TRUE(resumen().stream().ok());
  resumen().clearToLowest();
  resumen().set(ResumenFile::indnom);
  EXPECT_EQ(resumen().next(), vc::files::FileError::none);  // A
  EXPECT_EQ(resumen().next(), vc::files::FileError::none);  // first B
  EXPECT_EQ(text(RES), "M/B/0/T1");
  // Every row of the name, one after another: DELETE, then NEXT and DELETE.
  EXPECT_EQ(resumen().deleteCurrent(), vc::files::FileError::none);
  EXPECT_EQ(resumen().next(), vc::files::FileError::none);
  EXPECT_EQ(text(RES), "N/B/0/T2");
  EXPECT_EQ(resumen().deleteCurrent(), vc::files::FileError::none);
  EXPECT_EQ(resumen().next(), vc::files::FileError::none);
  EXPECT_EQ(text(RES), "N/B/1/T3");
  EXPECT_EQ(resumen().deleteCurrent(), vc::files::FileError::none);
  ASSERT_FALSE(resumen().eof());
  EXPECT_EQ(resumen().next(), vc::files::FileError::none);
  EXPECT_EQ(text(RES), "M/C/0/LONG");
  EXPECT_TRUE(resumen().flush().ok());
  EXPECT_EQ(readAll(resumen(), RES, ResumenFile::indnom),
            (std::vector<std::string>{"M/A/0/LONG", "M/C/0/LONG"}));
}

TEST_F(ResumenTest, DeletingOneOfEqualRowsGoesOnWithTheNextOfThem) {
  addAll({{"M", "X", 0, "T1"}, {"M", "X", 0, "T2"}, {"M", "X", 0, "T3"}});
  resumen().clearToLowest();
  resumen().set(ResumenFile::indnom);
  EXPECT_EQ(resumen().next(), vc::files::FileError::none);
  EXPECT_EQ(resumen().next(), vc::files::FileError::none);
  EXPECT_EQ(text(RES), "M/X/0/T2");
  EXPECT_EQ(resumen().deleteCurrent(), vc::files::FileError::none);
  ASSERT_FALSE(resumen().eof());
  EXPECT_EQ(resumen().next(), vc::files::FileError::none);
  EXPECT_EQ(text(RES), "M/X/0/T3");
  EXPECT_TRUE(resumen().eof());
}

TEST_F(ResumenTest, ARowAddedWithTheDeletedLastRowsKeyStillComesAfterIt) {
  addAll({{"M", "A", 0}, {"M", "Z", 0, "OLD"}});
  resumen().clearToLowest();
  resumen().set(ResumenFile::indnom);
  EXPECT_EQ(resumen().next(), vc::files::FileError::none);
  EXPECT_EQ(resumen().next(), vc::files::FileError::none);
  EXPECT_EQ(resumen().deleteCurrent(), vc::files::FileError::none);
  add({"M", "Z", 0, "NEW"});
  ASSERT_FALSE(resumen().eof());
  EXPECT_EQ(resumen().next(), vc::files::FileError::none);
  EXPECT_EQ(text(RES), "M/Z/0/NEW");
}

TEST_F(ResumenTest, TheTwoCursorsLeaveEachOtherAlone) {
  ASSERT_EQ(openThrough(resumenAliasRelation), "opened");
  addAll({{"M", "A", 0}, {"M", "B", 0}, {"M", "B", 1}, {"M", "C", 0}});
  for (bool aliasMoves : {true, false}) {
    SCOPED_TRACE(aliasMoves ? "the alias moves" : "resumen moves");
    ResumenFile& still = aliasMoves ? resumen() : resumenAlias();
    ResumenRecord& stillBuffer = aliasMoves ? RES : RESA;
    ResumenFile& moving = aliasMoves ? resumenAlias() : resumen();
    ResumenRecord& movingBuffer = aliasMoves ? RESA : RES;
    still.clearToLowest();
    still.set(ResumenFile::indnom);
    EXPECT_EQ(still.next(), vc::files::FileError::none);  // A
    EXPECT_EQ(still.next(), vc::files::FileError::none);  // B 0
    const std::string held = text(stillBuffer);
    // The purge's look-ahead over one name.
    moving.clearToLowest();
    movingBuffer.NOMBRE = "B";
    moving.set(ResumenFile::indnom);
    int count = 0;
    while (!moving.eof()) {
      EXPECT_EQ(moving.next(), vc::files::FileError::none);
      if (!(movingBuffer.NOMBRE == "B")) break;
      ++count;
    }
    EXPECT_EQ(count, 2);
    moving.set(ResumenFile::indmod);
    EXPECT_EQ(text(stillBuffer), held);
    EXPECT_EQ(still.next(), vc::files::FileError::none);
    EXPECT_EQ(text(stillBuffer), "M/B/1/LONG");
    EXPECT_EQ(still.next(), vc::files::FileError::none);
    EXPECT_EQ(text(stillBuffer), "M/C/0/LONG");
    EXPECT_TRUE(still.eof());
  }
}

TEST_F(ResumenTest, RecordsCountsOnlyTheRowsLeft) {
  addAll({{"M", "A", 0}, {"M", "B", 0}, {"M", "C", 0}, {"M", "D", 0}});
  EXPECT_EQ(resumen().records(), 4u);
  resumen().clearToLowest();
  resumen().set(ResumenFile::indmod);
  EXPECT_EQ(resumen().next(), vc::files::FileError::none);
  EXPECT_EQ(resumen().deleteCurrent(), vc::files::FileError::none);
  EXPECT_EQ(resumen().next(), vc::files::FileError::none);
  EXPECT_EQ(resumen().next(), vc::files::FileError::none);
  EXPECT_EQ(resumen().deleteCurrent(), vc::files::FileError::none);
  EXPECT_EQ(resumen().records(), 2u);
  resumen().set(ResumenFile::indmod);  // the position plays no part
  EXPECT_EQ(resumen().records(), 2u);
}

TEST_F(ResumenTest, KeepsEveryFieldAsStored) {
  RES.MODULO = "MOD1";
  RES.NOMBRE = "GLO:X";
  RES.TIPO = std::string("LONG\0x", 6);
  RES.MODO = "EXTERNAL,DLL(_ABC_)";
  RES.EXTERNAL = 1;
  RES.DIFERENTE = 7;
  EXPECT_EQ(resumen().add(), vc::files::FileError::none);
  ResumenRecord stored = RES;
  clear(RES);
  resumen().clearToLowest();
  resumen().set(ResumenFile::indmod);
  EXPECT_EQ(resumen().next(), vc::files::FileError::none);
  EXPECT_EQ(std::memcmp(&RES, &stored, sizeof RES), 0);
}

TEST_F(ResumenTest, RemoveOfAMissingFileFailsAndTheNextOpenCreatesIt) {
  resumenRelation->close();
  EXPECT_TRUE(resumen().remove().ok());
  EXPECT_FALSE(std::filesystem::exists("resumen.dat"));
  EXPECT_FALSE(std::filesystem::exists("resumen.dat-wal"));
  EXPECT_EQ(resumen().remove().error, FileError::fileNotFound);
  EXPECT_EQ(openThrough(resumenRelation), "opened");
  EXPECT_TRUE(std::filesystem::exists("resumen.dat"));
  EXPECT_EQ(resumen().records(), 0u);
  EXPECT_TRUE(presenter.shown.empty());
}

TEST_F(ResumenTest, AnAnalysisAfterAPurgeStartsEmpty) {
  addAll({{"M", "A", 0}, {"M", "B", 0}});
  resumenRelation->close();
  ASSERT_TRUE(resumen().remove().ok());
  ASSERT_EQ(openThrough(resumenRelation), "opened");
  EXPECT_EQ(resumen().records(), 0u);
}

TEST_F(ResumenTest, RemoveIsRefusedWhileAnotherDeclarationHasTheFileOpen) {
  addAll({{"M", "A", 0}});
  ASSERT_EQ(openThrough(resumenAliasRelation), "opened");
  resumenRelation->close();
  EXPECT_EQ(resumen().remove().error, FileError::accessDenied);
  EXPECT_TRUE(std::filesystem::exists("resumen.dat"));
  resumenAliasRelation->close();
  EXPECT_TRUE(resumen().remove().ok());
}

TEST_F(ResumenTest, ClosingAStreamKeepsItsRows) {
  EXPECT_TRUE(resumen().stream().ok());
  add({"M", "A", 0});
  resumenRelation->close();
  ASSERT_EQ(openThrough(resumenRelation), "opened");
  EXPECT_EQ(resumen().records(), 1u);
}

}  // namespace
}  // namespace vc::store
