// LED wall splicing on the output page: the wall totals, the unit screens of
// the ports, the port rectangles derived from them, and the wall of each unit
// kept in the settings file.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "app/tesselview.h"
#include "app/texts.h"
#include "device/codec.h"
#include "device/device_data.h"
#include "output/output_codec.h"
#include "widgets/bounded_validator.h"
#include "widgets/dialog_fields.h"

namespace {

constexpr int kUnitRectsWaitMs = 500;
constexpr int kDerivedRectsWaitMs = 500;
constexpr int kLedSizeWaitMs = 300;
constexpr int kUnitCount = kOutputCardCount * kPortCount;

// Non-numeric text reads as 0.
int field_value(const QLineEdit *edit)
{
    return edit->text().toInt();
}

} // namespace

// ---- led_screen in the settings file ---------------------------------------

void TesselView::load_led_screen(int mode)
{
    ModeData &m = device_data.mode_data[mode];
    m_settings->beginGroup(codec::led_screen_group(mode));
    for (int i = 0; i < kUnitCount; ++i)
        m.led_screen[i] = m_settings->value(codec::led_screen_key(i), 0).toInt();
    m_settings->endGroup();
}

void TesselView::store_led_screen(int mode, int index)
{
    m_settings->beginGroup(codec::led_screen_group(mode));
    m_settings->setValue(codec::led_screen_key(index),
                         device_data.mode_data[mode].led_screen[index]);
    m_settings->endGroup();
    m_settings->sync();
}

void TesselView::copy_led_screen(int source, int target)
{
    ModeData &to = device_data.mode_data[target];
    m_settings->beginGroup(codec::led_screen_group(target));
    for (int i = 0; i < kUnitCount; ++i) {
        to.led_screen[i] = device_data.mode_data[source].led_screen[i];
        m_settings->setValue(codec::led_screen_key(i), to.led_screen[i]);
    }
    m_settings->endGroup();
    m_settings->sync();
}

void TesselView::reset_led_screen()
{
    for (int mode = 0; mode < kModeCount; ++mode) {
        m_settings->beginGroup(codec::led_screen_group(mode));
        for (int i = 0; i < kUnitCount; ++i) {
            device_data.mode_data[mode].led_screen[i] = 0;
            m_settings->setValue(codec::led_screen_key(i), 0);
        }
        m_settings->endGroup();
    }
    m_settings->sync();
}

// ---- Page ------------------------------------------------------------------

void TesselView::setup_led_page()
{
    connect(ui.comboBo_select, QOverload<int>::of(&QComboBox::activated), this,
            &TesselView::activated_comboBo_select);
    connect(ui.setButton_size, &QPushButton::clicked, this, &TesselView::clicked_size_set_btn);
    connect(ui.pushButton, &QPushButton::clicked, this, &TesselView::save_led_screen_size);
}

void TesselView::set_combox_select_lau()
{
    const int current = ui.comboBo_select->currentIndex();
    ui.comboBo_select->clear();
    for (int wall = 1; wall <= codec::kWallCount; ++wall)
        ui.comboBo_select->addItem(pick_text("LED Wall %1", "拼接屏 %1").arg(wall));
    ui.comboBo_select->setCurrentIndex(current < 0 ? 0 : current);
}

void TesselView::show_led_fields()
{
    const ModeData &m = device_data.mode_data[device_data.cur_out_mode];
    show_rect(unit_edits(), m.unit_rect[device_data.out_card_sel][device_data.out_port_sel]);
}

// The totals of the single wall, or wall 1 of four, as the page opens or a mode is chosen.
void TesselView::read_led_sizes()
{
    const ModeData &m = device_data.mode_data[device_data.cur_out_mode];
    if (device_data.mosaic_on) {
        if (direct_read(proto::kReadWallSizes, 0) == proto::kWallSizesReplyLength)
            codec::decode_wall_sizes(rx_reply(), device_data);
        ui.comboBo_select->setEnabled(true);
        ui.comboBo_select->setCurrentIndex(0);
        ui.wEdit->setText(QString::number(m.wall_size[0].w));
        ui.hEdit->setText(QString::number(m.wall_size[0].h));
    } else {
        if (direct_read(proto::kReadLedTotals, 0) == proto::kLedTotalsReplyLength)
            codec::decode_led_totals(rx_reply(), device_data);
        ui.comboBo_select->setEnabled(false);
        ui.wEdit->setText(QString::number(m.out_total_w));
        ui.hEdit->setText(QString::number(m.out_total_h));
    }
}

