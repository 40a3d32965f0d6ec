#include "support/operator_script.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTimer>

namespace {
constexpr int kPollMs = 20;
}

OperatorScript::OperatorScript(QObject *parent) : QObject(parent)
{
    QTimer::singleShot(kPollMs, this, &OperatorScript::poll);
}

void OperatorScript::poll()
{
    // A fresh timer each time: a step may block in a nested event loop (a menu
    // entry that opens a dialog), and a timer never fires inside its own slot.
    QTimer::singleShot(kPollMs, this, &OperatorScript::poll);
    if (m_steps.isEmpty())
        return;
    QWidget *active = QApplication::activePopupWidget();
    if (!active)
        active = QApplication::activeModalWidget();
    if (!active || !active->isVisible())
        return;
    // The step may open a modal dialog of its own, so it leaves the queue first.
    const Step step = m_steps.head();
    m_steps.dequeue();
    if (!step(active))
        m_steps.prepend(step);
}

void OperatorScript::choose(const QStringList &path)
{
    add([this, path](QWidget *active) {
        auto *menu = qobject_cast<QMenu *>(active);
        if (!menu)
            return false;
        seen_menu.clear();
        for (QAction *a : menu->actions()) {
            seen_menu << a->text();
            if (a->menu())
                for (QAction *sub : a->menu()->actions())
                    seen_menu << a->text() + ">" + sub->text();
        }
        QAction *target = nullptr;
        QList<QAction *> level = menu->actions();
        for (const QString &text : path) {
            target = nullptr;
            for (QAction *a : level)
                if (a->text() == text)
                    target = a;
            if (!target)
                break;
            if (target->menu())
                level = target->menu()->actions();
        }
        // Like a click on the entry: the menu closes, then the entry fires.
        menu->hide();
        if (target)
            target->trigger();
        return true;
    });
}
