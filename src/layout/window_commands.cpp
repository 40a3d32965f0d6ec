// Window model operations and the window commands.

#include "app/tesselview.h"
#include "device/codec.h"
#include "layout/itembox.h"
#include "layout/layout_codec.h"

namespace {

constexpr int kOpenMaskDelayMs = 600;
constexpr int kLayerSelectDelayMs = 300;
constexpr int kPictureDelayMs = 300;
constexpr int kLayerToTop = 1;
constexpr int kLayerToBottom = 0;

ModeData &current_mode()
{
    return device_data.mode_data[device_data.cur_mul_mode];
}

} // namespace

// ---- Conversions ----------------------------------------------------------

void TesselView::to_canvas(int mode, int win)
{
    ModeData &m = device_data.mode_data[mode];
    m.win_canvas[win] = codec::to_canvas_rect(m.win_out[win], ui.frame->width(), ui.frame->height(),
                                              device_data.canvas_ref_w, device_data.canvas_ref_h);
}

void TesselView::to_device(int mode, int win)
{
    ModeData &m = device_data.mode_data[mode];
    m.win_out[win] = codec::to_device_rect(m.win_canvas[win], ui.frame->width(), ui.frame->height(),
                                           device_data.canvas_ref_w, device_data.canvas_ref_h);
    m.win_in[win] = codec::full_crop(win);
}

void TesselView::compute_layer_code(int mode)
{
    ModeData &m = device_data.mode_data[mode];
    const int code = codec::layer_code(m.win_layers);
    if (code >= 0)
        m.layer_code = code;
}

// ---- Commands -------------------------------------------------------------

void TesselView::send_window_rect(int mode, int win)
{
    const ModeData &m = device_data.mode_data[mode];
    transmit(proto::kCmdRectangle,
             codec::window_rect_payload(mode, win, m.win_in[win], m.win_out[win]),
             TxWait::none(proto::kWaitWindowRect));
}

bool TesselView::send_open_mask()
{
    return transmit(proto::kCmdOpenMask, codec::open_mask_payload(current_mode()),
                    TxWait::delay(proto::kWaitOpenMask, kOpenMaskDelayMs));
}

void TesselView::send_sources()
{
    transmit(proto::kCmdWindowSources, codec::sources_payload(current_mode()),
             TxWait::none(proto::kWaitWindowSources));
}

bool TesselView::send_layer_select(int win)
{
    return transmit(proto::kCmdLayerSelect, codec::layer_select_payload(win),
                    TxWait::delay(proto::kWaitLayerSelect, kLayerSelectDelayMs));
}

void TesselView::send_layer_move(int direction)
{
    device_data.switch_effect = ui.comboBox->currentIndex();
    transmit(proto::kCmdLayerMove, codec::layer_move_payload(direction, device_data.switch_effect),
             TxWait::none(proto::kWaitLayerMove));
}

// ---- Slots ----------------------------------------------------------------

void TesselView::new_create()
{
    create_window(device_data.cur_mul_mode);
}

void TesselView::new_win()
{
    create_window(device_data.cur_mul_mode);
}

void TesselView::del_mul_win(int win_id)
{
    if (win_id < 0 || win_id >= kWindowCount)
        return;
    setEnabled(false);
    const int mode = device_data.cur_mul_mode;
    device_data.mode_data[mode].win_open[win_id] = 0;
    // The item goes only once the device was told: otherwise it stays on screen.
    if (send_open_mask())
        m_items[mode][win_id].remove();
    setEnabled(true);
}

void TesselView::del_all_mul_win()
{
    setEnabled(false);
    const int mode = device_data.cur_mul_mode;
    for (uint8_t &open : device_data.mode_data[mode].win_open)
        open = 0;
    if (send_open_mask()) {
        for (ItemSlot &slot : m_items[mode])
            slot.remove();
    }
    setEnabled(true);
}

void TesselView::change_wins_size(int win_id)
{
    if (win_id < 0 || win_id >= kWindowCount)
        return;
    const int mode = device_data.cur_mul_mode;
    to_device(mode, win_id);
    send_window_rect(mode, win_id);
}

void TesselView::set_win_size(int win_id)
{
    if (win_id < 0 || win_id >= kWindowCount)
        return;
    const int mode = device_data.cur_mul_mode;
    to_canvas(mode, win_id);
    send_window_rect(mode, win_id);
    if (itemBox *item = window_item(mode, win_id)) {
        const DevRect &r = device_data.mode_data[mode].win_canvas[win_id];
        item->setGeometry(r.x, r.y, r.w, r.h);
    }
}

void TesselView::Up_Win(int win_id)
{
    move_window_layer(win_id, true);
}

void TesselView::Down_Win(int win_id)
{
    move_window_layer(win_id, false);
}

void TesselView::move_window_layer(int win_id, bool to_top)
{
    if (win_id < 0 || win_id >= kWindowCount)
        return;
    const int mode = device_data.cur_mul_mode;
    itemBox *item = window_item(mode, win_id);
    if (item)
        item->hide();
    codec::move_layer(device_data.mode_data[mode].win_layers, win_id, to_top);
    if (item) {
        if (to_top)
            item->raise();
        else
            item->lower();
        item->show();
    }
    compute_layer_code(mode);
    if (send_layer_select(win_id))
        send_layer_move(to_top ? kLayerToTop : kLayerToBottom);
    refresh_window_tree();
}

void TesselView::change_source_in(int win_id)
{
    if (win_id < 0 || win_id >= kWindowCount)
        return;
    if (itemBox *item = window_item(device_data.cur_mul_mode, win_id))
        item->relabel_source(device_data.cur_mul_mode);
    send_sources();
    refresh_window_tree();
}

void TesselView::set_mul_frame(int win_id)
{
    if (win_id < 0 || win_id >= kWindowCount)
        return;
    transmit(proto::kCmdBorder, codec::border_payload(win_id, device_data.win_frame[win_id]),
             TxWait::delay(proto::kWaitBorder, kPictureDelayMs));
}

void TesselView::set_mul_light(int)
{
    transmit(proto::kCmdBrightness,
             codec::win_adjust_payload(device_data.win_adjust, codec::AdjustField::Brightness),
             TxWait::delay(proto::kWaitWinBrightness, kPictureDelayMs));
}

void TesselView::set_mul_contrast(int)
{
    transmit(proto::kCmdContrast,
             codec::win_adjust_payload(device_data.win_adjust, codec::AdjustField::Contrast),
             TxWait::delay(proto::kWaitWinContrast, kPictureDelayMs));
}

void TesselView::set_mul_color(int)
{
    transmit(proto::kCmdColour,
             codec::win_adjust_payload(device_data.win_adjust, codec::AdjustField::Colour),
             TxWait::delay(proto::kWaitWinColour, kPictureDelayMs));
}

void TesselView::mul_trimming_wins(int win_id)
{
    if (win_id < 0 || win_id >= kWindowCount)
        return;
    m_trimming.fill(win_id);
    m_trimming.exec();
}

void TesselView::mul_attribute(int win_id)
{
    if (win_id < 0 || win_id >= kWindowCount)
        return;
    read_window_attributes();
    m_attribute.fill(win_id);
    m_attribute.exec();
}

void TesselView::read_window_attributes()
{
    if (direct_read(proto::kReadWinAdjust, 0) != proto::kWinAdjustReplyLength)
        return;
    codec::decode_win_adjust(rx_reply(), device_data);
    if (direct_read(proto::kReadWinBorders, 0) == proto::kWinBordersReplyLength)
        codec::decode_win_borders(rx_reply(), device_data);
}
