#include "settings/settingqtdialog.h"

#include "install/gamefiles.h"
#include "settings/settingsmodel.h"

#include <QTimer>

SettingQtDialog::SettingQtDialog(QWidget *window, SettingsModel *model)
    : QmlHostDialog(window)
    , m_window(window)
    , m_model(model)
{
    setObjectName(QStringLiteral("SettingQtDialog"));
    SettingsModel::registerQmlType();
    setContextProperty(QStringLiteral("settingsModel"), model);
    m_loaded = load(QUrl(QStringLiteral("qrc:/settings/qml/KVSettings.qml")));

    connect(model, &SettingsModel::hideRequested, this, [this] {
        if (isVisible())
            QDialog::reject();
    });
    connect(this, &QDialog::finished, model, [model, this] {
        if (model->host() == this)
            model->setHost(nullptr);
    });
}

void SettingQtDialog::showSettings(bool canClearResource)
{
    m_model->setCanClearResource(canClearResource);
    m_model->setGameVersion(GameFiles::instance()->installedVersion());
    m_model->setHost(this);
    openOver(m_window);
    // Once the window system has placed it, in front of the main window.
    QTimer::singleShot(1, this, [this] { raise(); });
}

void SettingQtDialog::reject()
{
    m_model->closeSettings();
}
