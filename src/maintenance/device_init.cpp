#include <QMessageBox>

#include "app/tesselview.h"
#include "app/texts.h"
#include "device/device_data.h"

void TesselView::clicked_init_dev_btn()
{
    if (active_transport() == Transport::None)
        return;
    if (!confirm(pick_text("Initialize the device?", "是否将初始化设备?")))
        return;
    setEnabled(false);
    send_device_init();
    // Whether or not the device confirmed: it must be restarted and read anew.
    release_for_restart();
}

bool TesselView::confirm(const QString &text, bool question_icon)
{
    QMessageBox box(question_icon ? QMessageBox::Question : QMessageBox::Information,
                    pick_text("Reminder", "提示"), text, QMessageBox::Yes | QMessageBox::No, this);
    return box.exec() == QMessageBox::Yes;
}

void TesselView::release_for_restart()
{
    setEnabled(true);
    after_device_restart();
}

void TesselView::send_device_init()
{
    transmit(
        proto::kCmdDeviceInit, {},
        TxWait::busy(proto::kWaitDeviceInit, pick_text("Device initialization, please wait....",
                                                       "设备初始化，请稍等。。。")));
}
