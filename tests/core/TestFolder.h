#pragma once
// A temporary program folder for one test, with helpers to build files byte by byte.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "ProgramFolder.h"

namespace qern::test {

class TestFolder {
public:
    TestFolder() { EXPECT_TRUE(m_dir.isValid()); }

    QString root() const { return m_dir.path(); }
    ProgramFolder folder() const { return ProgramFolder(m_dir.path()); }
    QString path(const QString &relative) const { return m_dir.filePath(relative); }

    void write(const QString &relative, const QByteArray &content) const
    {
        const QString p = path(relative);
        QDir().mkpath(QFileInfo(p).absolutePath());
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << p.toStdString();
        ASSERT_EQ(f.write(content), content.size());
    }

    QByteArray read(const QString &relative) const
    {
        QFile f(path(relative));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return f.readAll();
    }

    bool exists(const QString &relative) const { return QFileInfo::exists(path(relative)); }
    void mkdir(const QString &relative) const { QDir().mkpath(path(relative)); }

private:
    QTemporaryDir m_dir;
};

} // namespace qern::test
