#include "support/when_shown.h"

#include <QTimer>

#include "device/ccwaitdialog.h"

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

bool OnBusyShown::eventFilter(QObject *object, QEvent *event)
{
    if (event->type() == QEvent::Show)
        if (auto *busy = qobject_cast<CCWaitDialog *>(object))
            m_act(busy);
    return false;
}
