#include "RegistryStore.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

#include <cmath>
#include <limits>

#include "NumberText.h"
#include "Text.h"

namespace qern {

namespace {

constexpr char kFileHeader[] =
    "; QERN settings: the registry key HKEY_CURRENT_USER\\SOFTWARE\\QERN6.1\\ kept as a file.\n"
    "; [key] starts a key; each value is  name=String:text  or  name=Number:decimal.\n"
    "; %HH stands for a byte a text editor would lose (a blank at the end of a text is %20).\n"
    "; QERN rewrites this file whole on every change.\n";

// Windows-1252 codes with no character; kept as bytes through %HH.
bool isUndefinedCp1252(unsigned char b)
{
    return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

bool needsEscape(unsigned char b)
{
    return b == '%' || b < 0x20 || b == 0x7F || isUndefinedCp1252(b);
}

void appendEscaped(QByteArray &out, unsigned char b)
{
    static const char hex[] = "0123456789ABCDEF";
    out += '%';
    out += hex[b >> 4];
    out += hex[b & 0xF];
}

// Bytes (Windows-1252) -> file text (UTF-8), escaping what an editor or the reader
// would lose: blanks at the end (and, for names, at the start) become %20.
QByteArray encodeText(QByteArrayView bytes, bool escapeLeadingBlanks, bool escapeEquals)
{
    qsizetype lastNonBlank = bytes.size() - 1;
    while (lastNonBlank >= 0 && bytes[lastNonBlank] == ' ')
        --lastNonBlank;
    qsizetype firstNonBlank = 0;
    while (firstNonBlank < bytes.size() && bytes[firstNonBlank] == ' ')
        ++firstNonBlank;
    QByteArray out;
    out.reserve(bytes.size() + 8);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const bool edgeBlank = b == ' ' && (i > lastNonBlank || (escapeLeadingBlanks && i < firstNonBlank));
        if (needsEscape(b) || edgeBlank || (escapeEquals && b == '=')) {
            appendEscaped(out, b);
        } else if (b < 0x80) {
            out += static_cast<char>(b);
        } else {
            const char one = static_cast<char>(b);
            out += fromWindows1252(QByteArrayView(&one, 1)).toUtf8();
        }
    }
    return out;
}

QByteArray encodeName(QByteArrayView name)
{
    QByteArray out = encodeText(name, true, true);
    if (!out.isEmpty() && (out[0] == ';' || out[0] == '#' || out[0] == '[')) {
        const auto first = static_cast<unsigned char>(out[0]);
        out.remove(0, 1);
        QByteArray escaped;
        appendEscaped(escaped, first);
        out.prepend(escaped);
    }
    return out;
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

// File text -> bytes. False when a character has no Windows-1252 form.
bool decodeText(QStringView text, QByteArray *bytes)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 && hexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
            continue;
        }
        if (c.unicode() < 0x80) {
            out += static_cast<char>(c.unicode());
            continue;
        }
        // A surrogate pair is one character.
        const qsizetype len = (c.isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        bool lossless = true;
        const QByteArray b = toWindows1252(text.sliced(i, len), &lossless);
        if (!lossless)
            return false;
        out += b;
        i += len - 1;
    }
    *bytes = std::move(out);
    return true;
}

// A 32-bit Number as written by hand: decimal -2147483648..4294967295 or hex up to
// 0xFFFFFFFF. Values above 2147483647 wrap as a DWORD does.
bool parseNumber(QStringView text, qint32 *number)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return false;
    bool ok = false;
    qint64 value = 0;
    if (t.startsWith(u"0x", Qt::CaseInsensitive)) {
        const QStringView digits = t.sliced(2);
        if (digits.isEmpty() || digits.size() > 8)
            return false;
        value = static_cast<qint64>(digits.toULongLong(&ok, 16));
    } else {
        for (qsizetype i = 0; i < t.size(); ++i) {
            const char16_t u = t[i].unicode();
            if (!((u >= '0' && u <= '9') || (i == 0 && u == '-')))
                return false;
        }
        if (t.size() > 12)
            return false;
        value = t.toLongLong(&ok);
    }
    if (!ok || value < std::numeric_limits<qint32>::min() || value > 4294967295LL)
        return false;
    *number = static_cast<qint32>(static_cast<quint32>(static_cast<quint64>(value) & 0xFFFFFFFFu));
    return true;
}

