// A configuration file against the device: the fresh read of
// everything the file holds, the preview before an import and Compare.

#include <QMessageBox>

#include <memory>

#include "app/tesselview.h"
#include "app/texts.h"
#include "device/codec.h"
#include "input/input_codec.h"
#include "maintenance/config_diff.h"
#include "maintenance/importpreview.h"

namespace {

// One direct read of the configuration and where its reply goes.
struct ConfigRead {
    const proto::ReadSpec *spec;
    int index;
    bool (*decode)(const QByteArray &reply, int index, DeviceData &d);
};

bool status(const QByteArray &r, int, DeviceData &d)
{
    return codec::decode_status(r, d);
}
bool mode_table(const QByteArray &r, int, DeviceData &d)
{
    return codec::decode_mode_table(r, d);
}
bool input_card(const QByteArray &r, int card, DeviceData &d)
{
    return codec::decode_input_card(r, card, d);
}
bool win_adjust(const QByteArray &r, int, DeviceData &d)
{
    return codec::decode_win_adjust(r, d);
}
bool win_borders(const QByteArray &r, int, DeviceData &d)
{
    return codec::decode_win_borders(r, d);
}
bool windows(const QByteArray &r, int mode, DeviceData &d)
{
    return codec::decode_windows(r, mode, d.canvas_w, d.canvas_h, d);
}
bool led_rects(const QByteArray &r, int mode, DeviceData &d)
{
    return codec::decode_led_rects(r, mode, d);
}

// Status (resolution, switch effect), mode table (mode records, output picture
// values), both input cards, window picture values and borders, then the window
// and LED rectangles of every mode: every value of the file.
QVector<ConfigRead> configuration_reads()
{
    QVector<ConfigRead> reads{{&proto::kReadStatusInput, 0, status},
                              {&proto::kReadModeTable, 0, mode_table}};
    for (int card = 0; card < codec::kPipCards; ++card)
        reads.append({&proto::kReadInputCard, card, input_card});
    reads.append({&proto::kReadWinAdjust, 0, win_adjust});
    reads.append({&proto::kReadWinBorders, 0, win_borders});
    for (int mode = 0; mode < kModeCount; ++mode)
        reads.append({&proto::kReadWindows, mode, windows});
    for (int mode = 0; mode < kModeCount; ++mode)
        reads.append({&proto::kReadLedRects, mode, led_rects});
    return reads;
}

} // namespace

std::optional<codec::ConfigValues>
TesselView::read_configuration(const std::function<void(int step, int steps)> &progress)
{
    // A scratch record: the operator's records stay exactly as they are until
    // an import is confirmed.
    auto fresh = std::make_unique<DeviceData>();
    const QVector<ConfigRead> reads = configuration_reads();
    for (int i = 0; i < reads.size(); ++i) {
        const ConfigRead &read = reads[i];
        if (progress)
            progress(i + 1, reads.size());
        if (direct_read(*read.spec, static_cast<uint8_t>(read.index)) != read.spec->length ||
            !read.decode(rx_reply(), read.index, *fresh))
            return std::nullopt;
    }
    return codec::export_values(*fresh);
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
    if (codec::count_changes(changes, codec::DiffArea::Resolution) > 0)
        preview.set_hint(resolution_hint_text(codec::config_resolution(file)));
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
