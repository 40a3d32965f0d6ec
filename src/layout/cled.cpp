#include "layout/cled.h"

#include <QContextMenuEvent>
#include <QMenu>

#include "app/texts.h"
#include "widgets/canvas_items.h"

cled::cled(QWidget *parent) : QWidget(parent) {}

void cled::new_create_win()
{
    emit new_create_signal();
}

void cled::del_all_win()
{
    emit del_all_signal();
}

void cled::contextMenuEvent(QContextMenuEvent *event)
{
    run_context_menu(event, [this](QMenu &menu) {
        menu.addAction(pick_text("New", "新建"), this, &cled::new_create_win);
        menu.addAction(pick_text("Delete All", "删除全部"), this, &cled::del_all_win);
    });
}
