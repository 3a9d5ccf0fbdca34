// Unscrambles the stored notice block.
#include "ui/qt/notice.h"

#include <array>

#include "ui/qt/notice_block.h"

namespace brimsel::qt {

std::string NoticeText() {
  std::array<char, kNoticeBlock.size()> buffer{};
  for (std::size_t i = 0; i < buffer.size(); ++i) {
    buffer[i] = static_cast<char>(kNoticeBlock[i] ^ kNoticeKey);
  }
  buffer.back() = '\0';
  return std::string(buffer.data());
}

}  // namespace brimsel::qt
