#include "output/mosaic/winclass.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>

#include "app/texts.h"
#include "output/mosaic/mosaic_codec.h"
#include "output/mosaic/unit_style.h"
#include "widgets/canvas_items.h"

namespace {

constexpr int kCopyUnitAlpha = 150;
constexpr int kEdgeBand = 5;

using PortSlot = void (winClass::*)();
const PortSlot kPortSlots[kOutputCardCount][kPortCount] = {
    {&winClass::triggered_dvi_1_outA, &winClass::triggered_dvi_2_outA,
     &winClass::triggered_dvi_3_outA, &winClass::triggered_dvi_4_outA},
    {&winClass::triggered_dvi_1_outB, &winClass::triggered_dvi_2_outB,
     &winClass::triggered_dvi_3_outB, &winClass::triggered_dvi_4_outB},
};

} // namespace

winClass::winClass(int number, int wall, int id, QWidget *parent)
    : QLineEdit(parent), m_label(new QLabel(this)), m_number(number), m_wall(wall), m_id(id)
{
    style_unit_box(this, m_label, kCopyUnitAlpha);
    m_label->setText(QStringLiteral("OutX :DVI-X--%1").arg(number));
    setMouseTracking(true);
}

QString winClass::caption() const
{
    return m_label->text();
}

void winClass::fill_menu(QMenu &menu)
{
    menu.addAction(pick_text("New", "新建"), this, &winClass::new_select_led);
    for (int card = 0; card < kOutputCardCount; ++card) {
        if (!device_data.out_card_present[card])
            continue;
        const char *name = card == 0 ? "OutA" : "OutB";
        QMenu *sub = menu.addMenu(pick_text("Output card: ", "输出卡：") + QLatin1String(name));
        for (int port = 0; port < kPortCount; ++port)
            sub->addAction(pick_text("Output port: ", "输出端口：") +
                               QStringLiteral("DVI-%1").arg(port + 1),
                           this, kPortSlots[card][port]);
    }
    menu.addAction(pick_text("Delete", "删除"), this, &winClass::del_select_led);
}

void winClass::contextMenuEvent(QContextMenuEvent *event)
{
    run_context_menu(event, [this](QMenu &menu) { fill_menu(menu); });
}

void winClass::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    m_label->setGeometry(rect());
}

bool winClass::in_inner_area(const QPoint &pos) const
{
    const bool middle_column = pos.x() >= kEdgeBand && pos.x() < width() - kEdgeBand;
    const bool middle_row = pos.y() >= kEdgeBand && pos.y() <= height() - kEdgeBand;
    return middle_column && middle_row;
}

void winClass::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QLineEdit::mousePressEvent(event);
        return;
    }
    m_dragging = true;
    m_press_inner = in_inner_area(event->pos());
    m_last_global = event->globalPos();
    event->accept();
}

void winClass::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging) {
        setCursor(in_inner_area(event->pos()) ? Qt::OpenHandCursor : Qt::ArrowCursor);
        return;
    }
    if (event->buttons() & Qt::LeftButton)
        drag_to(event->globalPos());
    event->accept();
}

void winClass::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
    event->accept();
}

// A read-only line edit would select its (empty) text; nothing to do here.
void winClass::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
}

void winClass::drag_to(const QPoint &global)
{
    emit up_copy_win_signal(m_id);
    MosaicUnit *record = codec::find_unit(device_data.unit_list, m_id);
    if (!record)
        return;
    const SizePair canvas = codec::mosaic_wall_canvas(device_data, m_wall);
    if (m_press_inner) {
        const QPoint moved = pos() + (global - m_last_global);
        const int x = codec::clamp_to_canvas(moved.x(), width(), canvas.w);
        const int y = codec::clamp_to_canvas(moved.y(), height(), canvas.h);
        move(x, y);
        record->canvas_rect.x = x;
        record->canvas_rect.y = y;
    }
    const SizePair total = codec::mosaic_wall_total(device_data, device_data.cur_out_mode, m_wall);
    const DevRect &c = record->canvas_rect;
    record->wall_rect.x = codec::wall_position(c.x, c.w, canvas.w, total.w, record->wall_rect.w);
    record->wall_rect.y = codec::wall_position(c.y, c.h, canvas.h, total.h, record->wall_rect.h);
    m_last_global = global;
}

void winClass::new_select_led()
{
    emit new_led_signal();
}

void winClass::triggered_dvi_1_outA()
{
    emit change_out_size(0, 0, m_id);
}
void winClass::triggered_dvi_2_outA()
{
    emit change_out_size(0, 1, m_id);
}
void winClass::triggered_dvi_3_outA()
{
    emit change_out_size(0, 2, m_id);
}
void winClass::triggered_dvi_4_outA()
{
    emit change_out_size(0, 3, m_id);
}
void winClass::triggered_dvi_1_outB()
{
    emit change_out_size(1, 0, m_id);
}
void winClass::triggered_dvi_2_outB()
{
    emit change_out_size(1, 1, m_id);
}
void winClass::triggered_dvi_3_outB()
{
    emit change_out_size(1, 2, m_id);
}
void winClass::triggered_dvi_4_outB()
{
    emit change_out_size(1, 3, m_id);
}

void winClass::del_select_led()
{
    emit del_led_signal(m_id);
}
