#include "Preferences.h"

#include <algorithm>

#include "Geodesy.h"
#include "Text.h"

namespace qern {

namespace {

QByteArray indexedName(const char *base, int index)
{
    return QByteArray(base) + '(' + digitsText(index) + ')';
}

// Collects the errors of a load, one setting at a time: a setting that fails keeps
// its earlier state and the load goes on with the next.
class Loader {
public:
    Loader(const RegistryStore &store, QList<ConversionError> &errors) : m_store(store), m_errors(errors) {}

    QByteArray text(const char *key, QByteArrayView name) const { return m_store.GetRegistryValue(key, name); }

    std::optional<int> strict16(const char *key, QByteArrayView name)
    {
        const StrictResult r = strictToInt16(text(key, name));
        if (!r.ok()) {
            m_errors.append(*r.error);
            return std::nullopt;
        }
        return static_cast<int>(r.value);
    }

    // The numeric value of the text, rounded into a 16-bit integer.
    std::optional<int> rounded16(const char *key, QByteArrayView name)
    {
        const double value = roundHalfEven(numericValue(text(key, name)));
        if (value < -32768.0 || value > 32767.0) {
            m_errors.append(overflowError());
            return std::nullopt;
        }
        return static_cast<int>(value);
    }

    CheckValue check(const char *key, QByteArrayView name)
    {
        return inRange(strict16(key, name), 0, 2);
    }

    std::optional<int> inRange(std::optional<int> value, int min, int max)
    {
        if (value && (*value < min || *value > max)) {
            m_errors.append(invalidPropertyValueError());
            return std::nullopt;
        }
        return value;
    }

    // A list index: -1 selects nothing, and so does an index the list does not have.
    std::optional<int> listIndex(const char *key, QByteArrayView name, int count)
    {
        const std::optional<int> value = strict16(key, name);
        if (value && (*value < -1 || *value >= count))
            return -1;
        return value;
    }

private:
    const RegistryStore &m_store;
    QList<ConversionError> &m_errors;
};

} // namespace

PathParts splitFolderAndFile(QByteArrayView path)
{
    qsizetype separator = -1;
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (path[i] == '/' || path[i] == '\\') {
            separator = i;
            break;
        }
    }
    if (separator < 0)
        return {QByteArray(), path.toByteArray()};
    // "/radar.txt": the folder is the root itself, not the program folder.
    const qsizetype folderLength = separator == 0 ? 1 : separator;
    return {path.first(folderLength).toByteArray(), path.sliced(separator + 1).toByteArray()};
}

LoadedPreferences LoadPreferences(const RegistryStore &store, const PreferencesContext &context)
{
    using namespace RegistryKeys;
    LoadedPreferences p;
    Loader load(store, p.errors);

    const int portCount = static_cast<int>(std::min<qsizetype>(context.portsFound.size(), kMaxGpsPorts));
    p.GpsPortFound = portCount > 0;
    for (int n = 1; n <= portCount; ++n)
        p.portItems.append(digitsText(n));

    for (int i = 0; i < kPreferenceLocations; ++i) {
        p.LocationLat[i] = load.text(ListeningLocations, indexedName("Lat", i));
        p.LocationLon[i] = load.text(ListeningLocations, indexedName("Lon", i));
    }

    int current = context.currentLocationIndex;
    if (current < 0 || current >= kPreferenceLocations)
        current = 0;
    if (const std::optional<int> index = load.strict16(ListeningLocations, "ListeningLocation")) {
        if (*index < 0 || *index >= kPreferenceLocations) {
            p.errors.append(subscriptOutOfRangeError());
        } else {
            p.CurrentLocationIndex = *index;
            current = *index;
        }
    }
    p.LocationName = load.text(ListeningLocations, indexedName("Location", current));

    const QthDegrees here = ComputeQTHDegrees(p.LocationLat[current], p.LocationLon[current]);
    p.BeaconLatitudeDeg = roundToDecimals(here.latitude, 4);
    p.BeaconLongitudeDeg = roundToDecimals(here.longitude, 4);
    p.LocationLocator = MakeLocator(p.BeaconLatitudeDeg, p.BeaconLongitudeDeg);

    if (p.GpsPortFound) {
        p.ComPortIndex = load.listIndex(ProgramPreferences, "ComPort", portCount);
        p.ComSpeedIndex = load.listIndex(ProgramPreferences, "ComSpeed", static_cast<int>(kComSpeeds.size()));
        p.ComParityIndex = load.listIndex(ProgramPreferences, "ComParity", kComParityCount);
    }

    for (int i = 0; i < kPreferenceLocations; ++i) {
        const QByteArray name = load.text(ListeningLocations, indexedName("Location", i));
        p.LocationListItems[i] = name.isEmpty() ? QByteArray(kEmptyLocationName) : name;
    }
    p.DXLoggerSignature = load.text(ProgramPreferences, "DXLoggerSignature");

    p.ShowLakes = load.check(ProgramPreferences, "ShowLakes");
    p.ShowStates = load.check(ProgramPreferences, "ShowStates");
    p.ShowIslands = load.check(ProgramPreferences, "ShowIslands");
    p.ShowRivers = load.check(ProgramPreferences, "ShowRivers");
    p.ShowBorders = load.check(ProgramPreferences, "ShowBorders");
    p.Metric = load.text(ProgramPreferences, "Metric") == "True";

    p.DistanceFilterValue = load.rounded16(ProgramPreferences, "DistanceFilter");
    p.DistanceFilterEnabled = load.rounded16(ProgramPreferences, "DistanceFilterEnable");
    if (p.DistanceFilterEnabled)
        p.DistanceFilterOn = *p.DistanceFilterEnabled == 1;

    p.ShowDetail = load.inRange(load.rounded16(ProgramPreferences, "ShowDetail"), context.showDetailMin,
                                context.showDetailMax);
    p.WeblogFolder = load.text(FilePath, "WeblogPath");

    p.RadarLakes = load.check(RadarPreferences, "RadarLakes");
    p.RadarStates = load.check(RadarPreferences, "RadarStates");
    p.RadarIslands = load.check(RadarPreferences, "RadarIslands");
    p.RadarRivers = load.check(RadarPreferences, "RadarRivers");
    p.RadarBorders = load.check(RadarPreferences, "RadarBorders");
    p.RadarDetail = load.inRange(load.strict16(RadarPreferences, "RadarDetail"), context.radarDetailMin,
                                 context.radarDetailMax);
    p.RadarAll = load.check(RadarPreferences, "RadarAll");
    p.RadarLogged = load.check(RadarPreferences, "RadarLogged");
    p.RadarDGPS = load.check(RadarPreferences, "RadarDGPS");
    p.RadarNavtex = load.check(RadarPreferences, "RadarNavtex");
    p.RadarSession = load.check(RadarPreferences, "RadarSession");

    const QByteArray radarPath = load.text(FilePath, "BeaconRadarPath");
    if (radarPath.isEmpty()) {
        p.txtBeaconRadar = defaultHomeFolder();
    } else {
        const PathParts parts = splitFolderAndFile(radarPath);
        p.BeaconRadarFolder = parts.folder;
        p.BeaconRadarFile = parts.file;
        p.txtBeaconRadar = radarPath;
    }
    return p;
}

