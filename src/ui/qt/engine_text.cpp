// Windows-1252 decoding and encoding for the panel, with file paths told apart.
#include "ui/qt/engine_text.h"

#include <QDir>
#include <QFile>
#include <array>

#include "platform/code_page.h"

namespace brimsel::qt {

QString DecodeCp1252(const char* text) {
  QString decoded;
  if (text == nullptr) return decoded;
  for (const char* p = text; *p != '\0'; ++p) {
    const char32_t code = Cp1252ToCodePoint(static_cast<unsigned char>(*p));
    decoded.append(QChar(static_cast<char16_t>(code)));  // every Windows-1252 code point is BMP
  }
  return decoded;
}

std::string EncodeCp1252(const QString& text) {
  static const std::array<char16_t, 256> kCodePoints = [] {
    std::array<char16_t, 256> table{};
    for (int byte = 0; byte < 256; ++byte) {
      table[byte] = static_cast<char16_t>(Cp1252ToCodePoint(static_cast<unsigned char>(byte)));
    }
    return table;
  }();
  std::string encoded;
  encoded.reserve(text.size());
  for (QChar ch : text) {
    char byte = '?';
    for (int candidate = 1; candidate < 256; ++candidate) {
      if (kCodePoints[candidate] == ch.unicode()) {
        byte = static_cast<char>(candidate);
        break;
      }
    }
    encoded.push_back(byte);
  }
  return encoded;
}

QString DecodeEngineText(const char* text) {
  if (text == nullptr) return {};
  if (QDir::isAbsolutePath(QString::fromLatin1(text))) return QFile::decodeName(text);
  return DecodeCp1252(text);
}

}  // namespace brimsel::qt
