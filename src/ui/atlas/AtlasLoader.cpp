#include "ui/atlas/AtlasLoader.h"

#include "atlas/AtlasData.h"

#include <QThread>

AtlasLoader::AtlasLoader(const QString& folder, QObject* parent) : QObject(parent), m_folder(folder) {}

AtlasLoader::~AtlasLoader()
{
    if (m_thread)
        m_thread->wait();
}

void AtlasLoader::start()
{
    if (m_thread)
        return;
    m_thread = QThread::create([this] { m_data = AtlasData::load(m_folder, &m_error); });
    m_thread->setParent(this);
    connect(m_thread, &QThread::finished, this, [this] {
        m_done = true;
        emit loaded();
    });
    m_thread->start(QThread::LowPriority);
}
