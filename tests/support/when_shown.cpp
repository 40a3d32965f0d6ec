#include "support/when_shown.h"

#include <QTimer>

void when_shown(QWidget *dialog, std::function<void()> act)
{
    auto *poll = new QTimer(dialog);
    QObject::connect(poll, &QTimer::timeout, dialog, [dialog, poll, act] {
        if (!dialog->isVisible())
            return;
        poll->deleteLater();
        poll->stop();
        act();
    });
    poll->start(20);
}
