#pragma once

#include <QObject>
#include <QQueue>
#include <QStringList>
#include <functional>

class QWidget;

// Plays the operator's part in menus and modal dialogs that a test opens:
// each step is offered the active popup menu or modal dialog from a timer
// and returns true once it has dealt with it; steps run in order.
class OperatorScript : public QObject
{
    Q_OBJECT

public:
    using Step = std::function<bool(QWidget *active)>;

    explicit OperatorScript(QObject *parent = nullptr);

    void add(const Step &step) { m_steps.enqueue(step); }
    // Chooses an entry of the active popup menu, or an entry of one of its
    // submenus, by the texts along the way; records the texts it saw.
    void choose(const QStringList &path);
    bool done() const { return m_steps.isEmpty(); }

    // The entries of the last menu seen, submenus as "title>entry".
    QStringList seen_menu;

private:
    void poll();
    QQueue<Step> m_steps;
};
