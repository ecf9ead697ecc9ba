#include "app/launcherconfig.h"

#include "app/appversion.h"

#include "app/appdir.h"
#include "app/fileutil.h"
#include "app/posterimageinfo.h"
#include "app/processsingleton.h"
#include "platform/platform.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMutexLocker>
#include <QSettings>
#include <QTextStream>
#include <QUuid>

#include <atomic>
#include <memory>
#include <vector>

// Resources of a static library are registered by hand, outside any namespace.
static void initManifestResources()
{
    Q_INIT_RESOURCE(manifests);
}

namespace {

ProcessSingleton<LauncherConfig> s_instance;
// Configurations replaced by resetForTesting() stay alive, so that a pointer
// taken earlier on another thread never dangles.
std::vector<std::unique_ptr<LauncherConfig>> *s_retired = nullptr;

std::atomic<int> s_launcherType {-1};
QMutex s_launcherTypeMutex;

const QString kLanguageGroup = QStringLiteral("Launcher");

// A settings store opened for one operation. An unknown edition has no
// settings file: reads then give their defaults and writes go nowhere.
class Store
{
public:
    explicit Store(const QString &path)
    {
        if (!path.isEmpty()) {
            m_settings.reset(new QSettings(path, QSettings::IniFormat));
            m_settings->setIniCodec("UTF-8");
        }
    }
    QSettings *operator->() const { return m_settings.get(); }
    QSettings &operator*() const { return *m_settings; }
    explicit operator bool() const { return m_settings != nullptr; }

private:
    std::unique_ptr<QSettings> m_settings;
};

// A line that ends in an odd number of backslashes goes on on the next line
// (an even number is escaped backslashes).
bool continues(const QByteArray &line)
{
    int backslashes = 0;
    for (int i = line.size() - 1; i >= 0 && line.at(i) == '\\'; --i)
        ++backslashes;
    return backslashes % 2 == 1;
}

// Whether Qt's ini reader understands every line: blank lines, ";" comments,
// "[group]" headers and "key=value" lines (a value may continue on the next
// line after a backslash). Qt drops any other line when it rewrites the
// file, and a header without "]" swallows what follows into a mangled group.
// Qt's own verdict is no help: it parses a file once per process and caches it.
bool isReadableIni(const QByteArray &content)
{
    const QByteArray body = content.startsWith("\xEF\xBB\xBF") ? content.mid(3) : content; // Qt skips a BOM
    bool continued = false;
    for (const QByteArray &raw : body.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (continued) {
            continued = continues(line);
            continue;
        }
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        if (line.startsWith('[')) {
            if (!line.contains(']'))
                return false;
            continue;
        }
        if (!line.contains('='))
            return false;
        continued = continues(line);
    }
    return true;
}

QString groupKey(const QString &group, const QString &key)
{
    return group + QLatin1Char('/') + key;
}

} // namespace

LauncherConfig *LauncherConfig::instance()
{
    QStringList warnings;
    LauncherConfig *config = s_instance.get([&warnings] {
        auto *built = new LauncherConfig;
        warnings.swap(built->m_buildWarnings);
        return built;
    });
    // Reported only now, by the thread that built it: the log handler itself
    // asks for the configuration, so a message sent while the slot's mutex is
    // held would wait on it for ever.
    for (const QString &warning : qAsConst(warnings))
        qWarning().noquote() << warning;
    return config;
}

void LauncherConfig::resetForTesting()
{
    QMutexLocker typeLock(&s_launcherTypeMutex); // also guards s_retired
    if (LauncherConfig *old = s_instance.take()) {
        if (!s_retired)
            s_retired = new std::vector<std::unique_ptr<LauncherConfig>>;
        s_retired->emplace_back(old);
    }
    s_launcherType = -1;
}

LauncherConfig::LauncherConfig()
{
    initManifestResources();
    const QString resource = manifestResource(launcherType());
    if (!resource.isEmpty()) {
        QFile file(resource);
        if (file.open(QIODevice::ReadOnly))
            m_manifest = parseManifest(&file);
        else
            m_buildWarnings.append(QStringLiteral("Can not open the manifest %1").arg(resource));
    }
    const QString settings = settingsFileName(launcherType());
    if (!settings.isEmpty()) {
        QSettings store(AppDir::filePath(settings), QSettings::IniFormat);
        bool ok = false;
        const int level = store.value(QStringLiteral("Launcher/loglevel"), -1).toInt(&ok);
        m_logLevel = ok ? level : -1;
    }
}

