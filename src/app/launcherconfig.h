#pragma once

#include <QIODevice>
#include <QMap>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

class QSettings;

// The launcher's configuration: which edition runs, that edition's read-only
// manifest, the per-edition settings store beside the executable, and the few
// values kept in the native store (registry on Windows, an ini file under the
// user's config folder elsewhere).
//
// Every settings and native-store access opens its own short-lived store
// object, so the class can be used from any thread and every write is on disk
// when the call returns.
class LauncherConfig
{
public:
    static LauncherConfig *instance();

    // The edition number: 0 mainland China, 1 global, 2 Japan, 3 Korea.
    // Read from "launcher_type.ini" once per process.
    static int launcherType();

    // Reads the edition file of `appDir`. 1, the global edition, when it
    // cannot be read or its first line is not a number; *problem then says
    // why (it stays empty when the file named an edition).
    static int readLauncherType(const QString &appDir, QString *problem = nullptr);

    // The manifest resource and settings file name of an edition; empty for an unknown one.
    static QString manifestResource(int launcherType);
    static QString settingsFileName(int launcherType);

    // Parses manifest text: comments, blank collapsing, the value cut at the
    // second "=". A later key replaces an earlier one.
    static QMap<QString, QString> parseManifest(QIODevice *device);

    // Picks the device id from the hardware identifier and the volume serial;
    // a random 32-digit id when neither is usable.
    static QString deviceIdFromSources(const QString &hardwareUuid, const QString &volumeSerial);

    // The launcher's version ("2.8.0").
    static QString applicationVersion();

    QString manifestValue(const QString &key) const;
    QMap<QString, QString> manifest() const { return m_manifest; }

    QString settingsPath() const;
    int logLevel() const { return m_logLevel; }

    int readInt(const QString &group, const QString &key) const;
    QString readString(const QString &group, const QString &key) const;
    bool readBool(const QString &group, const QString &key, bool defaultValue = true) const;
    QVariant readValue(const QString &group, const QString &key, const QVariant &defaultValue = QVariant()) const;
    QStringList keys(const QString &group) const;
    QStringList groups() const;
    void writeInt(const QString &group, const QString &key, int value);
    void writeBool(const QString &group, const QString &key, bool value);
    void writeString(const QString &group, const QString &key, const QString &value);
    void writeValue(const QString &group, const QString &key, const QVariant &value);
    void removeKey(const QString &group, const QString &key);
    void removeGroup(const QString &group);
    void clearSettings();

    // The UI language index 0..4, -1 before the start chose one. Setting it
    // also stores it as "language_index".
    void setLanguageIndex(int index);
    int languageIndex() const;

    QString deviceId();
    QString gclid() const { return registryValue(QStringLiteral("laucher_gclid")); }
    QString adFid() const { return registryValue(QStringLiteral("laucher_adFid")); }

    // Values under the maker's and edition's key of the native store; an
    // unknown edition has none (reads give empty, writes go nowhere).
    QString registryValue(const QString &name) const;
    void setRegistryValue(const QString &name, const QString &value);
    void removeRegistryValue(const QString &name);

    // The poster image to show, or empty. The "next" poster becomes the
    // current one once its online time (seconds) is not later than `nowSeconds`;
    // a stored image whose digest no longer matches is deleted.
    QString currentPosterPath(qint64 nowSeconds);
    QString currentPosterPath();

    QString updaterDir() const; // program folder + "/updateProgram/"
    QString updaterStagingDir() const; // program folder + "/updateProgram2/"

    // The launcher executable named by the manifest and its auto-start name.
    QString launcherPath() const;
    QString autoStartName() const;
    bool isAutoStartEnabled() const;
    void setAutoStart(bool enabled);

    // Test support: forgets the edition and rebuilds the configuration on the
    // next instance() call. Pointers handed out earlier stay valid until then.
    static void resetForTesting();

private:
    LauncherConfig();

    // Opens the settings store, applies `change` and writes it. A file Qt
    // could not parse is kept as "<file>.bad-<yyyy-MM-dd>" before it is
    // rewritten; an unknown edition has no store and nothing happens.
    void modifySettings(const std::function<void(QSettings &)> &change);
    static bool keepUnparsableCopy(const QString &path, const QByteArray &content);
    bool hasNativeStore() const;

    QMap<QString, QString> m_manifest;
    int m_languageIndex = -1;
    int m_logLevel = -1;
    QString m_deviceId;
    mutable QMutex m_deviceIdMutex;
    QStringList m_buildWarnings; // reported once the instance is published
};
