#include "layout/itembox.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

#include "app/texts.h"
#include "device/device_data.h"
#include "layout/layout_codec.h"
#include "layout/source_menu.h"
#include "widgets/canvas_items.h"

namespace {
constexpr int kAlpha = 150;
}

itemBox::itemBox(QWidget *parent) : QLineEdit(parent)
{
    setReadOnly(true);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    ui.setupUi(this);
    // A press on a label acts on the item.
    ui.winlabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    ui.sourcelabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    setStyleSheet(item_colour_style(kAlpha));
}

void itemBox::label_item(int mode)
{
    ui.winlabel->clear();
    ui.sourcelabel->clear();
    ui.winlabel->setText(QStringLiteral("WIN%1").arg(m_win + 1));
    relabel_source(mode);
}

void itemBox::relabel_source(int mode)
{
    const QString card = codec::card_name(device_data.mode_data[mode].win_source[m_win]);
    ui.sourcelabel->setText(card.isEmpty() ? QString() : QStringLiteral("source:") + card);
}

void itemBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        m_last_pos = event->globalPos();
        m_press_zone = codec::item_zone(event->pos().x(), event->pos().y(), width(), height());
    }
    event->ignore();
}

void itemBox::mouseMoveEvent(QMouseEvent *event)
{
    setCursor(codec::zone_cursor(
        codec::item_zone(event->pos().x(), event->pos().y(), width(), height())));
    if (m_pressed && m_win >= 0) {
        const QPoint d = event->globalPos() - m_last_pos;
        DevRect &canvas = device_data.mode_data[device_data.cur_mul_mode].win_canvas[m_win];
        if (m_press_zone == codec::kZoneCentre) {
            const DevRect moved{x(), y(), canvas.w, canvas.h};
            const DevRect r =
                codec::drag_move(moved, d.x(), d.y(), device_data.canvas_w, device_data.canvas_h);
            canvas.x = r.x;
            canvas.y = r.y;
            move(r.x, r.y);
        } else {
            const DevRect geom{x(), y(), width(), height()};
            canvas = codec::drag_resize(geom, m_press_zone, d.x(), d.y(), device_data.canvas_w,
                                        device_data.canvas_h);
            setGeometry(canvas.x, canvas.y, canvas.w, canvas.h);
        }
        m_last_pos = event->globalPos();
    }
    event->ignore();
}

void itemBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_pressed) {
        m_pressed = false;
        emit change_wins_size_signal(m_win);
    }
    event->ignore();
}

void itemBox::contextMenuEvent(QContextMenuEvent *event)
{
    run_context_menu(event, [this](QMenu &menu) {
        menu.addAction(pick_text("New", "新建"), this, &itemBox::new_create_win);
        menu.addAction(pick_text("Trimming", "微调"), this, &itemBox::trimming_wins);
        menu.addAction(pick_text("Delete", "删除"), this, &itemBox::mul_del_select_win);
        menu.addAction(pick_text("Delete All", "删除全部"), this, &itemBox::mul_del_all_win);
        menu.addAction(pick_text("Up", "置顶"), this, &itemBox::up_win);
        menu.addAction(pick_text("Down", "置底"), this, &itemBox::down_win);
        menu.addAction(pick_text("Image Quality", "图像画质"), this,
                       &itemBox::mul_attribute_triggered);
        QMenu *sources = menu.addMenu(pick_text("Sources", "输入源"));
        add_source_entries(sources, m_win, this, &itemBox::triggered_inA, &itemBox::triggered_inB,
                           &itemBox::triggered_inC, &itemBox::triggered_inD);
    });
}

void itemBox::mul_del_select_win()
{
    emit mul_del_select_signal(m_win);
}

void itemBox::mul_del_all_win()
{
    emit mul_del_all_signal();
}

void itemBox::new_create_win()
{
    emit new_win_signal();
}

void itemBox::trimming_wins()
{
    emit mul_trimming_wins_signal(m_win);
}

void itemBox::mul_attribute_triggered()
{
    emit mul_attribute_signal(m_win);
}

void itemBox::up_win()
{
    emit up_win_signal(m_win);
}

void itemBox::down_win()
{
    emit down_win_signal(m_win);
}

void itemBox::set_source(int card)
{
    device_data.mode_data[device_data.cur_mul_mode].win_source[m_win] = card;
    emit send_source_in(m_win);
}

void itemBox::triggered_inA()
{
    set_source(0);
}

void itemBox::triggered_inB()
{
    set_source(1);
}

void itemBox::triggered_inC()
{
    set_source(2);
}

void itemBox::triggered_inD()
{
    set_source(3);
}
