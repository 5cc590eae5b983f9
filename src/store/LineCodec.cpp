#include "store/LineCodec.h"

#include "store/Cp1252.h"

#include <algorithm>
#include <array>

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

constexpr std::array<signed char, 256> makeHexValues()
{
    std::array<signed char, 256> values{};
    for (auto& v : values)
        v = -1;
    for (int i = 0; i < 10; ++i)
        values['0' + i] = static_cast<signed char>(i);
    for (int i = 0; i < 6; ++i) {
        values['A' + i] = static_cast<signed char>(10 + i);
        values['a' + i] = static_cast<signed char>(10 + i);
    }
    return values;
}

constexpr std::array<signed char, 256> kHexValues = makeHexValues();

int hexValue(char c)
{
    return kHexValues[static_cast<unsigned char>(c)];
}

} // namespace

namespace LineCodec {

void appendEncoded(QByteArray& out, QByteArrayView plain, QByteArrayView key)
{
    const qsizetype keyLength = key.size();
    QByteArray padded;
    QByteArrayView text = plain;
    if (keyLength > plain.size()) {
        padded = plain.toByteArray();
        padded.append('.');
        const qsizetype fill = keyLength - plain.size() - 1;
        const qsizetype titleLength = qsizetype(sizeof(kApplicationTitle)) - 1;
        padded.append(kApplicationTitle, std::min(fill, titleLength));
        text = padded;
    }

    const qsizetype start = out.size();
    out.resize(start + text.size() * 2);
    char* dst = out.data() + start;
    qsizetype k = 0;
    for (const char c : text) {
        const auto v = static_cast<unsigned char>(c ^ key[k]);
        *dst++ = kHexDigits[v >> 4];
        *dst++ = kHexDigits[v & 0x0F];
        if (++k == keyLength)
            k = 0;
    }
}

QByteArray encodeBytes(QByteArrayView plain, QByteArrayView key)
{
    QByteArray out;
    out.reserve(std::max(plain.size(), key.size()) * 2);
    appendEncoded(out, plain, key);
    return out;
}

bool decodeBytes(QByteArrayView encoded, QByteArrayView key, QByteArray* out)
{
    const qsizetype keyLength = key.size();
    out->resize((encoded.size() + 1) / 2);
    char* dst = out->data();
    qsizetype k = 0;
    const qsizetype n = encoded.size();
    for (qsizetype i = 0; i < n; i += 2) {
        int value = hexValue(encoded[i]);
        if (value < 0) {
            out->clear();
            return false;
        }
        if (i + 1 < n) {
            const int low = hexValue(encoded[i + 1]);
            if (low < 0) {
                out->clear();
                return false;
            }
            value = value * 16 + low;
        }
        *dst++ = static_cast<char>(value ^ static_cast<unsigned char>(key[k]));
        if (++k == keyLength)
            k = 0;
    }
    return true;
}

} // namespace LineCodec

QString EncodeLine(const QString& text, const QString& key)
{
    const QByteArray keyBytes = Cp1252::fromUnicode(key);
    return QString::fromLatin1(LineCodec::encodeBytes(Cp1252::fromUnicode(text), keyBytes));
}

QString DecodeLine(const QString& encoded, const QString& key)
{
    bool encodable = false;
    const QByteArray bytes = Cp1252::fromUnicode(encoded, &encodable);
    QByteArray plain;
    if (!encodable || !LineCodec::decodeBytes(bytes, Cp1252::fromUnicode(key), &plain))
        return {};
    return Cp1252::toUnicode(plain);
}
