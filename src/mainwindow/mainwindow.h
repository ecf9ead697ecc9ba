#pragma once

#include <QWidget>

class QLabel;

// The launcher's one frameless 1280 x 720 window.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    // The single main window, built on first call on the GUI thread.
    static MainWindow *instance();

    void setLanguageCode(const QString &code);
    QString languageCode() const { return m_languageCode; }

private:
    explicit MainWindow(QWidget *parent = nullptr);
    void watchServices();

    QString m_languageCode;
    QLabel *m_status = nullptr;
    QLabel *m_gameState = nullptr;
};
