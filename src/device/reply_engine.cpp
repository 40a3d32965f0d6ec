// What the pages do with the link's reports: the one table from an accepted
// acknowledgement to its page action, the busy dialog and its bound.

#include <QMessageBox>

#include "app/tesselview.h"
#include "device/ccwaitdialog.h"
#include "device/device_data.h"

void TesselView::revData()
{
    m_link.serial_ready_read();
}

void TesselView::readDataSocket()
{
    m_link.socket_ready_read();
}

void TesselView::on_reply_accepted(int code)
{
    const proto::EngineCase *c = proto::engine_case(code);
    if (!c)
        return;
    switch (c->action) {
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
    case proto::EngineAction::ImportNextMode:
    case proto::EngineAction::ImportFirstMode:
        break; // the link sends the next block; its progress shows by upload_step
    case proto::EngineAction::ImportFinish:
        finish_import();
        break;
    }
}

void TesselView::run_busy_dialog(const QString &text, QWidget *parent)
{
    CCWaitDialog dialog(text, parent ? parent : this);
    m_busy_dialog = &dialog;
    m_link.arm_bound();
    dialog.exec();
    // Whatever ended the dialog, its bound ends with it.
    m_link.stop_bound();
    m_busy_dialog = nullptr;
}

CCWaitDialog *TesselView::show_busy_dialog(const QString &text)
{
    auto *dialog = new CCWaitDialog(text, this);
    connect(dialog, &QDialog::finished, &m_link, &DeviceLink::stop_bound);
    // Not modal: nobody else ends its life, so it goes when it is closed.
    connect(dialog, &QDialog::finished, dialog, &QObject::deleteLater);
    m_busy_dialog = dialog;
    dialog->show();
    return dialog;
}

void TesselView::close_busy_dialog()
{
    m_link.stop_bound();
    // done(), not close(): the dialog refuses close requests from the operator.
    if (m_busy_dialog)
        m_busy_dialog->done(QDialog::Accepted);
}

void TesselView::on_busy_bound_expired()
{
    close_busy_dialog();
    setEnabled(true);
    const bool en = device_data.lang_english;
    QMessageBox::warning(this, en ? QStringLiteral("Warning") : QStringLiteral("警告"),
                         en ? QStringLiteral("The device did not respond!!")
                            : QStringLiteral("设备无响应！！"));
}