// "SOFTWARE\QERN6.1\" -> "SOFTWARE\QERN6.1". Empty when the path is not a key path
// (empty, or an empty component such as a leading or doubled backslash).
QByteArray normalizeKeyPath(QByteArrayView keyPath)
{
    QByteArrayView path = keyPath;
    if (path.endsWith('\\'))
        path.chop(1);
    if (path.isEmpty())
        return {};
    qsizetype start = 0;
    for (qsizetype i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\') {
            if (i == start)
                return {};
            start = i + 1;
        }
    }
    return path.toByteArray();
}

bool sameName(QByteArrayView a, QByteArrayView b)
{
    return a.size() == b.size() && upperCase(a) == upperCase(b);
}

FileError damagedAt(int lineNumber, const QString &path)
{
    return {75, QStringLiteral("Line %1 of the settings file is not a setting (%2)")
                    .arg(lineNumber)
                    .arg(QDir::toNativeSeparators(path))};
}

} // namespace

QByteArray defaultHomeFolder()
{
    QByteArray home = toWindows1252(QDir::homePath());
    if (!home.endsWith('/'))
        home += '/';
    return home;
}

std::optional<qint32> registryNumberFor(QByteArrayView text)
{
    const double rounded = roundHalfEven(numericValue(text));
    if (!(rounded >= std::numeric_limits<qint32>::min() && rounded <= std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return static_cast<qint32>(rounded);
}

QString RegistryStore::defaultPath()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/QERN6.1/registry.ini");
}

QString RegistryStore::chosenPath(const QString &chosen)
{
    return chosen.isEmpty() ? defaultPath() : QFileInfo(chosen).absoluteFilePath();
}

RegistryStore::RegistryStore(QString filePath) : m_filePath(std::move(filePath))
{
    m_loadError = load();
    if (m_loadError)
        m_keys.clear();
}

FileError RegistryStore::load()
{
    const QFileInfo info(m_filePath);
    if (!info.exists() && !info.isSymLink())
        return {};
    if (!info.isFile()) {
        const FileError err = missingFileError(m_filePath);
        // A link to nothing in a folder that is there can get its file from a restore.
        m_loadFailure = err.number == FileError::notFound({}).number ? LoadFailure::LinkToNothing
                                                                      : LoadFailure::Unusable;
        return err;
    }
    QByteArray content;
    if (FileError err = readWholeFile(m_filePath, &content)) {
        m_loadFailure = LoadFailure::Unusable;
        return err;
    }
    FileError err = parse(content);
    if (err)
        m_loadFailure = LoadFailure::Damaged;
    return err;
}

const char *RegistryStore::loadErrorWayOut() const
{
    switch (m_loadFailure) {
    case LoadFailure::None:
        return "";
    case LoadFailure::Damaged:
        return kDamagedSettingsWayOut;
    case LoadFailure::LinkToNothing:
        return kSettingsLinkWayOut;
    case LoadFailure::Unusable:
        break;
    }
    return kUnusableSettingsWayOut;
}

FileError RegistryStore::parse(const QByteArray &content)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(content);
    if (decoder.hasError()) {
        // Point at the first line that is not UTF-8.
        int lineNumber = 1;
        for (const QByteArray &line : content.split('\n')) {
            QStringDecoder lineDecoder(QStringDecoder::Utf8);
            const QString decoded = lineDecoder(line);
            if (lineDecoder.hasError())
                return damagedAt(lineNumber, m_filePath);
            ++lineNumber;
        }
        return damagedAt(lineNumber, m_filePath);
    }
    QStringView all(text);
    if (all.startsWith(QChar(0xFEFF)))
        all = all.sliced(1);
    int current = -1;
    int lineNumber = 0;
    for (QStringView line : all.split(u'\n')) {
        ++lineNumber;
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QStringView trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u';') || trimmed.startsWith(u'#'))
            continue;
        if (trimmed.startsWith(u'[')) {
            if (!trimmed.endsWith(u']'))
                return damagedAt(lineNumber, m_filePath);
            QByteArray path;
            if (!decodeText(trimmed.sliced(1, trimmed.size() - 2), &path))
                return damagedAt(lineNumber, m_filePath);
            const QByteArray normalized = normalizeKeyPath(path);
            if (normalized.isEmpty())
                return damagedAt(lineNumber, m_filePath);
            current = ensureKey(normalized);
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (current < 0 || eq < 0)
            return damagedAt(lineNumber, m_filePath);
        Value value;
        if (!decodeText(line.first(eq).trimmed(), &value.name))
            return damagedAt(lineNumber, m_filePath);
        QStringView typed = line.sliced(eq + 1);
        while (!typed.isEmpty() && (typed.front() == u' ' || typed.front() == u'\t'))
            typed = typed.sliced(1);
        const qsizetype colon = typed.indexOf(u':');
        if (colon <= 0)
            return damagedAt(lineNumber, m_filePath);
        const QStringView kindWord = typed.first(colon);
        for (QChar c : kindWord) {
            if (!c.isLetter() || c.unicode() >= 0x80)
                return damagedAt(lineNumber, m_filePath);
        }
        const QStringView data = typed.sliced(colon + 1);
        if (kindWord.compare(QLatin1String(kRegistryString), Qt::CaseInsensitive) == 0) {
            value.kind = Kind::String;
            if (!decodeText(data, &value.text))
                return damagedAt(lineNumber, m_filePath);
        } else if (kindWord.compare(QLatin1String(kRegistryNumber), Qt::CaseInsensitive) == 0) {
            value.kind = Kind::Number;
            if (!parseNumber(data, &value.number))
                return damagedAt(lineNumber, m_filePath);
        } else {
            value.kind = Kind::Other;
            value.otherKind = kindWord.toUtf8();
            value.text = data.toUtf8();
        }
        QList<Value> &values = m_keys[current].values;
        auto same = std::find_if(values.begin(), values.end(),
                                 [&](const Value &v) { return sameName(v.name, value.name); });
        if (same != values.end())
            *same = std::move(value); // the later line wins, as in any INI file
        else
            values.append(std::move(value));
    }
    return {};
}

