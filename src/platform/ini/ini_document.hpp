// One INI file held in memory as its bytes, so that a key can be read, written or removed
// while every other line keeps its bytes and its place.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vc::ini {

/// The lines of an INI file. A section starts at a line "[name]"; a key is a line
/// "name=value" inside a section. Section and key names match without regard to ASCII
/// case and to surrounding blanks; a value is read without its surrounding blanks; lines
/// starting with ";" are comments. Only the first section of a name is looked at.
class IniDocument {
 public:
  /// The document held in the file at path; an empty document when the file is missing or
  /// cannot be read (the usual state before the first write). The file is read and parsed
  /// again only when it changed since the last load or save of that path (IniCache).
  static IniDocument load(const std::filesystem::path& path);
  /// As load, but nothing when something is at path that cannot be read: a write must
  /// then leave it alone rather than replace what it could not see.
  static std::optional<IniDocument> loadForUpdate(const std::filesystem::path& path);
  /// As load, without a copy: the document is shared with the cache. Never null.
  static std::shared_ptr<const IniDocument> shared(const std::filesystem::path& path);
  /// The file at path read now, without the cache.
  static std::optional<IniDocument> read(const std::filesystem::path& path);
  static IniDocument parse(std::string_view bytes);
  static IniDocument parse(std::string&& bytes);

  /// The value of key in section, or nothing when either is absent.
  std::optional<std::string> value(std::string_view section, std::string_view key) const;

  /// Gives key in section the value, trailing blanks removed: the first line of the key is
  /// replaced, a missing key is added after the section's last entry, a missing section is
  /// added at the end. A name or value that cannot stand on one line and read back as
  /// written (an empty key, a key holding "=", a section holding "]", a line break
  /// anywhere) is refused: the answer is false and nothing changes.
  bool set(std::string_view section, std::string_view key, std::string_view value);

  /// Removes every line of key from section; nothing when there is none.
  void remove(std::string_view section, std::string_view key);

  /// The file's bytes: kept lines as they were read, new lines ended like the file's first.
  std::string bytes() const;

  /// Writes the document to a new file beside path and then puts it in place of path, so
  /// that a failure leaves the old file whole; through a symbolic link, the file it points
  /// at. The new file takes the old one's owner, group and mode; where they cannot be
  /// given to it (another user's file that this user may write), the old file is written
  /// where it is instead. The answer is false when path names a folder, an existing file
  /// that cannot be written, or a place where no file can be made.
  bool save(const std::filesystem::path& path) const;

 private:
  /// One line of bytes_: where its text begins and ends (without the line end), and
  /// where the next line begins.
  struct Line {
    std::size_t begin;
    std::size_t end;
    std::size_t next;
  };
  /// A section: where its "[name]" line begins, and where the section ends.
  struct Section {
    std::size_t header;
    std::size_t end;
  };

  std::string_view textOf(const Line& line) const;
  Line lineAt(std::size_t begin) const;
  void indexSections();
  std::optional<Section> findSection(std::string_view section) const;
  void ensureFinalLineEnd();

  // The file's bytes as they are, edits made in place; and the sections found in them,
  // so that memory stays within a small multiple of the file's size.
  std::string bytes_;
  std::vector<Section> sections_;
  std::string newline_ = "\r\n";
};

}  // namespace vc::ini
