#include "store/Cp1252.h"

#include <array>

namespace {

// Unicode values of the bytes 0x80 to 0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

namespace Cp1252 {

QString toUnicode(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t* dst = reinterpret_cast<char16_t*>(out.data());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *dst++ = (b >= 0x80 && b < 0xA0) ? kHighControls[b - 0x80] : char16_t(b);
    }
    return out;
}

int byteFor(char16_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return ch;
    for (int i = 0; i < int(kHighControls.size()); ++i) {
        if (kHighControls[i] == ch)
            return 0x80 + i;
    }
    return -1;
}

bool canEncode(QStringView text)
{
    for (const QChar ch : text) {
        if (!canEncode(ch))
            return false;
    }
    return true;
}

QByteArray fromUnicode(QStringView text, bool* ok)
{
    // Written straight into its buffer: a call to append for each byte costs more than the
    // encoding itself, and the server encodes every line of every page it shows.
    QByteArray out(text.size(), Qt::Uninitialized);
    char* next = out.data();
    bool all = true;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        const int b = c < 0x80 || (c >= 0xA0 && c <= 0xFF) ? c : byteFor(c); // the same byte, mostly
        if (b < 0)
            all = false;
        else
            *next++ = char(b);
    }
    out.truncate(next - out.constData());
    if (ok)
        *ok = all;
    return out;
}

QString filtered(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        if (canEncode(ch))
            out.append(ch);
    }
    return out;
}

} // namespace Cp1252
