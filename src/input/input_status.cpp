#include "app/tesselview.h"
#include "device/codec.h"
#include "device/device_data.h"

void TesselView::setInputCard()
{
    if (!device_data.serial_open && !device_data.net_open)
        return;
    setEnabled(false);
    if (direct_read(proto::kReadStatusInput, 0) != proto::kStatusReplyLength) {
        setEnabled(true);
        highlight_page_button(kButtonInput);
        return;
    }
    codec::decode_status(rx_reply(), device_data);
    read_input_cards();
    ui.stackedWidget->setCurrentIndex(kPageInput);
    setEnabled(true);
    highlight_page_button(kButtonInput);
}

void TesselView::read_input_cards()
{
    // The second card is read whatever the first gave.
    for (int card = 0; card < 2; ++card) {
        if (direct_read(proto::kReadInputCard, static_cast<uint8_t>(card)) ==
            proto::kInputCardReplyLength)
            codec::decode_input_card(rx_reply(), card, device_data);
    }
}