namespace {
// The edition file is read from the launcher's folder; a launcher that keeps
// its data in the user's data folder falls back to the one installed beside it.
QString editionFolder()
{
    const QString name = QStringLiteral("/launcher_type.ini");
    if (AppDir::keepsDataBesideProgram() || QFile::exists(AppDir::path() + name))
        return AppDir::path();
    return AppDir::programPath();
}
} // namespace

int LauncherConfig::launcherType()
{
    int type = s_launcherType.load();
    if (type != -1)
        return type;
    QString problem;
    {
        QMutexLocker lock(&s_launcherTypeMutex);
        if (s_launcherType.load() != -1)
            return s_launcherType.load();
        type = readLauncherType(editionFolder(), &problem);
        s_launcherType = type;
    }
    if (!problem.isEmpty()) // after the lock: the log handler asks for the edition too
        qWarning().noquote() << problem;
    return type;
}

int LauncherConfig::readLauncherType(const QString &appDir, QString *problem)
{
    const auto global = [problem](const QString &why) {
        if (problem)
            *problem = why;
        return 1;
    };
    QFile file(appDir + QStringLiteral("/launcher_type.ini"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return global(QStringLiteral("Can not read the launcherType"));
    QTextStream in(&file);
    in.setCodec("UTF-8");
    QString line;
    if (!in.readLineInto(&line) || in.status() != QTextStream::Ok)
        return global(QStringLiteral("Can not read the launcherType"));
    bool ok = false;
    const int type = line.trimmed().toInt(&ok);
    if (!ok)
        return global(QStringLiteral("Can not read the launcherType: \"%1\" is no edition number; the global edition "
                                     "is used")
                          .arg(line.trimmed().left(40)));
    if (problem)
        problem->clear();
    return type;
}

QString LauncherConfig::manifestResource(int launcherType)
{
    switch (launcherType) {
    case 0:
        return QStringLiteral(":/mainwindow/launchermanifest-cn.ini");
    case 1:
        return QStringLiteral(":/mainwindow/launchermanifest.ini");
    case 2:
        return QStringLiteral(":/mainwindow/launchermanifest-jp.ini");
    case 3:
        return QStringLiteral(":/mainwindow/launchermanifest-kr.ini");
    default:
        return {};
    }
}

QString LauncherConfig::settingsFileName(int launcherType)
{
    switch (launcherType) {
    case 0:
        return QStringLiteral("config_cn.ini");
    case 1:
        return QStringLiteral("config.ini");
    case 2:
        return QStringLiteral("config_jp.ini");
    case 3:
        return QStringLiteral("config_kr.ini");
    default:
        return {};
    }
}

QMap<QString, QString> LauncherConfig::parseManifest(QIODevice *device)
{
    QMap<QString, QString> values;
    bool firstLine = true;
    while (!device->atEnd()) {
        const QByteArray raw = device->readLine();
        QString line = QString::fromUtf8(raw).simplified();
        // A byte-order mark stays in front of the first line (the decoder
        // would drop it), so that line is neither a comment nor a known key.
        if (firstLine && raw.startsWith("\xEF\xBB\xBF") && !line.startsWith(QChar(0xFEFF)))
            line.prepend(QChar(0xFEFF));
        firstLine = false;
        if (line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList parts = line.split(QLatin1Char('='));
        if (parts.size() < 2)
            continue;
        values.insert(parts.at(0), parts.at(1));
    }
    return values;
}

QString LauncherConfig::manifestValue(const QString &key) const
{
    return m_manifest.value(key);
}

QString LauncherConfig::settingsPath() const
{
    const QString name = settingsFileName(launcherType());
    if (name.isEmpty()) {
        qInfo("Can not find the launcherType");
        return {};
    }
    return AppDir::filePath(name);
}

int LauncherConfig::readInt(const QString &group, const QString &key) const
{
    Store store(settingsPath());
    if (!store)
        return -1;
    bool ok = false;
    const int value = store->value(groupKey(group, key), -1).toInt(&ok);
    return ok ? value : -1;
}

QString LauncherConfig::readString(const QString &group, const QString &key) const
{
    Store store(settingsPath());
    return store ? store->value(groupKey(group, key)).toString() : QString();
}

bool LauncherConfig::readBool(const QString &group, const QString &key, bool defaultValue) const
{
    Store store(settingsPath());
    return store ? store->value(groupKey(group, key), defaultValue).toBool() : defaultValue;
}

QVariant LauncherConfig::readValue(const QString &group, const QString &key, const QVariant &defaultValue) const
{
    Store store(settingsPath());
    return store ? store->value(groupKey(group, key), defaultValue) : defaultValue;
}

QStringList LauncherConfig::keys(const QString &group) const
{
    Store store(settingsPath());
    if (!store)
        return {};
    store->beginGroup(group);
    return store->childKeys();
}

QStringList LauncherConfig::groups() const
{
    Store store(settingsPath());
    if (!store)
        return {};
    return store->childGroups();
}

void LauncherConfig::modifySettings(const std::function<void(QSettings &)> &change)
{
    const QString path = settingsPath();
    if (path.isEmpty())
        return;
    // Qt rewrites a file it could not parse without the lines it did not
    // understand (and may file later keys under a mangled group): the bytes
    // as they were are kept aside before that happens.
    QByteArray before;
    {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            before = file.readAll();
    }
    bool kept = false;
    if (!isReadableIni(before)) {
        // Nothing is rewritten unless the old content is safe.
        if (!keepUnparsableCopy(path, before))
            return;
        kept = true;
    }
    Store store(path);
    change(*store);
    store->sync();
    const QSettings::Status status = store->status();
    if (status == QSettings::NoError)
        return;

    QByteArray after;
    {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            after = file.readAll();
    }
    if (status == QSettings::AccessError) {
        qWarning().noquote() << QStringLiteral("Can not write the settings file %1").arg(path);
        return;
    }
    // Qt keeps the first error only, so a format error may also hide a write
    // that did not happen: then the file is as it was, and nothing is lost.
    if (after == before) {
        qWarning().noquote()
            << QStringLiteral("The settings file %1 has lines that could not be read; it was not changed").arg(path);
        return;
    }
    if (!kept) // Qt found a fault the check above did not know about
        keepUnparsableCopy(path, before);
}

bool LauncherConfig::keepUnparsableCopy(const QString &path, const QByteArray &content)
{
    const QString base = path + QStringLiteral(".bad-") + QDate::currentDate().toString(Qt::ISODate);
    QString copy = base;
    for (int n = 2; QFile::exists(copy); ++n) {
        QFile existing(copy);
        if (existing.open(QIODevice::ReadOnly) && existing.readAll() == content)
            return true; // this very content was kept already
        copy = base + QLatin1Char('-') + QString::number(n);
    }
    QFile file(copy);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.flush()) {
        file.remove();
        qWarning().noquote() << QStringLiteral("The settings file %1 has lines that cannot be read and cannot be "
                                               "kept as %2; it is left unchanged and the setting is not stored")
                                    .arg(path, copy);
        return false;
    }
    qWarning().noquote() << QStringLiteral("The settings file %1 has lines that cannot be read; it is rewritten "
                                           "without them and its old content is kept as %2")
                                .arg(path, copy);
    return true;
}

void LauncherConfig::writeValue(const QString &group, const QString &key, const QVariant &value)
{
    modifySettings([&](QSettings &store) { store.setValue(groupKey(group, key), value); });
}

void LauncherConfig::writeInt(const QString &group, const QString &key, int value)
{
    writeValue(group, key, value);
}

void LauncherConfig::writeBool(const QString &group, const QString &key, bool value)
{
    writeValue(group, key, value);
}

void LauncherConfig::writeString(const QString &group, const QString &key, const QString &value)
{
    writeValue(group, key, value);
}

void LauncherConfig::removeKey(const QString &group, const QString &key)
{
    modifySettings([&](QSettings &store) { store.remove(groupKey(group, key)); });
}

void LauncherConfig::removeGroup(const QString &group)
{
    modifySettings([&](QSettings &store) { store.remove(group); });
}

void LauncherConfig::clearSettings()
{
    modifySettings([](QSettings &store) { store.clear(); });
}

void LauncherConfig::setLanguageIndex(int index)
{
    m_languageIndex = index;
    writeInt(kLanguageGroup, QStringLiteral("language_index"), index);
}

int LauncherConfig::languageIndex() const
{
    return m_languageIndex;
}

QString LauncherConfig::deviceIdFromSources(const QString &hardwareUuid, const QString &volumeSerial)
{
    QString candidate = hardwareUuid.trimmed();
    // Boards without a real UUID report one made of F digits.
    if (candidate.isEmpty() || candidate.startsWith(QLatin1String("FFFFFFFF-"), Qt::CaseInsensitive))
        candidate = volumeSerial.trimmed();
    if (candidate.isEmpty())
        candidate = QUuid::createUuid().toString(QUuid::Id128);
    return candidate;
}

QString LauncherConfig::deviceId()
{
    QMutexLocker lock(&m_deviceIdMutex);
    if (!m_deviceId.isEmpty())
        return m_deviceId;
    m_deviceId = registryValue(QStringLiteral("laucher_deviceid"));
    if (!m_deviceId.isEmpty())
        return m_deviceId;
    m_deviceId = deviceIdFromSources(Platform::hardwareUuid(), Platform::systemVolumeSerial());
    setRegistryValue(QStringLiteral("laucher_deviceid"), m_deviceId);
    return m_deviceId;
}

bool LauncherConfig::hasNativeStore() const
{
    // An unknown edition has no manifest, so no maker and edition to file its
    // values under: Qt would put them in a shared "Unknown Organization" store.
    return !manifestValue(QStringLiteral("companyname")).isEmpty()
        && !manifestValue(QStringLiteral("projectgroupname")).isEmpty();
}

QString LauncherConfig::registryValue(const QString &name) const
{
    if (!hasNativeStore())
        return {};
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, manifestValue(QStringLiteral("companyname")),
        manifestValue(QStringLiteral("projectgroupname")));
    return store.value(name).toString();
}

void LauncherConfig::setRegistryValue(const QString &name, const QString &value)
{
    if (!hasNativeStore())
        return;
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, manifestValue(QStringLiteral("companyname")),
        manifestValue(QStringLiteral("projectgroupname")));
    store.setValue(name, value);
    store.sync();
    if (store.status() != QSettings::NoError)
        qWarning() << "Can not write the registry value" << name;
}

