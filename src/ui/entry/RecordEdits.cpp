#include "ui/entry/RecordEdits.h"

#include "store/RecordColumns.h"
#include "store/RecordStore.h"
#include "ui/list/RecordListModel.h"

namespace {

bool isOffered(const TravelRecord& record)
{
    const QByteArrayView mark = record.fieldBytes(RecordColumns::UploadMark);
    return mark == "*" || mark == " ";
}

TravelRecord unmarked(TravelRecord record)
{
    // An empty field always fits.
    record.setField(RecordColumns::UploadMark, QString());
    return record;
}

} // namespace

RecordEdits::RecordEdits(RecordStore& store, RecordListModel* model) : m_store(store), m_model(model) {}

std::optional<LoadReport> RecordEdits::catchUp()
{
    if (!m_store.fileChanged())
        return std::nullopt;
    RecordStore::Reading reading = m_store.readAgain();
    const LoadReport report = reading.report;
    if (report.readToEnd())
        m_model->resetWith([this, &reading] { m_store.adopt(std::move(reading)); });
    return report;
}

StoreResult RecordEdits::append(const TravelRecord& record)
{
    // Checked with the mark the record will carry, before anything reaches the file.
    if (const QString why = RecordStore::problemWithRecord(record); !why.isEmpty())
        return StoreResult::failure(why);
    const bool offered = isOffered(record);
    if (const StoreResult added = m_model->appendRecord(offered ? unmarked(record) : record); !added)
        return added;
    const int row = m_store.rowCount() - 1;
    if (const StoreResult appended = m_store.AppendRecord(row); !appended) {
        m_model->removeRecord(row);
        return appended;
    }
    if (offered) {
        if (const StoreResult marked = m_model->replaceRecord(row, record); !marked)
            return StoreResult::failure(
                QStringLiteral("the record was saved but could not be marked for sharing: %1").arg(marked.error));
    }
    return StoreResult::success();
}

StoreResult RecordEdits::replace(int row, const TravelRecord& record)
{
    const TravelRecord before = m_store.row(row);
    if (const StoreResult replaced = m_model->replaceRecord(row, record); !replaced)
        return replaced;
    if (const StoreResult saved = m_store.SaveAllRecords(); !saved) {
        m_model->replaceRecord(row, before);
        return saved;
    }
    return StoreResult::success();
}

StoreResult RecordEdits::remove(int row)
{
    const TravelRecord removed = m_store.row(row);
    m_model->removeRecord(row);
    if (const StoreResult saved = m_store.SaveAllRecords(); !saved) {
        m_model->insertRecord(row, removed);
        return saved;
    }
    return StoreResult::success();
}

StoreResult RecordEdits::insert(int row, const TravelRecord& record)
{
    if (m_store.table().isFull())
        return StoreResult::failure(QStringLiteral("the travel log is full (%1 records)").arg(RecordTable::MaxRows));
    m_model->insertRecord(row, record);
    if (const StoreResult saved = m_store.SaveAllRecords(); !saved) {
        m_model->removeRecord(row);
        return saved;
    }
    return StoreResult::success();
}

bool RecordEdits::sameFields(const TravelRecord& a, const TravelRecord& b)
{
    return unmarked(a) == unmarked(b);
}

TravelRecord RecordEdits::withMarkOf(TravelRecord record, const TravelRecord& markSource)
{
    // The mark is already a field of a record, so its characters are accepted; whether the
    // longer line still fits is checked when the record is stored.
    record.setField(RecordColumns::UploadMark, markSource.field(RecordColumns::UploadMark));
    return record;
}

int RecordEdits::find(const TravelRecord& record, int hint) const
{
    const int rows = m_store.rowCount();
    if (hint >= 0 && hint < rows && sameFields(m_store.row(hint), record))
        return hint;
    for (int row = 0; row < rows; ++row) {
        if (sameFields(m_store.row(row), record))
            return row;
    }
    return -1;
}