void TesselView::activated_comboBo_select(int index)
{
    if (index < 0 || index >= codec::kWallCount)
        return;
    const SizePair &wall = device_data.mode_data[device_data.cur_out_mode].wall_size[index];
    ui.wEdit->setText(QString::number(wall.w));
    ui.hEdit->setText(QString::number(wall.h));
}

void TesselView::clicked_size_set_btn()
{
    setEnabled(false);
    ModeData &m = device_data.mode_data[device_data.cur_out_mode];
    const int w = field_value(ui.wEdit);
    const int h = field_value(ui.hEdit);
    if (device_data.mosaic_on) {
        const int wall = std::max(0, ui.comboBo_select->currentIndex());
        m.wall_size[wall] = SizePair{w, h};
    } else {
        m.out_total_w = w;
        m.out_total_h = h;
    }
    rev_total_size_signal(std::max(0, ui.comboBo_select->currentIndex()));
    setEnabled(true);
}

void TesselView::rev_total_size_signal(int _index)
{
    const ModeData &m = device_data.mode_data[device_data.cur_out_mode];
    if (device_data.mosaic_on) {
        const SizePair &wall = m.wall_size[std::clamp(_index, 0, codec::kWallCount - 1)];
        transmit(proto::kCmdLedSize, codec::led_wall_payload(wall.w, wall.h, _index),
                 TxWait::delay(proto::kWaitLedWallSize, kLedSizeWaitMs));
    } else {
        transmit(proto::kCmdLedSize, codec::led_total_payload(m.out_total_w, m.out_total_h),
                 TxWait::delay(proto::kWaitLedTotal, kLedSizeWaitMs));
    }
}

void TesselView::save_led_screen_size()
{
    if (!all_acceptable({ui.inxEdit, ui.inyEdit, ui.inwEdit, ui.inhEdit}))
        return;
    const int card = device_data.out_card_sel;
    const int port = device_data.out_port_sel;
    ModeData &m = device_data.mode_data[device_data.cur_out_mode];
    const DevRect unit = read_rect(unit_edits());
    if (!confirm_unit_change(this, card, port, unit, m.led_screen[card * kPortCount + port]))
        return;
    m.unit_rect[card][port] = unit;
    send_size_led(card, port, std::max(0, ui.comboBo_select->currentIndex()));
}

void TesselView::send_select_port(int _out_id, int _win_id)
{
    const int mode = device_data.cur_out_mode;
    const ModeData &m = device_data.mode_data[mode];
    const int card = std::clamp(_out_id, 0, kOutputCardCount - 1);
    const int port = std::clamp(_win_id, 0, kPortCount - 1);
    transmit(proto::kCmdUnitRects, codec::unit_rects_payload(m),
             TxWait::delay(proto::kWaitUnitRects, kUnitRectsWaitMs));
    transmit(proto::kCmdDerivedPortRects,
             codec::port_rects_payload(codec::port_selector(card, port, mode),
                                       m.led_in_rect[card][port], m.led_out_rect[card][port]),
             TxWait::delay(proto::kWaitDerivedPortRects, kDerivedRectsWaitMs));
    show_manual_rect_fields();
}

void TesselView::send_size_led(int _out_id, int _win_id, int _num)
{
    const int card = std::clamp(_out_id, 0, kOutputCardCount - 1);
    const int port = std::clamp(_win_id, 0, kPortCount - 1);
    ModeData &m = device_data.mode_data[device_data.cur_out_mode];
    const SizePair total = codec::wall_total(m, device_data.mosaic_on, _num);
    const codec::PortRects rects = codec::derive_port_rects(
        m.unit_rect[card][port], total.w, total.h, device_data.in_frame_w, device_data.in_frame_h);
    m.led_in_rect[card][port] = rects.input;
    m.led_out_rect[card][port] = rects.output;
    send_select_port(card, port);
    refresh_output_preview();
}