void LauncherConfig::removeRegistryValue(const QString &name)
{
    if (!hasNativeStore())
        return;
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, manifestValue(QStringLiteral("companyname")),
        manifestValue(QStringLiteral("projectgroupname")));
    store.remove(name);
    store.sync();
}

QString LauncherConfig::applicationVersion()
{
    return QString::fromLatin1(quillmereBuildVersion());
}

QString LauncherConfig::currentPosterPath()
{
    return currentPosterPath(QDateTime::currentSecsSinceEpoch());
}

QString LauncherConfig::currentPosterPath(qint64 nowSeconds)
{
    const QString launcher = QStringLiteral("Launcher");
    const QString next = readString(launcher, QStringLiteral("poster_next"));
    const QString current = readString(launcher, QStringLiteral("poster_current"));
    std::optional<PosterImageInfo> chosen;
    if (!next.isEmpty() && next != current) {
        const std::optional<PosterImageInfo> nextInfo = PosterImageInfo::fromStored(next);
        if (nextInfo && nextInfo->onlineTime <= nowSeconds) {
            writeString(launcher, QStringLiteral("poster_current"), next);
            chosen = nextInfo;
        }
    }
    if (!chosen)
        chosen = PosterImageInfo::fromStored(current);
    if (!chosen)
        return QString();
    const QString path = chosen->imagePath();
    if (!QFileInfo::exists(path)) {
        writeString(launcher, QStringLiteral("poster_current"), QString());
        return QString();
    }
    if (chosen->matches(FileUtil::md5OfFile(path)))
        return path;
    QFile::remove(path);
    return QString();
}

// The updater and the launcher are program files: they live in the program
// folder, also when the data lives in the user's data folder.
QString LauncherConfig::updaterDir() const
{
    return AppDir::programFilePath(QStringLiteral("updateProgram/"));
}

QString LauncherConfig::updaterStagingDir() const
{
    return AppDir::programFilePath(QStringLiteral("updateProgram2/"));
}

QString LauncherConfig::launcherPath() const
{
    return QDir::toNativeSeparators(AppDir::programFilePath(manifestValue(QStringLiteral("appLauncherFile"))));
}

QString LauncherConfig::autoStartName() const
{
    return QFileInfo(manifestValue(QStringLiteral("appLauncherFile"))).completeBaseName();
}

bool LauncherConfig::isAutoStartEnabled() const
{
    return Platform::isAutoStartRegistered(autoStartName(), launcherPath());
}

void LauncherConfig::setAutoStart(bool enabled)
{
    if (!Platform::setAutoStart(autoStartName(), launcherPath(), enabled))
        qWarning() << "Can not change the auto-start entry" << autoStartName();
}