int RegistryStore::findKey(QByteArrayView normalizedPath) const
{
    for (int i = 0; i < m_keys.size(); ++i) {
        if (sameName(m_keys[i].path, normalizedPath))
            return i;
    }
    return -1;
}

int RegistryStore::ensureKey(QByteArrayView normalizedPath)
{
    const int found = findKey(normalizedPath);
    if (found >= 0)
        return found;
    m_keys.append(Key{normalizedPath.toByteArray(), {}});
    return static_cast<int>(m_keys.size() - 1);
}

bool RegistryStore::keyExists(QByteArrayView keyPath) const
{
    const QByteArray normalized = normalizeKeyPath(keyPath);
    if (normalized.isEmpty())
        return false;
    const QByteArray wanted = upperCase(normalized);
    const QByteArray below = wanted + '\\';
    for (const Key &key : m_keys) {
        const QByteArray path = upperCase(key.path);
        if (path == wanted || path.startsWith(below))
            return true;
    }
    return false;
}

bool RegistryStore::baseKeyExists() const
{
    return !isReadable() || keyExists(RegistryKeys::Base);
}

const RegistryStore::Value *RegistryStore::findValue(QByteArrayView keyPath, QByteArrayView valueName) const
{
    const int k = findKey(normalizeKeyPath(keyPath));
    if (k < 0)
        return nullptr;
    for (const Value &value : m_keys[k].values) {
        if (sameName(value.name, valueName))
            return &value;
    }
    return nullptr;
}

QByteArray RegistryStore::GetRegistryValue(QByteArrayView keyPath, QByteArrayView valueName) const
{
    const Value *value = findValue(keyPath, valueName);
    if (!value)
        return {};
    switch (value->kind) {
    case Kind::String:
        return value->text;
    case Kind::Number:
        return QByteArray::number(value->number);
    case Kind::Other:
        break;
    }
    return {};
}

void RegistryStore::report(const QString &text)
{
    if (m_sink)
        m_sink(text);
    else
        m_queued.append(text);
}

void RegistryStore::setMessageSink(MessageSink sink)
{
    m_sink = std::move(sink);
    if (m_sink) {
        const QStringList queued = takeMessages();
        for (const QString &text : queued)
            m_sink(text);
    }
}

QStringList RegistryStore::takeMessages()
{
    QStringList taken;
    taken.swap(m_queued);
    return taken;
}

bool RegistryStore::beginChange()
{
    if (!isReadable()) {
        // One report per save, however many values it writes.
        if (m_batchDepth == 0 || !m_batchFailed)
            report(QStringLiteral("The settings were not saved. ") + m_loadError.messageText());
        if (m_batchDepth > 0)
            m_batchFailed = true;
        return false;
    }
    if (m_batchDepth == 0)
        m_committed = m_keys;
    return true;
}

FileError RegistryStore::endChange()
{
    m_dirty = true;
    if (m_batchDepth > 0)
        return {};
    m_dirty = false;
    FileError err = writeFile();
    if (err)
        m_keys = m_committed;
    return err;
}

