// A configuration file against the device: the fresh read of
// everything the file holds, the preview before an import and Compare.

#include <QMessageBox>

#include "app/tesselview.h"
#include "app/texts.h"
#include "maintenance/config_diff.h"
#include "maintenance/importpreview.h"

std::optional<codec::ConfigValues>
TesselView::read_configuration(const std::function<void(int step, int steps)> &progress)
{
    return m_link.read_configuration(progress);
}

bool TesselView::preview_import(const codec::ConfigValues &file, bool compare_only)
{
    setEnabled(false);
    QPointer<CCWaitDialog> busy = show_busy_dialog(
        pick_text("Reading the device, please wait....", "正在读取设备数据，请稍等。。。"));
    const std::optional<codec::ConfigValues> device =
        read_configuration([&busy](int step, int steps) {
            if (busy)
                busy->set_progress(step, steps);
        });
    close_busy_dialog();
    setEnabled(true);
    if (!device) {
        // A lost link has told the operator already.
        if (active_transport() != Transport::None)
            QMessageBox::warning(this, pick_text("Warning", "警告"),
                                 pick_text("The device did not respond!!", "设备无响应！！"));
        return false;
    }

    const QVector<codec::ConfigChange> changes = codec::compare_config(*device, file);
    ImportPreview preview(compare_only, this);
    preview.set_changes(changes);
    preview.set_hint(codec::refusal_hint(changes, file).pick(device_data.lang_english != 0));
    return preview.exec() == QDialog::Accepted && !compare_only;
}

void TesselView::clicked_compare_btn()
{
    if (active_transport() == Transport::None)
        return;
    if (const std::optional<codec::ConfigValues> file =
            read_import_file(QStringLiteral("Compare File")))
        preview_import(*file, true);
}

void TesselView::apply_preview_texts()
{
    ui.compareBtn->setText(pick_text("Compare", "数据比对"));
}
