#include <QFileDialog>
#include <QSaveFile>

#include "app/app_paths.h"
#include "app/tesselview.h"
#include "app/texts.h"
#include "device/codec.h"
#include "device/device_data.h"

namespace {

constexpr int kExportSteps = 2 * kModeCount;

} // namespace

void TesselView::clicked_export_btn()
{
    export_configuration();
}

bool TesselView::export_configuration()
{
    if (active_transport() == Transport::None)
        return false;
    // A name typed without ".txt" gets it before the overwrite question, so the
    // backup shows in the import dialog's filter and no other backup is replaced unasked.
    QFileDialog dialog(this, QStringLiteral("Export File"), tessel_files_dir(),
                       QStringLiteral("Files(*.txt)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QString name = dialog.selectedFiles().value(0);
    if (name.isEmpty())
        return false;
    // Written beside the target and renamed over it only when complete, so a
    // failed export never leaves half a file in place of a good one.
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    // A link lost on the way leaves records only partly read: no file.
    if (!prepare_export()) {
        file.cancelWriting();
        return false;
    }
    file.write(codec::write_config_file(codec::export_values(device_data)));
    if (!file.commit())
        return false;
    m_link.mark_offline_saved();
    return true;
}

bool TesselView::prepare_export()
{
    setEnabled(false);
    QPointer<CCWaitDialog> dialog = show_busy_dialog(
        pick_text("Exporting data, please wait a moment....", "正在导出数据，请稍等。。。"));
    int step = 0;
    const auto next_step = [&dialog, &step] {
        if (dialog)
            dialog->set_progress(++step, kExportSteps);
    };
    for (int mode = 0; mode < kModeCount; ++mode) {
        next_step();
        m_link.pause(DeviceLink::kWindowsReadPauseMs);
        if (direct_read(proto::kReadWindows, static_cast<uint8_t>(mode)) ==
            proto::kWindowsReplyLength)
            codec::decode_windows(rx_reply(), mode, ui.frame->width(), ui.frame->height(),
                                  device_data);
    }
    for (int mode = 0; mode < kModeCount; ++mode) {
        next_step();
        m_link.pause(DeviceLink::kLedReadPauseMs);
        if (direct_read(proto::kReadLedRects, static_cast<uint8_t>(mode)) ==
            proto::kLedRectsReplyLength)
            codec::decode_led_rects(rx_reply(), mode, device_data);
    }
    // Offline the file is the only copy of the show: it takes the tables that
    // only the input page and the window dialogs read, whether opened or not.
    if (active_transport() == Transport::Offline) {
        m_link.read_input_card(0);
        m_link.read_input_card(1);
        m_link.read_win_adjust();
        m_link.read_win_borders();
    }
    close_busy_dialog();
    setEnabled(true);
    return m_link.is_open();
}
