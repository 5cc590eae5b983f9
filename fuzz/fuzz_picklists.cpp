// Any bytes as the content of "combos.ini": the parse never crashes, every country keeps its
// telephone code, so the two lists stay in step, and no item holds a CR or an LF (each ends a
// line).
#include "store/PickLists.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const PickLists lists = parsePickLists(QByteArrayView(data, qsizetype(size)));
    if (lists.telephoneCodes.size() != lists.lists[0].size())
        std::abort();
    for (const QStringList& list : lists.lists) {
        for (const QString& item : list) {
            if (item.contains(QLatin1Char('\r')) || item.contains(QLatin1Char('\n')))
                std::abort();
        }
    }
    return 0;
}
