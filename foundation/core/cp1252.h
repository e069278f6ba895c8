#pragma once
#include <QByteArray>
#include <QString>

// Windows-1252, the encoding of every file the program reads or writes.
// Bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D have no character of their own and map
// to the code point of the same number, so any byte sequence survives a round trip.
namespace cp1252 {

QString decode(const QByteArray& bytes);
// Characters outside the code page are written as "?".
QByteArray encode(const QString& text);

QChar toUnicode(unsigned char byte);
// Returns false when the character has no byte in the code page.
bool fromUnicode(QChar ch, unsigned char& byte);

} // namespace cp1252
