#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace pairsift {

// The Mac Roman Latin-1 text encoding of names and length-prefixed strings: a one-to-one map between
// the 256 byte values and the 256 characters U+0000 to U+00FF. Bytes below 0x80 are ASCII. A byte whose
// Mac Roman character is in that range keeps it (0x8E is "é", 0xA7 "ß", 0xCA the no-break space); the
// 48 bytes whose Mac Roman character lies beyond it (0xA0 "†", 0xDB "€", 0xF0 …) take the 48 characters
// of U+0080 to U+00FF that Mac Roman lacks, in ascending order. The encoder composes the text first
// (NFC) and refuses any character above U+00FF; the decoder accepts every byte.
std::optional<QByteArray> encodeMacRomanLatin1(const QString& text);
QString decodeMacRomanLatin1(const QByteArray& bytes);

// Length-prefixed strings: one length byte, then at most 255 bytes in the encoding above.
// Decodes the string at `pascal`; null for a null pointer.
QString stringWithPascalString(const unsigned char* pascal);
// Encodes into `buffer` of `length` bytes; false when it cannot be encoded or does not fit.
bool getPascalString(const QString& text, unsigned char* buffer, qint16 length);
// Encodes into a 256-byte buffer; null when it cannot be encoded or is longer than 255 bytes.
QByteArray pascalString(const QString& text);

// A copy without leading and trailing white space; the receiver is left as it is.
QString trimWhitespace(const QString& text);

} // namespace pairsift
