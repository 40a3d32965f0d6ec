#include <QMessageBox>
#include <cstring>

#include "app/tesselview.h"
#include "device/ccwaitdialog.h"
#include "device/device_data.h"

void TesselView::revData()
{
    const proto::EngineCase *c = proto::engine_case(device_data.serial_wait_code);
    if (!c)
        return; // the data stay in the port for whoever asked
    // Cleared first, so a nested readyRead during the wait cannot take the same reply twice.
    device_data.serial_wait_code = 0;
    std::memset(device_data.rx_buf, 0, kBufferSize);
    device_data.delay(c->wait_ms);
    m_serial.read(reinterpret_cast<char *>(device_data.rx_buf), c->read_len);
    if (device_data.rx_buf[2] != proto::kByte2)
        return;
    run_engine_action(*c);
}

void TesselView::readDataSocket()
{
    const proto::EngineCase *c = proto::engine_case(device_data.net_wait_code);
    if (!c)
        return;
    device_data.net_wait_code = 0;
    // A reply in pieces is judged by its first piece; the rest waits for the next read.
    const QByteArray block = take_socket_block();
    if (block.size() < 3 || static_cast<uint8_t>(block.at(2)) != proto::kByte2)
        return;
    run_engine_action(*c);
}

void TesselView::run_engine_action(const proto::EngineCase &c)
{
    // The device answered: the bound is on a missing acknowledgement, not on the
    // work that follows it (a chain step that sends the next block re-arms it).
    m_busy_bound.stop();
    switch (c.action) {
    case proto::EngineAction::RefreshStatusAndClose:
        refresh_status();
        close_busy_dialog();
        break;
    case proto::EngineAction::CloseBusy:
        close_busy_dialog();
        break;
    case proto::EngineAction::ResetRecords:
        close_all_items();
        device_data.reset_device_data();
        device_data.load_default_layouts();
        close_busy_dialog();
        break;
    case proto::EngineAction::ResolutionFollowUp:
        send_resolution_follow_up();
        break;
    case proto::EngineAction::ImportGlobal:
        upload_global_block();
        break;
    case proto::EngineAction::ImportNextMode:
        upload_next_mode_block();
        break;
    case proto::EngineAction::ImportFirstMode:
        m_readback_index = 0;
        upload_mode_block(0);
        break;
    case proto::EngineAction::ImportFinish:
        finish_import();
        break;
    }
}

void TesselView::run_busy_dialog(const QString &text, QWidget *parent)
{
    CCWaitDialog dialog(text, parent ? parent : this);
    m_busy_dialog = &dialog;
    arm_busy_bound();
    dialog.exec();
    // Whatever ended the dialog, its bound ends with it.
    m_busy_bound.stop();
    m_busy_dialog = nullptr;
}

CCWaitDialog *TesselView::show_busy_dialog(const QString &text)
{
    auto *dialog = new CCWaitDialog(text, this);
    connect(dialog, &QDialog::finished, &m_busy_bound, &QTimer::stop);
    // Not modal: nobody else ends its life, so it goes when it is closed.
    connect(dialog, &QDialog::finished, dialog, &QObject::deleteLater);
    m_busy_dialog = dialog;
    dialog->show();
    return dialog;
}

void TesselView::arm_busy_bound()
{
    m_busy_bound.start(m_busy_bound_ms);
}

void TesselView::close_busy_dialog()
{
    m_busy_bound.stop();
    // done(), not close(): the dialog refuses close requests from the operator.
    if (m_busy_dialog)
        m_busy_dialog->done(QDialog::Accepted);
}

void TesselView::on_busy_bound_expired()
{
    // Clearing both codes also stops a chain: its next step is sent by the engines only.
    device_data.serial_wait_code = 0;
    device_data.net_wait_code = 0;
    close_busy_dialog();
    setEnabled(true);
    const bool en = device_data.lang_english;
    QMessageBox::warning(this, en ? QStringLiteral("Warning") : QStringLiteral("警告"),
                         en ? QStringLiteral("The device did not respond!!")
                            : QStringLiteral("设备无响应！！"));
}
