#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

// A launcher installation in a temporary folder: the application directory,
// the native store and the standard paths all point into it, and the
// configuration is rebuilt for the chosen edition. Nothing touches the real
// user's files. Create one per test function.
class TestEnv
{
public:
    // `launcherType` -1 leaves "launcher_type.ini" out.
    explicit TestEnv(int launcherType = 1);
    // The same in a folder that outlives this object: a child process of a
    // test that is killed and started again keeps its installation.
    TestEnv(const QString &existingDir, int launcherType);
    ~TestEnv();

    TestEnv(const TestEnv &) = delete;
    TestEnv &operator=(const TestEnv &) = delete;

    QString appDir() const { return m_path; }
    QString filePath(const QString &relative) const;

    // Rewrites "launcher_type.ini" and rebuilds the configuration.
    void setLauncherType(int launcherType);
    void writeFile(const QString &relative, const QByteArray &content) const;

private:
    void pointInto(const QString &dir, int launcherType);

    std::unique_ptr<QTemporaryDir> m_temp;
    QString m_path;
};
