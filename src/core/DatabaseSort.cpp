#include "DatabaseSort.h"

#include <QFileInfo>

#include <cmath>
#include <vector>

#include "BeaconDatabase.h"
#include "BeaconRecord.h"
#include "NumberText.h"

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

// The exchange sort both passes use: for every pair i < j, swap when swaps(key i, key j).
template <typename Key, typename Swaps>
void exchangePass(std::vector<Key> &keys, std::vector<qint32> &order, Swaps swaps, const SortProgress &progress)
{
    const qint64 n = qint64(keys.size());
    for (qint64 i = 0; i + 1 < n; ++i) {
        reportProgress(i + 1, n, progress);
        // Written without branches: about half of the comparisons exchange.
        Key held = keys[i];
        qint32 heldIndex = order[i];
        for (qint64 j = i + 1; j < n; ++j) {
            const Key key = keys[j];
            const qint32 index = order[j];
            const bool exchange = swaps(held, key);
            keys[j] = exchange ? held : key;
            order[j] = exchange ? heldIndex : index;
            held = exchange ? key : held;
            heldIndex = exchange ? index : heldIndex;
        }
        keys[i] = held;
        order[i] = heldIndex;
    }
}

BeaconRecord recordAt(QByteArrayView image, qint64 index)
{
    return BeaconRecord::fromBytes(image.sliced(index * BeaconRecord::Length, BeaconRecord::Length));
}

int firstIdentCode(const BeaconRecord &record)
{
    const QByteArray ident = record.text(BeaconField::Ident);
    return ident.isEmpty() ? kEmptyIdent : int(static_cast<unsigned char>(ident.front()));
}

// The frequency as a fixed-point number with four decimals, in ten-thousandths.
qint64 frequencyKey(const BeaconRecord &record)
{
    const double kHz = numericValue(record.text(BeaconField::Frequency));
    return roundToInteger(roundToDecimals(kHz, 4) * 10000.0);
}

QByteArray reordered(QByteArrayView image, const std::vector<qint32> &order)
{
    QByteArray out;
    out.reserve(image.size());
    for (const qint32 index : order)
        out.append(image.sliced(qint64(index) * BeaconRecord::Length, BeaconRecord::Length));
    return out;
}

std::vector<qint32> identity(qint64 n)
{
    std::vector<qint32> order(n);
    for (qint64 i = 0; i < n; ++i)
        order[i] = qint32(i);
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
        return error.messageText();
    }
    return {};
}

QByteArray sortedDatabaseImage(QByteArrayView image, const SortProgress &progress)
{
    const qint64 n = image.size() / BeaconRecord::Length;

    std::vector<int> identCodes(n);
    for (qint64 i = 0; i < n; ++i)
        identCodes[i] = firstIdentCode(recordAt(image, i));
    std::vector<qint32> order = identity(n);
    exchangePass(identCodes, order, [](int a, int b) { return a <= b; }, progress);
    const QByteArray byIdent = reordered(image, order);

    std::vector<qint64> frequencies(n);
    for (qint64 i = 0; i < n; ++i)
        frequencies[i] = frequencyKey(recordAt(byIdent, i));
    order = identity(n);
    exchangePass(frequencies, order, [](qint64 a, qint64 b) { return a >= b; }, progress);
    return reordered(byIdent, order);
}

SortResult SortBeaconDatabase(const ProgramFolder &folder, const SortProgress &progress)
{
    SortResult result;
    const QString path = databasePath(folder);
    if (!fileExists(path)) {
        result.verdict = SortVerdict::Failed;
        result.error = FileError::notFound(path);
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
            result.error = info.isDir() ? FileError::accessError(file.fileName()) : FileError::fromQFile(file, 70);
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
    if (sorted != image && (result.error = replaceFileContents(path, sorted)))
        result.verdict = SortVerdict::Failed;
    return result;
}

} // namespace qern
