// The notice of the "?" button: its caption and its unscrambled text.
#pragma once

#include <string>

namespace brimsel::qt {

inline constexpr const char* kNoticeCaption = "Brimsel " BRIMSEL_VERSION;

// The stored notice block unscrambled, cut at its terminator: Windows-1252 text of at most 448
// characters, since the block's last byte is always replaced by the terminator.
std::string NoticeText();

}  // namespace brimsel::qt
