#include "store/file_access.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/os/fault_injecting_os.hpp"
#include "store_fixture.hpp"

namespace vc::store {
namespace {

using vc::files::FaultInjectingOs;
using vc::testing::kFatalEnd;
using vc::testing::TempFolder;

std::vector<void*> publicReferences() {
  return {archivo1Access, archivo1Relation, archivo2Access,     archivo2Relation,
          resumenAccess,  resumenRelation,  resumenAliasAccess, resumenAliasRelation};
}

std::vector<std::string> readLines(vc::files::TextFile& file, SourceLineRecord& record) {
  std::vector<std::string> lines;
  file.set(1);
  while (!file.eof()) {
    EXPECT_EQ(file.next(), vc::files::FileError::none);
    lines.emplace_back(record.DATO.clipped());
  }
  return lines;
}

using FileAccessTest = StoreTest;

TEST_F(FileAccessTest, ReferencesAreSetBetweenOpenAndCloseOfFileAccess) {
  for (void* r : publicReferences()) EXPECT_NE(r, nullptr);
  closeFileAccess();
  for (void* r : publicReferences()) EXPECT_EQ(r, nullptr);
  newFileAccessObjects();
  EXPECT_NE(archivo1Relation, nullptr);
  EXPECT_NE(resumenAliasRelation, nullptr);
  EXPECT_EQ(archivo1Access, nullptr);  // set only by prepare
  EXPECT_EQ(resumenAliasAccess, nullptr);
  prepareFileAccessObjects();
  for (void* r : publicReferences()) EXPECT_NE(r, nullptr);
}

TEST_F(FileAccessTest, PreparesAndSetsUpEachFilesSpecifics) {
  EXPECT_EQ(archivo1Access->fileNameValue, "archivo1");
  EXPECT_EQ(resumenAliasAccess->fileNameValue, "resumenAlias");
  EXPECT_EQ(resumenAliasAccess->aliasedFile, resumenAccess);
  EXPECT_EQ(resumenAliasRelation->aliasFile, resumenRelation);
  EXPECT_EQ(resumenAccess->buffer.length, 122u);
  EXPECT_EQ(archivo2Access->buffer.length, 200u);
  EXPECT_EQ(resumenAccess->initialized, 0);
  EXPECT_EQ(resumenAccess->lazyOpen, 1);

  ASSERT_EQ(openThrough(resumenRelation), "opened");
  ASSERT_EQ(openThrough(resumenAliasRelation), "opened");
  EXPECT_EQ(resumenAccess->initialized, 1);
  EXPECT_EQ(resumenAccess->fileNameValue, "resumen.dat");
  EXPECT_EQ(resumenAccess->create, 1);
  EXPECT_EQ(resumenAccess->lockRecover, 10);
  EXPECT_EQ(resumenAccess->openMode, 0x42);
  std::vector<std::string> keys;
  for (auto* access : {resumenAccess, resumenAliasAccess}) {
    for (const auto& k : access->keys()) keys.push_back(k.description);
  }
  EXPECT_EQ(keys,
            (std::vector<std::string>{"RES:indmod", "RES:indnom", "RESA:indmod", "RESA:indnom"}));
}

TEST_F(FileAccessTest, AttachingClearsTheBuffers) {
  AR1.DATO = "old line";
  RES.NOMBRE = "X";
  RES.EXTERNAL = 1;
  RESA.DIFERENTE = 1;
  closeFileAccess();
  detachThreadFiles();
  attachThreadFiles();
  EXPECT_TRUE(AR1.DATO.isBlank());
  EXPECT_TRUE(RES.NOMBRE.isBlank());
  EXPECT_EQ(RES.EXTERNAL, 0);
  EXPECT_EQ(RESA.DIFERENTE, 0);
  openFileAccess();
}

TEST_F(FileAccessTest, AMissingSourceIsCreatedEmptyAndReadsNoLine) {
  vc::globals::NOMBREARCHIVO2 = "MOD9.CLW";
  EXPECT_EQ(openThrough(archivo2Relation), "opened");
  EXPECT_TRUE(std::filesystem::exists("MOD9.CLW"));
  EXPECT_EQ(std::filesystem::file_size("MOD9.CLW"), 0u);
  EXPECT_TRUE(readLines(archivo2(), AR2).empty());
  EXPECT_TRUE(presenter.shown.empty());
}

TEST_F(FileAccessTest, ASourceIsFoundWhateverTheCaseOfItsName) {
  TempFolder::write("Mod1.clw", "  X LONG\r\n");
  vc::globals::NOMBREARCHIVO2 = ".\\MOD1.CLW";
  EXPECT_EQ(openThrough(archivo2Relation), "opened");
  EXPECT_EQ(readLines(archivo2(), AR2), std::vector<std::string>{"  X LONG"});
  EXPECT_FALSE(std::filesystem::exists("MOD1.CLW") &&
               !std::filesystem::equivalent("MOD1.CLW", "Mod1.clw"));
}

struct FatalCase {
  const char* name;
  std::string variable;
  std::string message;
};

TEST_F(FileAccessTest, UnusableNamesEndTheProgram) {
  const FatalCase cases[] = {
      {"a blank name", "",
       "File Access Error: File  could not be opened.  Error: Invalid Filename (45)." + kFatalEnd},
      {"a missing folder", "nowhere\\MOD1.CLW",
       "File Access Error: File nowhere\\MOD1.CLW could not be opened.  Error: Path Not Found "
       "(3)." +
           kFatalEnd},
  };
  for (const FatalCase& c : cases) {
    SCOPED_TRACE(c.name);
    presenter.shown.clear();
    vc::globals::NOMBREARCHIVO1 = c.variable;
    EXPECT_EQ(openThrough(archivo1Relation), "halted");
    EXPECT_EQ(presenter.transcript(), std::vector<std::string>{c.message});
    EXPECT_EQ(archivo1Access->used, 0);
    archivo1Relation->close();
  }
  EXPECT_FALSE(std::filesystem::exists("nowhere"));
}

TEST_F(FileAccessTest, AReadOnlySourceIsReadAfterOneNoticePerFile) {
  FaultInjectingOs faults;
  vc::files::ScopedOs seam(faults);
  faults.makeReadOnly("MAIN.CLW");
  TempFolder::write("MAIN.CLW", "PROGRAM\r\nMAP\r\n");
  vc::globals::NOMBREARCHIVO1 = "MAIN.CLW";
  vc::globals::NOMBREARCHIVO2 = "MAIN.CLW";
  const std::string notice =
      "Access Denied: Could not get write access to MAIN.CLW so trying read-only.";
  EXPECT_EQ(openThrough(archivo1Relation), "opened");
  EXPECT_EQ(openThrough(archivo2Relation), "opened");
  EXPECT_EQ(presenter.transcript(), (std::vector<std::string>{notice, notice}));
  EXPECT_EQ(readLines(archivo1(), AR1), (std::vector<std::string>{"PROGRAM", "MAP"}));
  EXPECT_EQ(archivo2Access->openMode, 0x40);

  // Later opens on this thread are read-only from the start, without a notice.
  const int refusedBefore = faults.calls(FaultInjectingOs::Call::openReadWrite, "MAIN.CLW");
  archivo2Relation->close();
  TempFolder::write("MOD1.CLW", "");
  vc::globals::NOMBREARCHIVO2 = "MOD1.CLW";
  EXPECT_EQ(openThrough(archivo2Relation), "opened");
  EXPECT_EQ(faults.calls(FaultInjectingOs::Call::openReadWrite, "MOD1.CLW"), 0);
  EXPECT_EQ(faults.calls(FaultInjectingOs::Call::openReadOnly, "MOD1.CLW"), 1);
  EXPECT_EQ(faults.calls(FaultInjectingOs::Call::openReadWrite, "MAIN.CLW"), refusedBefore);
  EXPECT_EQ(presenter.shown.size(), 2u);
}

TEST_F(FileAccessTest, NestedOpensAreCountedAndTheNameCountsFromTheNextOpen) {
  TempFolder::write("A.CLW", "from A\r\n");
  TempFolder::write("B.CLW", "from B\r\n");
  vc::globals::NOMBREARCHIVO2 = "A.CLW";
  ASSERT_EQ(openThrough(archivo2Relation), "opened");
  vc::globals::NOMBREARCHIVO2 = "B.CLW";
  ASSERT_EQ(openThrough(archivo2Relation), "opened");
  EXPECT_EQ(archivo2Access->opened, 2);
  EXPECT_EQ(readLines(archivo2(), AR2), std::vector<std::string>{"from A"});
  archivo2Relation->close();
  EXPECT_EQ(archivo2Access->used, 1);
  EXPECT_EQ(readLines(archivo2(), AR2), std::vector<std::string>{"from A"});
  archivo2Relation->close();
  EXPECT_EQ(archivo2Access->used, 0);
  ASSERT_EQ(openThrough(archivo2Relation), "opened");
  EXPECT_EQ(readLines(archivo2(), AR2), std::vector<std::string>{"from B"});
}

TEST_F(FileAccessTest, CloseWithoutOpenChangesNothing) {
  resumenRelation->close();
  EXPECT_EQ(resumenAccess->opened, 0);
  ASSERT_EQ(openThrough(resumenRelation), "opened");
  ASSERT_EQ(openThrough(resumenRelation), "opened");
  ASSERT_EQ(openThrough(resumenRelation), "opened");
  resumenRelation->close();
  resumenRelation->close();
  EXPECT_TRUE(resumen().isOpen());
  resumenRelation->close();
  EXPECT_FALSE(resumen().isOpen());
  resumenRelation->close();
  EXPECT_EQ(resumenAccess->opened, 0);
}

TEST_F(FileAccessTest, ReleaseClosesFilesLeftOpen) {
  ASSERT_EQ(openThrough(resumenRelation), "opened");
  closeFileAccess();
  EXPECT_FALSE(resumen().isOpen());
  openFileAccess();
}

TEST_F(FileAccessTest, ARefusedCreationEndsTheProgram) {
  FaultInjectingOs faults;
  vc::files::ScopedOs seam(faults);
  faults.refuse(FaultInjectingOs::Call::create, "resumen.dat", vc::files::FileError::accessDenied);
  EXPECT_EQ(openThrough(resumenRelation), "halted");
  EXPECT_EQ(
      presenter.transcript(),
      std::vector<std::string>{
          "File Creation Error: Error: (Access Denied (5)) creating resumen.dat." + kFatalEnd});
}

TEST_F(FileAccessTest, AResultsFileOfGarbageEndsTheProgram) {
  TempFolder::write("resumen.dat", std::string(4096, 'G'));
  EXPECT_EQ(openThrough(resumenRelation), "halted");
  EXPECT_EQ(presenter.transcript(),
            std::vector<std::string>{"Invalid File: resumen.dat has an invalid file "
                                     "structure.|Error: 26 - file is not a database|" +
                                     kFatalEnd});
}

}  // namespace
}  // namespace vc::store
