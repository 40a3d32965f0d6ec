#include "widgets/canvas_items.h"

#include <QContextMenuEvent>
#include <QMenu>

QString item_colour_style(int alpha)
{
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    // Drawn blue first, then green, then red.
    const int blue = qrand() % 200;
    const int green = qrand() % 255;
    const int red = qrand() % 255;
    QT_WARNING_POP
    return QStringLiteral("QLineEdit{background-color: rgba(%1, %2, %3,%4);}")
        .arg(red)
        .arg(green)
        .arg(blue)
        .arg(alpha);
}

void run_context_menu(QContextMenuEvent *event, const std::function<void(QMenu &)> &fill)
{
    QMenu menu;
    fill(menu);
    menu.exec(event->globalPos());
    event->accept();
}
