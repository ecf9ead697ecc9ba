#include "selfupdate/packagetransfer.h"

#include "install/gamefiles.h"

#include <QFile>
#include <QFileInfo>
#include <QMetaObject>

PackageTransfer::PackageTransfer(const QString &url, const QString &filePath, QObject *parent)
    : RangedTransfer(nullptr, parent)
{
    m_url = url;
    m_realfilePath = filePath;
    m_downloadFileFullPath = filePath + QStringLiteral(".tmp");
    declareContent(GameFiles::instance()->fileNameSize(url), GameFiles::instance()->fileNameMd5(url));
}

void PackageTransfer::start()
{
    // A finished file of an earlier run is checked again, as a partial file that is whole.
    if (QFileInfo(m_realfilePath).isFile()) {
        QFile::remove(m_downloadFileFullPath);
        QFile::rename(m_realfilePath, m_downloadFileFullPath);
    }
    const QFileInfo partial(m_downloadFileFullPath);
    m_resumeOffset = partial.isFile() ? partial.size() : 0;
    const qint64 expected = declaredSize();
    if (expected > 0 && m_resumeOffset > expected) {
        QFile::remove(m_downloadFileFullPath);
        m_resumeOffset = 0;
    }
    beginFile();
    startDigest();
    if (completeIfWhole())
        return;
    sendRequest(true);
}
