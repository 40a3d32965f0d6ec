#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

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
