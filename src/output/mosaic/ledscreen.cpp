#include "output/mosaic/ledscreen.h"

#include <QContextMenuEvent>
#include <QMenu>

#include "app/texts.h"
#include "output/mosaic/unit_style.h"
#include "widgets/canvas_items.h"

namespace {
constexpr int kPortUnitAlpha = 120;
}

ledscreen::ledscreen(int card, int port, int id, QWidget *parent)
    : QLineEdit(parent), m_card(card), m_port(port), m_id(id)
{
    ui.setupUi(this);
    style_unit_box(this, ui.label, kPortUnitAlpha);
    ui.label->setText(port_name(card, port));
}

QString ledscreen::caption() const
{
    return ui.label->text();
}

void ledscreen::fill_menu(QMenu &menu)
{
    menu.addAction(pick_text("New", "新建"), this, &ledscreen::new_select_2_led);
    menu.addAction(pick_text("Trimming", "微调"), this, &ledscreen::trimming_alc);
    menu.addAction(pick_text("Delete", "删除"), this, &ledscreen::del_select_2_led);
    menu.addAction(pick_text("Delete All", "删除全部"), this, &ledscreen::del_all_led);
}

void ledscreen::contextMenuEvent(QContextMenuEvent *event)
{
    run_context_menu(event, [this](QMenu &menu) { fill_menu(menu); });
}

void ledscreen::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    ui.label->setGeometry(rect());
}

void ledscreen::new_select_2_led()
{
    emit new_led_2_signal();
}

void ledscreen::trimming_alc()
{
    emit trimming_alc_signal(m_card, m_port, m_id);
}

void ledscreen::del_select_2_led()
{
    emit del_win_select_signal(m_id);
}

void ledscreen::del_all_led()
{
    emit del_all_win_signal();
}
