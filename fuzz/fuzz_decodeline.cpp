// Any text given to the line decoding: it never crashes, and what decodes encodes back to the
// same digits (upper case) whenever no padding is involved.
#include "store/Cp1252.h"
#include "store/LineCodec.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView input(data, qsizetype(size));
    const QString key = QString::fromLatin1(LineCodec::kApplicationTitle);
    const QString decoded = DecodeLine(Cp1252::toUnicode(input), key);

    QByteArray plain;
    if (!LineCodec::decodeBytes(input, LineCodec::kApplicationTitle, &plain)) {
        if (!decoded.isEmpty())
            std::abort(); // both forms must refuse the same input
        return 0;
    }
    if (decoded != Cp1252::toUnicode(plain))
        std::abort();
    if (size % 2 == 0 && plain.size() >= qsizetype(sizeof(LineCodec::kApplicationTitle)) - 1 &&
        LineCodec::encodeBytes(plain, LineCodec::kApplicationTitle) != input.toByteArray().toUpper())
        std::abort();
    return 0;
}
