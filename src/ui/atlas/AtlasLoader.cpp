#include "ui/atlas/AtlasLoader.h"

#include "atlas/AtlasData.h"

#include <QThread>

#ifdef __GLIBC__
#include <malloc.h>
#endif

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
    m_thread = QThread::create([this] {
        m_data = AtlasData::load(m_folder, &m_error);
#ifdef __GLIBC__
        // Reading the shapes' JSON takes several times the memory it leaves in use; give the
        // rest back to the system rather than keep it in this thread's heap.
        malloc_trim(0);
#endif
    });
    m_thread->setParent(this);
    connect(m_thread, &QThread::finished, this, [this] {
        m_done = true;
        emit loaded();
    });
    m_thread->start(QThread::LowPriority);
}