FileError RegistryStore::writeFile() const
{
    const QString folder = QFileInfo(m_filePath).absolutePath();
    if (!QDir().mkpath(folder))
        return FileError::pathNotFound(m_filePath);
    return replaceFileContents(m_filePath, serialized());
}

QByteArray RegistryStore::serialized() const
{
    QByteArray out(kFileHeader);
    for (const Key &key : m_keys) {
        out += "\n[";
        out += encodeText(key.path, true, false);
        out += "]\n";
        for (const Value &value : key.values) {
            out += encodeName(value.name);
            out += '=';
            switch (value.kind) {
            case Kind::String:
                out += kRegistryString;
                out += ':';
                out += encodeText(value.text, false, false);
                break;
            case Kind::Number:
                out += kRegistryNumber;
                out += ':';
                out += QByteArray::number(value.number);
                break;
            case Kind::Other:
                out += value.otherKind;
                out += ':';
                out += value.text;
                break;
            }
            out += '\n';
        }
    }
    return out;
}

void RegistryStore::CreateRegistryKey(QByteArrayView keyPath)
{
    if (keyPath.isEmpty()) {
        report(QStringLiteral("Bad input to create key\r\nKey =  ") + fromWindows1252(keyPath));
        return;
    }
    const QByteArray normalized = normalizeKeyPath(keyPath);
    if (normalized.isEmpty() || !isReadable()) {
        if (m_batchDepth == 0 || !m_batchFailed)
            report(QStringLiteral("Could not create key"));
        // The writes that follow in this batch are refused without another message.
        if (m_batchDepth > 0 && !isReadable())
            m_batchFailed = true;
        return;
    }
    if (keyExists(normalized) || !beginChange())
        return;
    ensureKey(normalized);
    if (endChange())
        report(QStringLiteral("Could not close key"));
}

void RegistryStore::SetRegistryValue(QByteArrayView keyPath, QByteArrayView valueType, QByteArrayView valueName,
                                     QByteArrayView value)
{
    if (value.isEmpty())
        return;
    const QByteArray normalized = normalizeKeyPath(keyPath);
    if (normalized.isEmpty()) {
        report(QStringLiteral("Could not create key"));
        return;
    }
    Value stored;
    stored.name = valueName.toByteArray();
    bool known = true;
    if (valueType == QByteArrayView(kRegistryString)) {
        stored.kind = Kind::String;
        stored.text = value.toByteArray();
    } else if (valueType == QByteArrayView(kRegistryNumber)) {
        const std::optional<qint32> number = registryNumberFor(value);
        if (!number) {
            report(overflowError().description);
            return;
        }
        stored.kind = Kind::Number;
        stored.number = *number;
    } else {
        known = false; // the key is still created, as the registry did
    }

    const int existingKey = findKey(normalized);
    const Value *existing = findValue(normalized, valueName);
    const bool unchanged = existing && known && existing->kind == stored.kind
                           && (stored.kind == Kind::Number ? existing->number == stored.number
                                                           : existing->text == stored.text);
    if (unchanged || (!known && existingKey >= 0))
        return;
    if (!beginChange())
        return;
    QList<Value> &values = m_keys[ensureKey(normalized)].values;
    if (known) {
        auto it = std::find_if(values.begin(), values.end(),
                               [&](const Value &v) { return sameName(v.name, valueName); });
        if (it != values.end()) {
            stored.name = it->name;
            *it = std::move(stored);
        } else {
            values.append(std::move(stored));
        }
    }
    if (FileError err = endChange())
        report(err.messageText());
}

bool RegistryStore::DeleteRegistryValue(QByteArrayView keyPath, QByteArrayView valueName)
{
    const int k = findKey(normalizeKeyPath(keyPath));
    if (k < 0 || !findValue(keyPath, valueName))
        return true;
    if (!beginChange())
        return false;
    m_keys[k].values.removeIf([&](const Value &v) { return sameName(v.name, valueName); });
    if (FileError err = endChange()) {
        report(err.messageText());
        return false;
    }
    return true;
}

RegistryStore::Batch::Batch(RegistryStore &store) : m_store(&store)
{
    if (m_store->m_batchDepth++ == 0) {
        m_store->m_committed = m_store->m_keys;
        m_store->m_batchFailed = false;
        m_store->m_dirty = false;
    }
}

RegistryStore::Batch::~Batch()
{
    (void)finish();
}

