#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The reversible encoding of every stored text: each byte is combined with a byte of a
// repeating key by exclusive or and written as two upper-case hexadecimal digits. A text
// shorter than the key is first padded with "." and the start of the application title.
namespace LineCodec {

// The key of every use and the text whose start pads short texts.
inline constexpr char kApplicationTitle[] = "Roamlog";

// Longest text whose encoding round-trips: the decoder keeps positions in 16-bit integers.
inline constexpr int kMaxEncodableLength = 16383;

// Byte-level forms: plain bytes to hex digits, and back. decodeBytes returns false (and
// leaves *out empty) when a group is not a hexadecimal number.
QByteArray encodeBytes(QByteArrayView plain, QByteArrayView key);
// Appends the encoding of plain to out, so that a whole file can be built in one buffer.
void appendEncoded(QByteArray& out, QByteArrayView plain, QByteArrayView key);
bool decodeBytes(QByteArrayView encoded, QByteArrayView key, QByteArray* out);

} // namespace LineCodec

// Text forms, on the Windows-1252 bytes of the text.
QString EncodeLine(const QString& text, const QString& key);
QString DecodeLine(const QString& encoded, const QString& key);
