#include "platform/files/sqlite/row_inserter.hpp"

#include "platform/files/sqlite/table_schema.hpp"
#include "platform/text/ascii_case.hpp"

namespace vc::files::sqlite {

RowInserter::RowInserter(const TableSpec& layout, bool staging)
    : layout_(layout), staging_(staging) {
  const TableSchema schema(layout);
  for (std::size_t i = 0; i < layout.fields.size(); ++i) {
    const bool keyed = layout.fields[i].kind == FieldKind::text && schema.inSomeKey(i);
    keyed_.push_back(keyed);
    if (keyed) foldedBytes_ += layout.fields[i].length;
  }
  folded_.resize(foldedBytes_ * kRowsPerStatement);
}

int RowInserter::prepare(sqlite3* db) {
  const TableSchema schema(layout_);
  int rc = SQLITE_OK;
  one_ = Statement(db, schema.insertSql(staging_, 1), rc, /*persistent=*/true);
  if (one_)
    many_ = Statement(db, schema.insertSql(staging_, kRowsPerStatement), rc, /*persistent=*/true);
  if (!many_) one_ = {};
  return rc;
}

void RowInserter::release() {
  one_ = {};
  many_ = {};
}

// A text's own column holds it without its trailing blanks (the record pads them back on
// reading), so that a plain query compares it with a literal as the program shows it. It
// goes in as TEXT when its bytes are plain ASCII, which is valid UTF-8 and reads as a
// string in any client; bytes above 127 are Windows-1252, not UTF-8, so such a text goes
// in as a BLOB of those very bytes rather than as text a client would fail to decode.
void RowInserter::bindOwnText(sqlite3_stmt* st, int param, const unsigned char* text,
                              std::size_t length) {
  while (length > 0 && text[length - 1] == ' ') --length;
  bool ascii = true;
  for (std::size_t b = 0; b < length && ascii; ++b) ascii = text[b] != 0 && text[b] < 0x80;
  const auto n = static_cast<int>(length);
  if (ascii) {
    sqlite3_bind_text(st, param, reinterpret_cast<const char*>(text), n, SQLITE_STATIC);
  } else {
    sqlite3_bind_blob(st, param, text, n, SQLITE_STATIC);
  }
}

void RowInserter::bind(sqlite3_stmt* st, int& param, const unsigned char* record,
                       unsigned char*& folded) {
  unsigned char* copies = folded;
  for (std::size_t i = 0; i < layout_.fields.size(); ++i) {
    const FieldSpec& f = layout_.fields[i];
    const unsigned char* text = record + f.offset;
    if (f.kind == FieldKind::byte) {
      sqlite3_bind_int(st, param++, *text);
      continue;
    }
    bindOwnText(st, param++, text, f.length);
    if (!keyed_[i]) continue;
    for (std::size_t b = 0; b < f.length; ++b) folded[b] = text::foldAsciiCase(text[b]);
    folded += f.length;
  }
  // The keys' copies keep the full length: the key order counts trailing blanks.
  for (std::size_t i = 0; i < layout_.fields.size(); ++i) {
    if (!keyed_[i]) continue;
    const auto length = static_cast<int>(layout_.fields[i].length);
    sqlite3_bind_blob(st, param++, copies, length, SQLITE_STATIC);
    copies += length;
  }
}

int RowInserter::insert(const unsigned char* records, std::size_t count) {
  const std::size_t size = layout_.recordLength;
  while (count > 0) {
    const bool batch = count >= kRowsPerStatement;
    sqlite3_stmt* st = batch ? many_.get() : one_.get();
    const std::size_t rows = batch ? kRowsPerStatement : 1;
    int param = 1;
    unsigned char* folded = folded_.data();
    for (std::size_t r = 0; r < rows; ++r) bind(st, param, records + r * size, folded);
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc != SQLITE_DONE) return rc;
    records += rows * size;
    count -= rows;
  }
  return SQLITE_DONE;
}

}  // namespace vc::files::sqlite
