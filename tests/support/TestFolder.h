#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A temporary program folder for one test, with the user's settings redirected into it so
// that no test touches the real settings or the real data.
class TestFolder
{
public:
    TestFolder();

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

    QByteArray read(const QString& name) const;
    bool write(const QString& name, const QByteArray& bytes) const;

private:
    QTemporaryDir m_dir;
};
