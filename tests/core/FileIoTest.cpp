#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

#include "FileIo.h"
#include "TestFolder.h"

using namespace qern;
using qern::test::TestFolder;

namespace {

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

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace

TEST(RecordFile, ReaderNeverCreatesAMissingFile)
{
    TestFolder t;
    RecordFile file(t.path("ndb.dat"), 213);
    const FileError err = file.openForReading();
    EXPECT_EQ(err.number, 53);
    EXPECT_FALSE(t.exists("ndb.dat"));
    EXPECT_EQ(forEachRecord(t.path("ndb.dat"), 213, [](qint64, QByteArrayView) { return true; }).number, 53);
    EXPECT_FALSE(t.exists("ndb.dat"));
}

TEST(RecordFile, WritesInPlaceAppendsAndReadsBack)
{
    TestFolder t;
    RecordFile file(t.path("log0.dat"), 4);
    qint64 as = 0;
    ASSERT_FALSE(file.append("AAAA", &as));
    EXPECT_EQ(as, 1);
    ASSERT_FALSE(file.append("BBBB", &as));
    EXPECT_EQ(as, 2);
    ASSERT_FALSE(file.write(1, "CCCC"));
    file.close();
    EXPECT_EQ(t.read("log0.dat"), "CCCCBBBB");

    QByteArray rec;
    ASSERT_FALSE(file.read(2, &rec));
    EXPECT_EQ(rec, "BBBB");
    EXPECT_EQ(file.read(3, &rec).number, 62);
    EXPECT_TRUE(file.write(1, "TOOLONG").failed()); // a record of the wrong length is refused
}

TEST(RecordFile, ShortWriteIsAnErrorAndLeavesTheFileAsItWas)
{
    const QByteArray first(213, 'A');
    const struct { const char *name; qint64 number; } cases[] = {
        {"append", 2}, {"beyond the end", 3},
    };
    for (const auto &c : cases) {
        TestFolder t;
        t.write("ndb.dat", first);
        RecordFile file(t.path("ndb.dat"), 213);
        FileError err;
        {
            const ScopedFileSizeLimit limit(300); // room for 87 more bytes
            err = file.write(c.number, QByteArray(213, 'B'));
            file.close();
        }
        EXPECT_EQ(err.number, 61) << c.name;
        EXPECT_TRUE(err.messageText().startsWith("Error # 61: Disk full")) << err.messageText().toStdString();
        const QByteArray after = t.read("ndb.dat");
        EXPECT_EQ(after.size(), first.size()) << c.name;
        EXPECT_TRUE(after == first) << c.name;
    }
}

TEST(RecordFile, ACutLastRecordReadsPaddedAndCounts)
{
    TestFolder t;
    t.write("f.dat", "AAAABB"); // 1.5 records -> 2 by half to even
    RecordFile file(t.path("f.dat"), 4);
    EXPECT_EQ(file.count(), 2);
    EXPECT_FALSE(file.holdsWholeRecords());
    QByteArray rec;
    ASSERT_FALSE(file.read(2, &rec));
    EXPECT_EQ(rec, "BB  ");

    QList<QByteArray> seen;
    ASSERT_FALSE(forEachRecord(t.path("f.dat"), 4, [&](qint64 n, QByteArrayView r) {
        EXPECT_EQ(n, seen.size() + 1);
        seen.append(r.toByteArray());
        return true;
    }));
    EXPECT_EQ(seen, (QList<QByteArray>{"AAAA", "BB  "}));
}

TEST(RecordFile, WalkStopsWhenAskedAndCrossesBlocks)
{
    TestFolder t;
    QByteArray content;
    for (int i = 0; i < 5000; ++i)
        content += QByteArray::number(i % 10).repeated(213);
    t.write("ndb.dat", content);
    qint64 last = 0;
    ASSERT_FALSE(forEachRecord(t.path("ndb.dat"), 213, [&](qint64 n, QByteArrayView r) {
        EXPECT_EQ(r[0], char('0' + (n - 1) % 10));
        last = n;
        return true;
    }));
    EXPECT_EQ(last, 5000);
    ASSERT_FALSE(forEachRecord(t.path("ndb.dat"), 213, [&](qint64 n, QByteArrayView) {
        last = n;
        return n < 7;
    }));
    EXPECT_EQ(last, 7);
}

TEST(SafeWrite, ReplacesAWholeFileOnlyWhenTheNewOneIsComplete)
{
    TestFolder t;
    t.write("ndb.dat", "old");
    ASSERT_FALSE(replaceFileContents(t.path("ndb.dat"), "new content"));
    EXPECT_EQ(t.read("ndb.dat"), "new content");
    EXPECT_FALSE(t.exists("ndb.dat.tmp"));

    // A folder where the temporary file goes makes the write fail: the old file stays.
    t.mkdir("ndb.dat.tmp");
    const FileError err = replaceFileContents(t.path("ndb.dat"), "lost");
    EXPECT_TRUE(err.failed());
    EXPECT_TRUE(err.messageText().startsWith("Error # "));
    EXPECT_EQ(t.read("ndb.dat"), "new content");
}

TEST(SafeWrite, CopyKeepsTheOldCopyWhenItFails)
{
    TestFolder t;
    t.write("src.dat", QByteArray(300000, 'x'));
    t.write("AutoBackups/copy.bak", "old copy");
    ASSERT_FALSE(copyFileSafely(t.path("src.dat"), t.path("AutoBackups/copy.bak")));
    EXPECT_EQ(t.read("AutoBackups/copy.bak"), QByteArray(300000, 'x'));

    t.write("AutoBackups/copy2.bak", "old copy");
    t.mkdir("AutoBackups/copy2.bak.tmp");
    EXPECT_TRUE(copyFileSafely(t.path("src.dat"), t.path("AutoBackups/copy2.bak")).failed());
    EXPECT_EQ(t.read("AutoBackups/copy2.bak"), "old copy");

    EXPECT_EQ(copyFileSafely(t.path("missing.dat"), t.path("x.bak")).number, 53);
    EXPECT_EQ(copyFileSafely(t.path("src.dat"), t.path("nofolder/x.bak")).number, 76);
}
