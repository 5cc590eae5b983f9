#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Windows-1252, the 8-bit code page of every file and request the program reads or writes.
// The five codes that Windows-1252 leaves undefined (81, 8D, 8F, 90, 9D) map to the C1
// controls of the same value, as Windows itself does, so every byte string decodes and
// re-encodes to the same bytes.
namespace Cp1252 {

QString toUnicode(QByteArrayView bytes);

// The byte for a character, or -1 when Windows-1252 has no byte for it.
int byteFor(char16_t ch);

inline bool canEncode(QChar ch) { return byteFor(ch.unicode()) >= 0; }
bool canEncode(QStringView text);

// Encodes text; characters without a byte are left out and *ok (when given) is set to false.
QByteArray fromUnicode(QStringView text, bool* ok = nullptr);

// Removes the characters that Windows-1252 cannot hold.
QString filtered(QStringView text);

} // namespace Cp1252