bool RegistryStore::Batch::finish()
{
    if (m_finished)
        return !m_error.failed();
    m_finished = true;
    RegistryStore &store = *m_store;
    if (--store.m_batchDepth > 0)
        return true;
    const bool refused = store.m_batchFailed;
    store.m_batchFailed = false;
    if (refused)
        m_error = store.m_loadError;
    if (!store.m_dirty)
        return !refused;
    store.m_dirty = false;
    if (FileError err = store.writeFile()) {
        store.m_keys = store.m_committed;
        store.report(err.messageText());
        m_error = std::move(err);
        return false;
    }
    return !refused;
}

void RegistryStore::Batch::writeEvenIfUnchanged()
{
    if (m_store->isReadable())
        m_store->m_dirty = true;
}

FileError RegistryStore::replaceDamagedFile(const std::function<void(RegistryStore &)> &fill, QString *keptAs)
{
    keptAs->clear();
    // Whatever the file holds now is kept; a link to nothing holds nothing to keep.
    QString aside;
    if (!isMissing(m_filePath)) {
        aside = m_filePath + QStringLiteral(".damaged");
        for (int n = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n)
            aside = m_filePath + QStringLiteral(".damaged%1").arg(n);
        // A copy: the damaged file stays in place until the new one replaces it whole.
        if (FileError err = copyFileSafely(m_filePath, aside))
            return err;
    }
    const FileError damaged = m_loadError;
    const LoadFailure failure = m_loadFailure;
    m_loadError = {};
    m_loadFailure = LoadFailure::None;
    m_keys.clear();
    Batch batch(*this);
    fill(*this);
    batch.writeEvenIfUnchanged();
    if (!batch.finish()) {
        m_loadError = damaged;
        m_loadFailure = failure;
        m_keys.clear();
        if (!aside.isEmpty())
            QFile::remove(aside);
        return batch.error();
    }
    *keptAs = aside;
    return {};
}

void WriteDefaultPreferences(RegistryStore &store)
{
    using namespace RegistryKeys;
    RegistryStore::Batch batch(store);
    store.CreateRegistryKey(Base);
    store.SetRegistryValue(UserInfo, kRegistryString, "User Name", kDefaultUserName);
    store.SetRegistryValue(UserInfo, kRegistryString, "Call Sign", " ");
    for (int i = 0; i < 16; ++i) {
        const QByteArray index = '(' + digitsText(i) + ')';
        store.SetRegistryValue(ListeningLocations, kRegistryString, "Lat" + index, "430000N");
        store.SetRegistryValue(ListeningLocations, kRegistryString, "Lon" + index, "08000000W");
        store.SetRegistryValue(ListeningLocations, kRegistryString, "Location" + index,
                               "Location" + signedText(i + 1));
        store.SetRegistryValue(ListeningLocations, kRegistryString, "UTC" + index, "0");
    }
    store.SetRegistryValue(ListeningLocations, kRegistryNumber, "ListeningLocation", "0");
    for (const char *name : {"ShowLakes", "ShowStates", "ShowIslands", "ShowRivers", "ShowBorders"})
        store.SetRegistryValue(ProgramPreferences, kRegistryNumber, name, "0");
    store.SetRegistryValue(ProgramPreferences, kRegistryString, "Metric", "False");
    store.SetRegistryValue(ProgramPreferences, kRegistryNumber, "ShowDetail", "1");
    store.SetRegistryValue(RadarPreferences, kRegistryNumber, "RadarLakes", "1");
    for (const char *name : {"RadarStates", "RadarIslands", "RadarRivers", "RadarBorders"})
        store.SetRegistryValue(RadarPreferences, kRegistryNumber, name, "0");
    store.SetRegistryValue(RadarPreferences, kRegistryNumber, "RadarDetail", "1");
    for (const char *name : {"RadarAll", "RadarLogged", "RadarSession", "RadarDGPS"})
        store.SetRegistryValue(RadarPreferences, kRegistryNumber, name, "0");
    store.SetRegistryValue(RadarPreferences, kRegistryNumber, "RadarNavtex", "1");
    const QByteArray home = defaultHomeFolder();
    store.SetRegistryValue(FilePath, kRegistryString, "WeblogPath", home);
    store.SetRegistryValue(FilePath, kRegistryString, "CLEPath", home + "cle.txt");
    store.SetRegistryValue(FilePath, kRegistryString, "BeaconRadarPath", home + "radar.txt");
    for (const char *name : {"ComPort", "ComSpeed", "ComParity"})
        store.SetRegistryValue(ProgramPreferences, kRegistryNumber, name, "0");
}

} // namespace qern
