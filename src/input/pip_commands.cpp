// Picture-in-picture of InA and InB: on and off, the settings dialog, its
// rectangles and sub-channel connector, and the auto adjustment.

#include "app/tesselview.h"
#include "app/texts.h"
#include "device/device_data.h"
#include "input/input_codec.h"

namespace {

constexpr int kPipRectDelayMs = 2000;
constexpr int kAutoAdjustDelayMs = 300;

} // namespace

void TesselView::switch_pip(int card, bool on)
{
    device_data.pip_state[card] = on ? 1 : 0;
    transmit_short(
        proto::kCmdPipOnOff, static_cast<uint8_t>(card), on ? 1 : 0,
        TxWait::busy(
            proto::kWaitPipOnOff,
            on ? pick_text("Open the PIP, please wait a moment....", "打开PIP，请稍等。。。")
               : pick_text("Close the PIP, please wait a moment....", "关闭PIP，请稍等。。。")));
    // Follows the operator's choice even when the command was lost.
    (card == 0 ? ui.pip1Btn : ui.pip2Btn)->setEnabled(on);
}

void TesselView::clicked_open1_btn()
{
    switch_pip(0, true);
}

void TesselView::clicked_close1_btn()
{
    switch_pip(0, false);
}

void TesselView::clicked_open2_btn()
{
    switch_pip(1, true);
}

void TesselView::clicked_close2_btn()
{
    switch_pip(1, false);
}

void TesselView::open_pip_dialog(int card)
{
    m_pip_dialog.setup_for_card(card);
    m_pip_dialog.exec();
}

void TesselView::clicked_pip1_btn()
{
    open_pip_dialog(0);
}

void TesselView::clicked_pip2_btn()
{
    open_pip_dialog(1);
}

void TesselView::clicked_auto1_btn()
{
    transmit(proto::kCmdAutoAdjust, codec::auto_adjust_payload(0),
             TxWait::delay(proto::kWaitAutoAdjust, kAutoAdjustDelayMs));
}

void TesselView::clicked_auto2_btn()
{
    transmit(proto::kCmdAutoAdjust, codec::auto_adjust_payload(1),
             TxWait::delay(proto::kWaitAutoAdjust, kAutoAdjustDelayMs));
}

void TesselView::set_pip_size(int _id, int flag)
{
    if (_id < 0 || _id >= codec::kPipCards)
        return;
    const PipRects &r = device_data.pip_rect[_id];
    const bool main = flag != 0;
    transmit(proto::kCmdPipRect, codec::pip_rect_payload(_id, main, main ? r.main : r.sub),
             TxWait::delay(proto::kWaitPipRect, kPipRectDelayMs));
}

void TesselView::pip_source(int _id, int flag)
{
    if (_id < 0 || _id >= codec::kPipCards)
        return;
    transmit_short(proto::kCmdPipSource, static_cast<uint8_t>(_id), static_cast<uint8_t>(flag),
                   TxWait::busy(proto::kWaitPipSource,
                                pick_text("Switching pip signal....", "切换PIP信号。。。"),
                                &m_pip_dialog));
    // Kept whether or not it was sent; the next status read restores the device's value.
    device_data.pip_param[_id] = flag;
}
