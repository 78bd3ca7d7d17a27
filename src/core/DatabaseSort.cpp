#include "DatabaseSort.h"

#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "BeaconDatabase.h"
#include "BeaconRecord.h"
#include "NumberText.h"
#include "PlainNumber.h"

namespace qern {

namespace {

constexpr int kEmptyIdent = -1; // an empty ident's "first character" sorts below every code

// Reports i of n when the rounded percentage is a multiple of 10 (0 included).
void reportProgress(qint64 i, qint64 n, const SortProgress &progress)
{
    if (!progress)
        return;
    const double percent = std::floor(double(i) / double(n) * 100.0 + 0.5);
    if (std::fmod(percent, 10.0) == 0.0)
        progress(i, n);
}

QByteArrayView recordAt(QByteArrayView image, qint64 index)
{
    return image.sliced(index * BeaconRecord::Length, BeaconRecord::Length);
}

// The first character of the ident as BeaconRecord::text() gives it.
int firstIdentCode(QByteArrayView record)
{
    const FieldLayout f = layoutOf(BeaconField::Ident);
    for (const char stored : record.sliced(f.offset, f.width)) {
        if (stored != ' ')
            return int(static_cast<unsigned char>(shiftedDown(static_cast<unsigned char>(stored))));
    }
    return kEmptyIdent;
}

qint64 frequencyKey(QByteArrayView record)
{
    std::array<char, layoutOf(BeaconField::Frequency).width> plain{};
    return tenThousandthsValue(decodeFieldInto(record, BeaconField::Frequency, plain));
}

// An exchange pass over keys in their order at its start: for every pair i < j the two
// swap when the key of i is >= (or <=) the key of j. It leaves equal keys in the
// reverse of their order at its start, so it equals a stable sort of the reversed
// sequence, done here in n log n or better. Each returns the positions, in the pass's
// result order, and reports row k + 1 of n as the exchange pass would.

// Pass 1, the largest first code first: a counting sort over the 257 codes.
std::vector<qint32> identPassOrder(const std::vector<int> &codes, const SortProgress &progress)
{
    const auto n = qint32(codes.size());
    constexpr int kBuckets = 257;
    auto bucketOf = [](int code) { return 255 - code; }; // kEmptyIdent last
    std::array<qint32, kBuckets + 1> next{};
    for (const int code : codes)
        ++next[bucketOf(code) + 1];
    for (int b = 1; b <= kBuckets; ++b)
        next[b] += next[b - 1];
    std::vector<qint32> order(n);
    for (qint32 k = 0; k < n; ++k) {
        if (k + 1 < n)
            reportProgress(k + 1, n, progress);
        const qint32 position = n - 1 - k;
        order[next[bucketOf(codes[position])]++] = position;
    }
    return order;
}

// Pass 2, smallest frequency first: equal keys keep their rank in the reversed sequence.
std::vector<qint32> frequencyPassOrder(const std::vector<qint64> &keys, const SortProgress &progress)
{
    struct Entry {
        qint64 key;
        qint32 position;
    };
    const auto n = qint32(keys.size());
    std::vector<Entry> entries(n);
    for (qint32 k = 0; k < n; ++k) {
        if (k + 1 < n)
            reportProgress(k + 1, n, progress);
        entries[k] = {keys[n - 1 - k], n - 1 - k};
    }
    // Positions fall along the reversed sequence, so the larger one came first.
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return a.key != b.key ? a.key < b.key : a.position > b.position;
    });
    std::vector<qint32> order(n);
    for (qint32 k = 0; k < n; ++k)
        order[k] = entries[k].position;
    return order;
}

} // namespace

QString SortResult::message() const
{
    switch (verdict) {
    case SortVerdict::Sorted:
        return {};
    case SortVerdict::DatabaseDamaged:
        return QStringLiteral("Records mismatched. Database corrupted.");
    case SortVerdict::Failed:
        return changeFailureText(error, takenBack, kChangeNotTakenBackText);
    }
    return {};
}

QByteArray sortedDatabaseImage(QByteArrayView image, const SortProgress &progress)
{
    // Both keys in one sequential read of the records.
    const auto n = qint32(image.size() / BeaconRecord::Length);
    std::vector<int> identCodes(n);
    std::vector<qint64> frequencies(n);
    for (qint32 k = 0; k < n; ++k) {
        identCodes[k] = firstIdentCode(recordAt(image, k));
        frequencies[k] = frequencyKey(recordAt(image, k));
    }

    // Pass 1: the first ident character, largest first.
    const std::vector<qint32> byIdent = identPassOrder(identCodes, progress);

    // Pass 2, from the order pass 1 left: the frequency, smallest first.
    std::vector<qint64> frequenciesByIdent(n);
    for (qint32 k = 0; k < n; ++k)
        frequenciesByIdent[k] = frequencies[byIdent[k]];
    const std::vector<qint32> byFrequency = frequencyPassOrder(frequenciesByIdent, progress);

    QByteArray out(image.size(), Qt::Uninitialized);
    for (qint32 k = 0; k < n; ++k)
        std::memcpy(out.data() + qsizetype(k) * BeaconRecord::Length, recordAt(image, byIdent[byFrequency[k]]).data(),
                    BeaconRecord::Length);
    return out;
}

SortResult SortBeaconDatabase(const ProgramFolder &folder, const SortProgress &progress, AutomaticBackup backup)
{
    SortResult result;
    const QString path = databasePath(folder);
    if (!fileExists(path)) {
        result.verdict = SortVerdict::Failed;
        result.error = missingFileError(path);
        return result;
    }
    const qint64 length = fileLength(path);
    result.recordCount = recordCountForLength(length, BeaconRecord::Length);
    if (length % BeaconRecord::Length != 0) {
        result.verdict = SortVerdict::DatabaseDamaged;
        return result;
    }

    // Leftovers of an interrupted sort of old. They are the program's own names: a link
    // of such a name goes, never the file it points to.
    for (const char *leftover : {"ndb.hhh", "ndb.srt"}) {
        QFile file(folder.path(QString::fromLatin1(leftover)));
        const QFileInfo info(file.fileName());
        if ((info.exists() || info.isSymLink()) && !file.remove()) {
            result.error = info.isDir() ? missingFileError(file.fileName()) : FileError::fromQFile(file, 70);
            result.verdict = SortVerdict::Failed;
            return result;
        }
    }

    QByteArray image;
    if ((result.error = readWholeFile(path, &image))) {
        result.verdict = SortVerdict::Failed;
        return result;
    }
    if (image.size() % BeaconRecord::Length != 0) {
        result.verdict = SortVerdict::DatabaseDamaged;
        return result;
    }
    const QByteArray sorted = sortedDatabaseImage(image, progress);
    if (sorted == image)
        return result;
    FileChange change(folder);
    change.replaces(path);
    if ((result.error = change.begin(backup))) {
        result.verdict = SortVerdict::Failed;
        return result;
    }
    if ((result.error = change.replaceFile(path, sorted))) {
        result.verdict = SortVerdict::Failed;
        result.takenBack = change.takeBack();
    }
    return result;
}

} // namespace qern
