#include "app/tesselview.h"
#include "device/codec.h"
#include "device/device_data.h"

void TesselView::load_device_state()
{
    close_all_items();
    device_data.reset_device_data();
    device_data.load_default_layouts();

    m_status_length = direct_read(proto::kReadStatusBoot, 0);
    if (m_status_length != proto::kStatusReplyLength)
        return;
    codec::decode_status(rx_reply(), device_data);

    if (direct_read(proto::kReadModeTable, 0) != proto::kModeTableReplyLength)
        return;
    codec::decode_mode_table(rx_reply(), device_data);

    // Selecting the resolution row also sets the output size the defaults use.
    fill_resolution_lists();
    codec::derive_led_defaults(device_data);

    const int mode = device_data.cur_mul_mode;
    if (direct_read(proto::kReadWindows, static_cast<uint8_t>(mode)) == proto::kWindowsReplyLength)
        codec::decode_windows(rx_reply(), mode, ui.frame->width(), ui.frame->height(), device_data);
    rebuild_layout_page();

    highlight_page_button(kButtonMultiWindow);
    set_connect_button_text();
    ui.stackedWidget->setCurrentIndex(kPageMultiWindow);
}

bool TesselView::refresh_status()
{
    if (direct_read(proto::kReadStatusInput, 0) != proto::kStatusReplyLength)
        return false;
    const bool decoded = codec::decode_status(rx_reply(), device_data);
    refresh_input_page();
    paint_signal_indicators();
    return decoded;
}
