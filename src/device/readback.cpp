#include "app/tesselview.h"
#include "device/codec.h"
#include "device/device_data.h"

void TesselView::load_device_state()
{
    close_all_items();
    // The link reads and decodes; the page shows what came. A read-back that
    // stopped before the mode table, or a link lost on the way, leaves the
    // pages as they are.
    if (!m_link.read_back(QSize(ui.frame->width(), ui.frame->height())) || !m_link.is_open())
        return;
    fill_resolution_lists();
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
