#include "ui/list/RecordSearchIndex.h"

#include "store/RecordColumns.h"
#include "store/RecordStore.h"
#include "store/TextFolding.h"

#include <chrono>

QString RecordSearchIndex::foldedText(const TravelRecord& record)
{
    QString text;
    for (int column = 0; column < RecordColumns::Count; ++column) {
        // The upload mark is never shown, so a search must not find a record by it.
        if (column == RecordColumns::UploadMark)
            continue;
        // A search word never holds a line break: it cannot span two columns.
        text += record.field(column);
        text += QLatin1Char('\n');
    }
    return TextFolding::searchText(text);
}

bool RecordSearchIndex::rowHoldsAll(int row, const QStringList& foldedWords)
{
    settle();
    if (!m_built)
        build();
    const QString& text = m_texts[size_t(row)];
    for (const QString& word : foldedWords) {
        if (!text.contains(word))
            return false;
    }
    return true;
}

void RecordSearchIndex::build()
{
    const int rows = m_store.rowCount();
    m_texts.clear();
    m_texts.reserve(size_t(rows));
    for (int row = 0; row < rows; ++row)
        m_texts.push_back(foldedText(m_store.row(row)));
    m_built = true;
}

void RecordSearchIndex::prepare()
{
    std::vector<TravelRecord> records;
    records.reserve(size_t(m_store.rowCount()));
    for (int row = 0; row < m_store.rowCount(); ++row)
        records.push_back(m_store.row(row));
    m_abandoned = std::make_shared<std::atomic<bool>>(false);
    m_preparing = std::async(std::launch::async, [records = std::move(records), abandoned = m_abandoned] {
        std::vector<QString> texts;
        texts.reserve(records.size());
        for (size_t row = 0; row < records.size() && !*abandoned; ++row)
            texts.push_back(foldedText(records[row]));
        return texts;
    });
}

bool RecordSearchIndex::isPrepared() const
{
    return m_built || (m_preparing.valid() && m_preparing.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
}

void RecordSearchIndex::settle()
{
    if (!m_preparing.valid())
        return;
    m_texts = m_preparing.get();
    m_built = true;
}

void RecordSearchIndex::rowInserted(int row)
{
    settle();
    if (m_built)
        m_texts.insert(m_texts.begin() + row, foldedText(m_store.row(row)));
}

void RecordSearchIndex::rowRemoved(int row)
{
    settle();
    if (m_built)
        m_texts.erase(m_texts.begin() + row);
}

void RecordSearchIndex::rowChanged(int row)
{
    settle();
    if (m_built)
        m_texts[size_t(row)] = foldedText(m_store.row(row));
}

void RecordSearchIndex::reordered(const std::vector<int>& newOrder)
{
    settle();
    if (!m_built)
        return;
    std::vector<QString> texts;
    texts.reserve(newOrder.size());
    for (const int old : newOrder)
        texts.push_back(std::move(m_texts[size_t(old)]));
    m_texts = std::move(texts);
}

void RecordSearchIndex::reset()
{
    if (m_preparing.valid()) {
        *m_abandoned = true;
        m_preparing.wait();
    }
    m_preparing = {};
    m_built = false;
    m_texts.clear();
}
