#include "output/mosaic/cframe.h"

#include <QContextMenuEvent>
#include <QMenu>

#include "app/texts.h"
#include "widgets/canvas_items.h"

cframe::cframe(QWidget *parent) : QLineEdit(parent)
{
    setReadOnly(true);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    setStyleSheet(QStringLiteral(
        "QLineEdit{background-color: rgb(236, 240, 244);border: 1px solid rgb(90, 90, 90);}"));
}

void cframe::fill_menu(QMenu &menu)
{
    menu.addAction(pick_text("New", "新建"), this, &cframe::new_create_win);
    menu.addAction(pick_text("Delete", "删除"), this, &cframe::del_win);
}

void cframe::contextMenuEvent(QContextMenuEvent *event)
{
    run_context_menu(event, [this](QMenu &menu) { fill_menu(menu); });
}

void cframe::new_create_win()
{
    emit new_create_signal();
}

void cframe::del_all_win()
{
    emit del_all_signal();
}

void cframe::del_win()
{
    emit del_signal();
}
