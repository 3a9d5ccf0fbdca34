// Helpers of the export tests: a fresh folder per test and whole-file reads.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace brimsel::test {

// A new empty folder under the system's temporary directory. Removed when the test passed,
// kept (and named in the output) when it failed, so that the tables can be looked at.
class TempDir {
 public:
  TempDir() {
    std::string modele =
        (std::filesystem::temp_directory_path() / "brimsel-export-XXXXXX").string();
    if (::mkdtemp(modele.data()) != nullptr) chemin_ = modele;
    EXPECT_FALSE(chemin_.empty()) << "cannot create a temporary folder";
  }
  ~TempDir() {
    if (chemin_.empty()) return;
    if (::testing::Test::HasFailure()) {
      std::cerr << "kept the test folder " << chemin_ << "\n";
      return;
    }
    std::error_code ignore;
    std::filesystem::remove_all(chemin_, ignore);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return chemin_; }
  std::string operator/(const std::string& nom) const { return chemin_ + "/" + nom; }

 private:
  std::string chemin_;
};

// The bytes of a file, or "<missing>" when it cannot be read.
inline std::string ReadBytes(const std::string& chemin) {
  std::ifstream in(chemin, std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& chemin, const std::string& octets) {
  std::ofstream out(chemin, std::ios::binary);
  out << octets;
}

}  // namespace brimsel::test
