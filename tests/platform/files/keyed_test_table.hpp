// A small record and key for the keyed-table driver's tests and their peer process.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/files/record_layout.hpp"

namespace vc::files::testing {

struct TestRow {
  char NAME[8];
  std::uint8_t FLAG;
  char INFO[4];

  void set(const std::string& name, int flag, const std::string& info = "") {
    std::memset(NAME, ' ', sizeof NAME);
    std::memcpy(NAME, name.data(), std::min(name.size(), sizeof NAME));
    FLAG = static_cast<std::uint8_t>(flag);
    std::memset(INFO, ' ', sizeof INFO);
    std::memcpy(INFO, info.data(), std::min(info.size(), sizeof INFO));
  }
  std::string name() const {
    std::string n(NAME, sizeof NAME);
    return n.substr(0, n.find_last_not_of(' ') + 1);
  }
};

inline const TableSpec& testSpec() {
  static const TableSpec layout{"rows",
                                sizeof(TestRow),
                                {{"NAME", 0, 8, FieldKind::text},
                                 {"FLAG", 8, 1, FieldKind::byte},
                                 {"INFO", 9, 4, FieldKind::text}},
                                {{"byname", {0, 1}}, {"byflag", {1, 0}}}};
  return layout;
}

inline constexpr const char* kTestFile = "rows.dat";

}  // namespace vc::files::testing
