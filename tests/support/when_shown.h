#pragma once

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <functional>

class CCWaitDialog;

// Runs `act` once the dialog is on screen (opening may first read from the device).
void when_shown(QWidget *dialog, std::function<void()> act);

// Runs `act` once a modal dialog of type D is on screen, for dialogs a page or
// a menu entry makes of its own.
template <typename D> void when_shown(const std::function<void(D *)> &act)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        auto *d = qobject_cast<D *>(QApplication::activeModalWidget());
        if (!d || !d->isVisible())
            return;
        timer->deleteLater();
        timer->stop();
        act(d);
    });
    timer->start(20);
}

// Calls `act` for every busy dialog (CCWaitDialog) as it is shown, before the
// work it covers can end, which may be within one turn of the event loop.
struct OnBusyShown : QObject {
    explicit OnBusyShown(std::function<void(CCWaitDialog *)> act) : m_act(std::move(act))
    {
        qApp->installEventFilter(this);
    }
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    std::function<void(CCWaitDialog *)> m_act;
};
