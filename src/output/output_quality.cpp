// The output picture values: the Image Quality dialog of the selected card and
// port, and one brightness for both cards.

#include "app/tesselview.h"
#include "device/device_data.h"
#include "output/output_codec.h"

namespace {

constexpr int kPictureWaitMs = 300;

} // namespace

void TesselView::setup_output_dialogs()
{
    connect(ui.Btn_picture, &QPushButton::clicked, this, &TesselView::clicked_btn_picture);
    connect(&m_image_quality, &ImageQuality::btn_LD_set_signal, this,
            &TesselView::set_out_LD_command);
    connect(&m_image_quality, &ImageQuality::btn_CT_set_signal, this,
            &TesselView::set_out_CT_command);
    connect(&m_image_quality, &ImageQuality::btn_Color_set_signal, this,
            &TesselView::set_out_Color_command);
    connect(&m_light, &light::btn_LD_signal, this, &TesselView::set_outA_outB_LD);
}

void TesselView::clicked_btn_picture()
{
    m_image_quality.prepare();
    m_image_quality.exec();
}

void TesselView::set_out_LD_command()
{
    transmit(proto::kCmdBrightness,
             codec::output_gray_payload(device_data, device_data.out_card_sel),
             TxWait::delay(proto::kWaitOutputMode, kPictureWaitMs));
}

void TesselView::set_out_CT_command()
{
    transmit(proto::kCmdContrast,
             codec::output_brightness_payload(device_data, device_data.out_card_sel),
             TxWait::delay(proto::kWaitOutputContrast, kPictureWaitMs));
}

void TesselView::set_out_Color_command()
{
    transmit(proto::kCmdColour, codec::output_color_payload(device_data, device_data.out_card_sel),
             TxWait::delay(proto::kWaitOutputColour, kPictureWaitMs));
}

void TesselView::clicked_pushBtn_LD()
{
    if (!device_data.serial_open && !device_data.net_open)
        return;
    m_light.prepare();
    m_light.exec();
}

// Code 60 makes the reply engine reset the records after each frame, as after a
// resolution change; the picture values just saved are not among those reset.
void TesselView::set_outA_outB_LD()
{
    for (int card = 0; card < kOutputCardCount; ++card)
        transmit(proto::kCmdContrast, codec::output_brightness_payload(device_data, card),
                 TxWait::delay(proto::kWaitResolutionDone, kPictureWaitMs));
}
