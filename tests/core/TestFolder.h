#pragma once
// A temporary program folder for one test, with helpers to build files byte by byte.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

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

// Caps the size any file of this process may grow to, as a full disk would; root
// ignores permissions but not this limit.
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit capped = m_old;
        capped.rlim_cur = bytes;
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &capped), 0);
    }
    ~ScopedFileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    ScopedFileSizeLimit(const ScopedFileSizeLimit &) = delete;
    ScopedFileSizeLimit &operator=(const ScopedFileSizeLimit &) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace qern::test
