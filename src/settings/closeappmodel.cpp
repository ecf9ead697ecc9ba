#include "settings/closeappmodel.h"

#include "widgets/qmlhostdialog.h"

#include <QDebug>
#include <QQuickWidget>
#include <QtQml>

CloseAppModel::CloseAppModel(QObject *parent)
    : QObject(parent)
{ }

void CloseAppModel::registerQmlType()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    qmlRegisterType<CloseAppModel>("com.kv.dialog", 1, 0, "CloseAppModel");
}

void CloseAppModel::setMinimizeOnClose(bool minimize)
{
    if (minimize == m_minimizeOnClose)
        return;
    m_minimizeOnClose = minimize;
    emit minimizeOnCloseChanged();
    emit closeOnCloseChanged();
}

void CloseAppModel::setCloseOnClose(bool close)
{
    setMinimizeOnClose(!close);
}

void CloseAppModel::setCallbacks(std::function<void()> minimize, std::function<void()> close)
{
    m_minimize = std::move(minimize);
    m_close = std::move(close);
}

void CloseAppModel::closeDialog()
{
    if (m_host)
        m_host->close();
    m_host = nullptr;
}

void CloseAppModel::confirm()
{
    // The callbacks may hide or end the window; copies outlive this model,
    // which the closing host deletes.
    const std::function<void()> chosen = m_minimizeOnClose ? m_minimize : m_close;
    closeDialog();
    if (!chosen) {
        qWarning() << "The close question was confirmed before its answers were set; nothing is done";
        return;
    }
    chosen();
}

QmlHostDialog *showCloseAppDialog(QWidget *window, CloseAppModel *model)
{
    CloseAppModel::registerQmlType();
    auto *host = new QmlHostDialog(window);
    host->setAttribute(Qt::WA_DeleteOnClose);
    model->setParent(host);
    model->setHost(host);
    host->setContextProperty(QStringLiteral("closeAppModel"), model);
    if (!host->load(QUrl(QStringLiteral("qrc:/Dialog/qml/CloseAppDialog.qml")))) {
        delete host;
        return nullptr;
    }
    host->openOver(window);
    // The keyboard goes to the page (Escape) rather than the window below.
    host->activateWindow();
    host->view()->setFocus();
    return host;
}
