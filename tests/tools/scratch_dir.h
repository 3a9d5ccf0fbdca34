// Test helpers of the text utilities: a fresh folder per test, whole-file reads and writes, and
// the error boxes of a failed output.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/fake_dialog.h"

namespace brimsel::test {

// A new empty folder under the temporary directory, removed with everything in it at the end.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "brimsel-tools-XXXXXX");
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline bool Exists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

// The two boxes of a tool run twice: the first output could not be opened, the second could not
// be written.
inline void ExpectOpenThenWriteErrorBoxes(const FakeDialog& dialog, const std::string& first,
                                          const std::string& second) {
  ASSERT_EQ(dialog.boxes.size(), 2u);
  EXPECT_EQ(dialog.boxes[0].text, first);
  EXPECT_EQ(dialog.boxes[0].caption, "Erreur ouverture");
  EXPECT_EQ(dialog.boxes[0].icon, MessageIcon::kError);
  EXPECT_EQ(dialog.boxes[1].text, second);
  EXPECT_EQ(dialog.boxes[1].caption,
            "Erreur \xE9"
            "criture");
  EXPECT_EQ(dialog.boxes[1].icon, MessageIcon::kError);
}

}  // namespace brimsel::test