std::array<QByteArray, kPreferenceLocations> storedLocationNames(const RegistryStore &store)
{
    std::array<QByteArray, kPreferenceLocations> names;
    for (int i = 0; i < kPreferenceLocations; ++i) {
        const QByteArray name = store.GetRegistryValue(RegistryKeys::ListeningLocations, indexedName("Location", i));
        names[i] = trimBlanks(name).isEmpty() ? QByteArray(kEmptyLocationName) : name;
    }
    return names;
}

qint32 distanceFilterToStore(QByteArrayView text)
{
    const double value = roundHalfEven(numericValue(text));
    return static_cast<qint32>(std::clamp(value, 0.0, 32767.0));
}

bool SavePreferences(RegistryStore &store, const PreferencesToSave &values)
{
    using namespace RegistryKeys;
    RegistryStore::Batch batch(store);
    store.CreateRegistryKey(Base);
    for (int i = 0; i < kPreferenceLocations; ++i) {
        store.SetRegistryValue(ListeningLocations, kRegistryString, indexedName("Lat", i), values.LocationLat[i]);
        store.SetRegistryValue(ListeningLocations, kRegistryString, indexedName("Lon", i), values.LocationLon[i]);
        store.SetRegistryValue(ListeningLocations, kRegistryString, indexedName("Location", i),
                               values.LocationListItems[i]);
    }
    // A cleared signature is the user's choice: it must not come back on the next start.
    if (values.DXLoggerSignature.isEmpty())
        (void)store.DeleteRegistryValue(ProgramPreferences, "DXLoggerSignature");
    else
        store.SetRegistryValue(ProgramPreferences, kRegistryString, "DXLoggerSignature", values.DXLoggerSignature);
    store.SetRegistryValue(ProgramPreferences, kRegistryNumber, "DistanceFilter",
                           digitsText(distanceFilterToStore(values.DistanceFilterText)));
    store.SetRegistryValue(ProgramPreferences, kRegistryString, "DistanceFilterEnable",
                           signedText(values.DistanceFilterEnabled));
    store.SetRegistryValue(ProgramPreferences, kRegistryNumber, "ShowLakes", digitsText(values.ShowLakes));
    store.SetRegistryValue(ProgramPreferences, kRegistryNumber, "ShowStates", digitsText(values.ShowStates));
    store.SetRegistryValue(ProgramPreferences, kRegistryNumber, "ShowIslands", digitsText(values.ShowIslands));
    store.SetRegistryValue(ProgramPreferences, kRegistryNumber, "ShowRivers", digitsText(values.ShowRivers));
    store.SetRegistryValue(ProgramPreferences, kRegistryNumber, "ShowBorders", digitsText(values.ShowBorders));
    store.SetRegistryValue(ProgramPreferences, kRegistryString, "Metric", values.Metric ? "True" : "False");
    store.SetRegistryValue(ProgramPreferences, kRegistryNumber, "ShowDetail", digitsText(values.ShowDetail));
    store.SetRegistryValue(ProgramPreferences, kRegistryNumber, "ComPort", digitsText(values.ComPortIndex));
    store.SetRegistryValue(ProgramPreferences, kRegistryNumber, "ComSpeed", digitsText(values.ComSpeedIndex));
    store.SetRegistryValue(ProgramPreferences, kRegistryNumber, "ComParity", digitsText(values.ComParityIndex));
    store.SetRegistryValue(ListeningLocations, kRegistryNumber, "ListeningLocation",
                           digitsText(values.selectedLocationIndex));
    return batch.finish();
}

} // namespace qern
