#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ProgramLock.h"
#include "TestFolder.h"

using namespace qern;
using qern::test::TestFolder;
using Outcome = ProgramLock::Outcome;

namespace {

// Another process that takes the locks and keeps them until it is killed.
class LockingChild {
public:
    explicit LockingChild(const QStringList &paths)
    {
        int channel[2];
        EXPECT_EQ(::pipe(channel), 0);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(channel[0]);
            ProgramLock lock;
            const char outcome = static_cast<char>(lock.lock(paths));
            if (::write(channel[1], &outcome, 1) != 1)
                ::_exit(1);
            for (;;)
                ::pause();
        }
        ::close(channel[1]);
        char outcome = -1;
        EXPECT_EQ(::read(channel[0], &outcome, 1), 1);
        ::close(channel[0]);
        m_outcome = static_cast<Outcome>(outcome);
    }
    ~LockingChild() { kill(); }

    Outcome outcome() const { return m_outcome; }
    // kill -9, as a crash or the task manager would end it.
    void kill()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    Outcome m_outcome = Outcome::Failed;
};

// Every name below root: a refused lock creates none.
QStringList names(const QString &root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << it.next();
    entries.sort();
    return entries;
}

} // namespace

TEST(ProgramLock, ASecondLockOnOnePathIsRefusedUntilTheFirstEnds)
{
    TestFolder t;
    const QString path = t.path("folder/.qern.lock");
    ProgramLock second;
    {
        ProgramLock first;
        ASSERT_EQ(first.lock({path}), Outcome::Taken);
        EXPECT_TRUE(first.isHeld());
        // A separate open of the same file, even in this process, does not share the lock.
        EXPECT_EQ(second.lock({path}), Outcome::Held);
        EXPECT_EQ(second.blockedPath(), path);
        EXPECT_FALSE(second.isHeld());
        first.release();
        EXPECT_EQ(second.lock({path}), Outcome::Taken);
        second.release();
        ASSERT_EQ(first.lock({path}), Outcome::Taken);
    }
    EXPECT_EQ(second.lock({path}), Outcome::Taken);
    // The lock file is created for the lock and left empty; nothing else appears.
    EXPECT_EQ(t.read("folder/.qern.lock"), "");
    EXPECT_EQ(names(t.root()), QStringList({t.path("folder"), path}));
}

TEST(ProgramLock, ACopyThatIsRefusedCreatesNothingAndKeepsNothing)
{
    TestFolder t;
    t.write("user/ndb.dat", "beacons");
    const QString held = t.path("folder/.qern.lock");
    const QString free = t.path("user/.qern.lock");
    const QString missing = t.path("config/QERN6.1/registry.ini.lock");
    ProgramLock running;
    ASSERT_EQ(running.lock({held}), Outcome::Taken);
    t.write("user/.qern.lock", "");
    const QStringList before = names(t.root());

    // Whatever the order, the held lock is met before a missing one would be created,
    // and the free one taken on the way is given back.
    const QList<QStringList> orders = {{missing, held}, {held, missing}, {free, held, missing}, {missing, free, held}};
    for (const QStringList &paths : orders) {
        ProgramLock second;
        EXPECT_EQ(second.lock(paths), Outcome::Held) << paths.join(' ').toStdString();
        EXPECT_EQ(second.blockedPath(), held);
        EXPECT_EQ(names(t.root()), before) << paths.join(' ').toStdString();
        ProgramLock other;
        EXPECT_EQ(other.lock({free}), Outcome::Taken) << paths.join(' ').toStdString();
    }

    ProgramLock both;
    EXPECT_EQ(both.lock({free, missing}), Outcome::Taken);
    EXPECT_TRUE(QFile::exists(missing));
    ProgramLock either;
    EXPECT_EQ(either.lock({missing}), Outcome::Held);
}

TEST(ProgramLock, ALockThatCannotBeMadeIsAFailureNotARunningCopy)
{
    TestFolder t;
    t.write("plain-file", "x");
    t.mkdir("folder/.qern.lock");
    const struct {
        QString path;
        int errorNumber;
    } rows[] = {
        {t.path("plain-file/.qern.lock"), 76}, // its folder cannot be made
        {t.path("folder/.qern.lock"), 75},     // a folder by the name
    };
    for (const auto &row : rows) {
        ProgramLock lock;
        EXPECT_EQ(lock.lock({row.path}), Outcome::Failed) << row.path.toStdString();
        EXPECT_EQ(lock.blockedPath(), row.path);
        EXPECT_EQ(lock.error().number, row.errorNumber) << lock.error().messageText().toStdString();
        EXPECT_FALSE(lock.isHeld());
    }
    // A good lock taken before the failing one is given back.
    ProgramLock partial;
    EXPECT_EQ(partial.lock({t.path("good.lock"), t.path("folder/.qern.lock")}), Outcome::Failed);
    ProgramLock good;
    EXPECT_EQ(good.lock({t.path("good.lock")}), Outcome::Taken);
}

TEST(ProgramLock, ACopyKilledWhileHoldingLeavesNoLockBehind)
{
    TestFolder t;
    const QStringList paths = {t.path("folder/.qern.lock"), t.path("registry.ini.lock")};
    LockingChild running(paths);
    ASSERT_EQ(running.outcome(), Outcome::Taken);
    for (const QString &path : paths) {
        ProgramLock second;
        EXPECT_EQ(second.lock({path}), Outcome::Held) << path.toStdString();
    }
    LockingChild refused({paths[1]});
    EXPECT_EQ(refused.outcome(), Outcome::Held);

    running.kill();
    ProgramLock next;
    EXPECT_EQ(next.lock(paths), Outcome::Taken);
}

TEST(ProgramLock, AProgramStartedByTheHolderDoesNotKeepItsLock)
{
    TestFolder t;
    const QString path = t.path(".qern.lock");
    ProgramLock first;
    ASSERT_EQ(first.lock({path}), Outcome::Taken);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execlp("sleep", "sleep", "30", static_cast<char *>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(pid, 0);
    first.release();

    // Until the child has replaced itself by sleep it still shares the descriptor;
    // after that, only an inherited descriptor would keep the lock.
    ProgramLock next;
    QElapsedTimer waited;
    waited.start();
    Outcome outcome = next.lock({path});
    while (outcome != Outcome::Taken && waited.elapsed() < 5000) {
        QThread::msleep(20);
        outcome = next.lock({path});
    }
    EXPECT_EQ(outcome, Outcome::Taken);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

TEST(ProgramLock, TheSettingsLockStandsBesideTheFileItNames)
{
    TestFolder t;
    t.write("config/registry.ini", "[SOFTWARE\\QERN6.1\\UserInfo]\n");
    ASSERT_TRUE(QFile::link(t.path("config/registry.ini"), t.path("linked.ini")));
    const QString root = QFileInfo(t.root()).canonicalFilePath();
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(root));
    const struct {
        QString settings;
        QString lock;
    } rows[] = {
        {root + "/config/registry.ini", "/config/registry.ini.lock"},
        {"config/registry.ini", "/config/registry.ini.lock"},
        // Two names of one file share one lock.
        {"linked.ini", "/config/registry.ini.lock"},
        {"new/settings.ini", "/new/settings.ini.lock"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(settingsLockPath(row.settings), root + row.lock) << row.settings.toStdString();
    QDir::setCurrent(cwd);
}
