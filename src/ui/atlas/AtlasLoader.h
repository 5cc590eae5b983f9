#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QThread;
struct AtlasData;

// Reads the map data on a worker thread, so that neither the start of the program nor the
// window waits for it; loaded() comes on the window's thread once it is there (or failed).
class AtlasLoader : public QObject
{
    Q_OBJECT

public:
    explicit AtlasLoader(const QString& folder, QObject* parent = nullptr);
    ~AtlasLoader() override;

    // Starts reading, the first time only.
    void start();
    bool isDone() const { return m_done; }
    // The data, or null with error() saying why.
    std::shared_ptr<AtlasData> data() const { return m_data; }
    QString error() const { return m_error; }

signals:
    void loaded();

private:
    QString m_folder;
    QThread* m_thread = nullptr;
    bool m_done = false;
    // Written by the worker only, and read only after it has finished.
    std::shared_ptr<AtlasData> m_data;
    QString m_error;
};
