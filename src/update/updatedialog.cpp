#include "update/updatedialog.h"

#include <QCoreApplication>

UpdateDialog *UpdateDialog::instance()
{
    static UpdateDialog *dialog = new UpdateDialog(QCoreApplication::instance());
    return dialog;
}

UpdateDialog::UpdateDialog(QObject *parent)
    : QObject(parent)
{ }

namespace {
// Assigns and tells the page, only when the value changes.
template<typename Signal> void assign(UpdateDialog *dialog, QString &field, const QString &value, Signal changed)
{
    if (field == value)
        return;
    field = value;
    emit(dialog->*changed)();
}
} // namespace

void UpdateDialog::setMainUrl(const QString &value)
{
    assign(this, m_mainUrl, value, &UpdateDialog::mainUrlChanged);
}

void UpdateDialog::setDownloadUrl(const QString &value)
{
    assign(this, m_downloadUrl, value, &UpdateDialog::downloadUrlChanged);
}

void UpdateDialog::setLatestVersion(const QString &value)
{
    assign(this, m_latestVersion, value, &UpdateDialog::latestVersionChanged);
}

void UpdateDialog::setUpdateMessage(const QString &value)
{
    assign(this, m_updateMessage, value, &UpdateDialog::updateMessageChanged);
}

void UpdateDialog::cancel()
{
    closeWith(m_onCancel);
}

void UpdateDialog::confirm()
{
    closeWith(m_onConfirm);
}

void UpdateDialog::closeWith(const std::function<void()> &callback)
{
    // The host is a widget in the user interface library; closing it goes
    // through the meta-object so this model needs no widgets.
    if (m_host)
        QMetaObject::invokeMethod(m_host, "close");
    m_shown = false;
    if (callback)
        callback();
}
