// A fresh folder per test, and whole-file reads and writes.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace brimsel::test {

// A new empty folder under the temporary directory. Removed when the test passed, kept (and
// named in the output) when it failed, so that its files can be looked at.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "brimsel-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    EXPECT_FALSE(path_.empty()) << "cannot create a temporary folder";
  }
  ~TempDir() {
    if (path_.empty()) return;
    if (::testing::Test::HasFailure()) {
      std::cerr << "kept the test folder " << path_ << "\n";
      return;
    }
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// The bytes of a file, or "<missing>" when it cannot be read.
inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Copies the file `from` to `dir`/`to`, making the folders on the way; returns the copy's path.
inline std::string CopyInto(const TempDir& dir, const std::string& from, const std::string& to) {
  const std::string target = dir / to;
  std::filesystem::create_directories(std::filesystem::path(target).parent_path());
  std::filesystem::copy_file(from, target, std::filesystem::copy_options::overwrite_existing);
  return target;
}

inline bool Exists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

}  // namespace brimsel::test
