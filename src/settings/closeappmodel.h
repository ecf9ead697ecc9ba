#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QDialog;
class QmlHostDialog;

// The close question's answer while "CloseAppDialog.qml" is on screen: hide
// to the tray (minimizeOnClose) or quit (closeOnClose). The page binds both
// radio buttons both ways; the two values are kept exclusive here, so that
// the confirmed choice is always the one shown checked. The window's close
// behaviour owns the callbacks and what they store.
class CloseAppModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool minimizeOnClose READ minimizeOnClose WRITE setMinimizeOnClose NOTIFY minimizeOnCloseChanged)
    Q_PROPERTY(bool closeOnClose READ closeOnClose WRITE setCloseOnClose NOTIFY closeOnCloseChanged)
public:
    explicit CloseAppModel(QObject *parent = nullptr);

    // The QML type "CloseAppModel" of "com.kv.dialog" 1.0; once per process.
    static void registerQmlType();

    bool minimizeOnClose() const { return m_minimizeOnClose; }
    void setMinimizeOnClose(bool minimize);
    bool closeOnClose() const { return !m_minimizeOnClose; }
    void setCloseOnClose(bool close);

    void setCallbacks(std::function<void()> minimize, std::function<void()> close);
    void setHost(QDialog *host) { m_host = host; }
    QDialog *host() const { return m_host; }

public slots:
    // Closes the question; nothing is chosen.
    void closeDialog();
    // Closes the question, then runs the chosen callback.
    void confirm();

signals:
    void minimizeOnCloseChanged();
    void closeOnCloseChanged();

private:
    bool m_minimizeOnClose = true;
    std::function<void()> m_minimize;
    std::function<void()> m_close;
    QPointer<QDialog> m_host;
};

// Shows the close question over `window` (modal, without blocking) with
// `model`, which the question owns from then on (also when it fails).
// Dismissing it (Escape) chooses nothing. Null, with the reason in the log,
// when the page cannot be built.
QmlHostDialog *showCloseAppDialog(QWidget *window, CloseAppModel *model);
