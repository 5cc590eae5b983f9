#include "store/LineCodec.h"

#include "store/Cp1252.h"

#include <algorithm>
#include <array>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define ROAMLOG_SSE2_DECODE 1
#endif

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


// Decodes the groups from position i on, one at a time; k is the key position of group i / 2.
bool decodeTail(QByteArrayView encoded, qsizetype i, QByteArrayView key, qsizetype k, char* dst)
{
    const qsizetype n = encoded.size();
    const qsizetype keyLength = key.size();
    for (; i < n; i += 2) {
        int value = hexValue(encoded[i]);
        if (value < 0)
            return false;
        if (i + 1 < n) {
            const int low = hexValue(encoded[i + 1]);
            if (low < 0)
                return false;
            value = value * 16 + low;
        }
        *dst++ = static_cast<char>(value ^ static_cast<unsigned char>(key[k]));
        if (++k == keyLength)
            k = 0;
    }
    return true;
}

#ifdef ROAMLOG_SSE2_DECODE
// Nibble values of 16 hexadecimal digits; *valid is false when any byte is not a digit.
inline __m128i nibbles(__m128i digits, bool* valid)
{
    const __m128i lower = _mm_or_si128(digits, _mm_set1_epi8(0x20));
    // Bytes from 0x80 on compare as negative and fail both ranges.
    const __m128i isDigit = _mm_and_si128(_mm_cmpgt_epi8(digits, _mm_set1_epi8('0' - 1)),
                                          _mm_cmplt_epi8(digits, _mm_set1_epi8('9' + 1)));
    const __m128i isLetter = _mm_and_si128(_mm_cmpgt_epi8(lower, _mm_set1_epi8('a' - 1)),
                                           _mm_cmplt_epi8(lower, _mm_set1_epi8('f' + 1)));
    *valid = _mm_movemask_epi8(_mm_or_si128(isDigit, isLetter)) == 0xFFFF;
    const __m128i digitValue = _mm_and_si128(_mm_sub_epi8(digits, _mm_set1_epi8('0')), isDigit);
    const __m128i letterValue =
        _mm_and_si128(_mm_sub_epi8(lower, _mm_set1_epi8('a' - 10)), isLetter);
    return _mm_or_si128(digitValue, letterValue);
}

// Joins the nibble pairs of 16 digits into 8 bytes, one per 16-bit lane.
inline __m128i pairBytes(__m128i nibble)
{
    const __m128i joined = _mm_or_si128(_mm_slli_epi16(nibble, 4), _mm_srli_epi16(nibble, 8));
    return _mm_and_si128(joined, _mm_set1_epi16(0x00FF));
}
#endif

// Decodes the whole text into dst, (size + 1) / 2 bytes; false when a group is not hexadecimal.
bool decodeInto(QByteArrayView encoded, QByteArrayView key, char* dst)
{
    qsizetype i = 0;
    qsizetype k = 0;
#ifdef ROAMLOG_SSE2_DECODE
    // 32 digits at a time against the key repeated from the current key position.
    constexpr qsizetype kBlock = 16;
    const qsizetype keyLength = key.size();
    std::array<char, 64 + kBlock> repeated{};
    if (keyLength > 0 && keyLength <= 64 && encoded.size() >= 2 * kBlock) {
        for (qsizetype j = 0; j < keyLength + kBlock; ++j)
            repeated[size_t(j)] = key[j % keyLength];
        const char* src = encoded.data();
        const qsizetype step = kBlock % keyLength; // no division in the loop
        bool validLow = true;
        bool validHigh = true;
        for (; i + 2 * kBlock <= encoded.size(); i += 2 * kBlock) {
            const __m128i low = nibbles(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)), &validLow);
            const __m128i high = nibbles(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + kBlock)), &validHigh);
            if (!validLow || !validHigh)
                return false;
            const __m128i bytes = _mm_packus_epi16(pairBytes(low), pairBytes(high));
            const __m128i keyBytes =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(repeated.data() + k));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_xor_si128(bytes, keyBytes));
            dst += kBlock;
            k += step;
            if (k >= keyLength)
                k -= keyLength;
        }
    }
#endif
    return decodeTail(encoded, i, key, k, dst);
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
    const qsizetype size = (encoded.size() + 1) / 2;
    // Exactly sized when it has to grow: a decoded line usually becomes a record's own
    // buffer, and resize() would round its capacity up.
    if (out->capacity() < size)
        *out = QByteArray(size, Qt::Uninitialized);
    else
        out->resize(size);
    if (!decodeInto(encoded, key, out->data())) {
        out->clear();
        return false;
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
