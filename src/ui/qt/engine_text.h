// Texts crossing the dialog services: Windows-1252 bytes to QString and back.
#pragma once

#include <QString>
#include <string>

namespace brimsel::qt {

// Decodes Windows-1252 bytes up to the terminator, all 256 values (0x80-0x9F included, which
// are not Latin-1). A null text decodes to an empty string.
QString DecodeCp1252(const char* text);

// Encodes to Windows-1252; a character the code page lacks becomes '?'.
std::string EncodeCp1252(const QString& text);

// Decodes a text that an operation hands to the panel. The operations pass file paths on as
// they got them, in the platform's file-name encoding, inside texts that are otherwise
// Windows-1252: a text that is an absolute path is decoded as a file name, anything else as
// Windows-1252.
QString DecodeEngineText(const char* text);

}  // namespace brimsel::qt
