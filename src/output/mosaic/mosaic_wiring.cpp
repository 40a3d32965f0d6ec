// The fast mosaic editor seen from the main window: the output page button
// opens it, and what it changes is sent through the LED wall commands.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "app/tesselview.h"
#include "device/device_data.h"

void TesselView::setup_mosaic_editor()
{
    connect(ui.btn_fast_splicing, &QPushButton::clicked, this,
            &TesselView::clicked_fast_splicing_btn);
    connect(&m_mosaic, &mosaic::total_size_signal, this, &TesselView::rev_total_size_signal);
    connect(&m_mosaic, &mosaic::select_port_signal, this, &TesselView::send_select_port);
    connect(&m_mosaic, &mosaic::send_size_signal, this, &TesselView::send_size_led);
    connect(&m_mosaic, &mosaic::led_screen_signal, this,
            [this](int index) { store_led_screen(device_data.cur_out_mode, index); });
}

void TesselView::clicked_fast_splicing_btn()
{
    setEnabled(false);
    m_mosaic.prepare_editor();
    setEnabled(true);
    m_mosaic.exec();
    // The page shows what the editor left in the records.
    show_led_fields();
    const ModeData &m = device_data.mode_data[device_data.cur_out_mode];
    if (device_data.mosaic_on) {
        activated_comboBo_select(std::max(0, ui.comboBo_select->currentIndex()));
    } else {
        ui.wEdit->setText(QString::number(m.out_total_w));
        ui.hEdit->setText(QString::number(m.out_total_h));
    }
}
