// The buffered table-file writer.
#include "export/table_file.h"

#include <algorithm>

#include <cstring>

namespace brimsel {

TableFile::~TableFile() = default;

bool TableFile::Open(const char* path, std::string* cause) {
  // Unbuffered: a second buffer would only delay errors; ours is large enough. The line ends
  // are translated here, the same on every platform.
  std::unique_ptr<FileSink> file = FileSink::Create(path, cause, true);
  if (!file) {
    if (sink_) Close();
    return false;
  }
  Open(std::move(file));
  return true;
}

void TableFile::Open(std::unique_ptr<ByteSink> sink) {
  if (sink_) Close();
  used_ = 0;
  bytes_ = 0;
  failed_ = false;
  sink_ = std::move(sink);
  if (!buffer_) buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
}

void TableFile::Flush() {
  if (used_ != 0 && !failed_ && sink_) {
    if (!sink_->Write(buffer_.get(), used_)) failed_ = true;
  }
  used_ = 0;
}

void TableFile::Raw(std::string_view text) {
  for (char c : text) {
    if (c == '\n') {
      EndRow();
    } else {
      PutByte(c);
    }
  }
}

void TableFile::Cell(const char* text) {
  if (text != nullptr) Cell(std::string_view(text));
}

void TableFile::Cell(std::string_view text) {
  if (text.find('\n') != std::string_view::npos) {
    // A line end inside a value: written as CR LF like every other.
    for (char c : text) {
      if (c == '\n') {
        EndRow();
      } else {
        PutByte(c == '\t' ? ' ' : c);
      }
    }
    return;
  }
  // Straight into the buffer, a tab becoming a space.
  while (!text.empty()) {
    if (used_ == kBufferSize) Flush();
    std::size_t n = std::min(text.size(), kBufferSize - used_);
    char* dest = buffer_.get() + used_;
    for (std::size_t i = 0; i < n; ++i) {
      char c = text[i];
      dest[i] = c == '\t' ? ' ' : c;
    }
    used_ += n;
    bytes_ += static_cast<std::int64_t>(n);
    text.remove_prefix(n);
  }
}

void TableFile::Number(std::int64_t n) { Take(WriteNumber(Place(20), n)); }

char* TableFile::WriteNumber(char* p, std::int64_t n) {
  if (n < 0) *p++ = '-';
  // The magnitude as unsigned, so that the most negative value has one too.
  std::uint64_t u =
      n < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
  if (u < 10) {
    *p++ = static_cast<char>('0' + u);  // the most frequent case: codes, sexes, zeros
    return p;
  }
  // Two digits per division, from the right.
  static constexpr char kDigitPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  // Powers of ten; the digit count comes from the bit length (1233 / 4096 is just above
  // log10(2)) and one comparison, and the digits are written from the right in their place.
  // clang-format off
  static constexpr std::uint64_t kPowersOfTen[20] = {
      1ull,           10ull,           100ull,           1000ull,           10000ull,
      100000ull,      1000000ull,      10000000ull,      100000000ull,      1000000000ull,
      10000000000ull, 100000000000ull, 1000000000000ull, 10000000000000ull, 100000000000000ull,
      1000000000000000ull,    10000000000000000ull,    100000000000000000ull,
      1000000000000000000ull, 10000000000000000000ull,
  };
  // clang-format on
  const int t = ((64 - __builtin_clzll(u)) * 1233) >> 12;
  const int digits = t + 1 - (u < kPowersOfTen[t] ? 1 : 0);
  char* const end = p + digits;
  char* q = end;
  while (u >= 100) {
    std::size_t i = static_cast<std::size_t>(u % 100) * 2;
    u /= 100;
    q -= 2;
    q[0] = kDigitPairs[i];
    q[1] = kDigitPairs[i + 1];
  }
  if (u >= 10) {
    std::size_t i = static_cast<std::size_t>(u) * 2;
    q[-2] = kDigitPairs[i];
    q[-1] = kDigitPairs[i + 1];
  } else {
    q[-1] = static_cast<char>('0' + u);
  }
  return end;
}
char* TableFile::WriteShortCell(char* p, const char* text, std::size_t max) {
  if (text == nullptr) return p;
  // The usual text holds none of the bytes that change or end it: copied at once.
  const std::size_t n = ::strnlen(text, max);
  if (std::memchr(text, '\n', n) == nullptr && std::memchr(text, '\t', n) == nullptr) {
    std::memcpy(p, text, n);
    return p + n;
  }
  for (std::size_t i = 0; i < max && text[i] != '\0'; ++i) {
    const char c = text[i];
    if (c == '\n') {
      *p++ = '\r';
      *p++ = '\n';
    } else {
      *p++ = c == '\t' ? ' ' : c;
    }
  }
  return p;
}

void TableFile::Formatted(std::string_view bytes) {
  bytes_ += static_cast<std::int64_t>(bytes.size());
  if (bytes.size() > kBufferSize - used_) Flush();
  if (bytes.size() <= kBufferSize - used_) {
    if (!bytes.empty()) std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
  } else if (!failed_ && sink_ && !sink_->Write(bytes.data(), bytes.size())) {
    failed_ = true;
  }
}

void TableFile::EndRow() {
  PutByte('\r');
  PutByte('\n');
}

bool TableFile::Close(std::string* cause) {
  if (!sink_) return false;
  Flush();
  if (!sink_->Close(cause)) failed_ = true;
  sink_.reset();
  return !failed_;
}

}  // namespace brimsel
