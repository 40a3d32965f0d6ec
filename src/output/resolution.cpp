// The output resolution: the preset list, the custom size with its pixel-rate
// bound, and the change itself, which ends the connection.

#include <QComboBox>
#include <QLineEdit>

#include "app/tesselview.h"
#include "app/texts.h"
#include "device/codec.h"
#include "device/device_data.h"
#include "widgets/bounded_validator.h"
#include "output/output_codec.h"

namespace {

constexpr int kRate50HzIndex = 0;
constexpr int kRate60HzIndex = 1;

QString preset_text(const codec::ResolutionPreset &p)
{
    if (p.code == codec::kCustomFormatCode)
        return pick_text("Custom Resolution", "自定义分辨率");
    return QString::fromLatin1(p.text);
}

// Every preset, or the first five when the device offers only those.
int preset_rows()
{
    return device_data.full_format_list ? codec::kPresetCount : codec::kShortPresetCount;
}

} // namespace

void TesselView::fill_resolution_lists()
{
    const int previous = ui.formatBox->currentIndex();
    ui.formatBox->clear();
    for (int row = 0; row < preset_rows(); ++row)
        ui.formatBox->addItem(preset_text(codec::preset_at(row)));
    // A code without a row changes neither the list nor the resolution.
    const int row = codec::apply_format_code(device_data);
    const int shown = row >= 0 ? row : previous;
    if (shown >= 0 && shown < ui.formatBox->count())
        ui.formatBox->setCurrentIndex(shown);
    ui.hzBox->setCurrentIndex(device_data.out_rate_60hz ? kRate60HzIndex : kRate50HzIndex);
}

void TesselView::activated_fromatBox(int index)
{
    const bool custom = index == codec::kCustomFormatIndex;
    ui.RowEdit->setEnabled(custom);
    ui.ColumnEdit->setEnabled(custom);
    ui.hzBox->setEnabled(custom);
}

// The bound follows the device's stored rate.
void TesselView::change_resolution_row(const QString &)
{
    const bool rate_60hz = device_data.out_rate_60hz != 0;
    m_custom_w_validator->setRange(
        codec::kCustomMin, codec::custom_side_max(ui.ColumnEdit->text().toInt(), rate_60hz));
}

void TesselView::change_resolution_column(const QString &)
{
    const bool rate_60hz = device_data.out_rate_60hz != 0;
    m_custom_h_validator->setRange(codec::kCustomMin,
                                   codec::custom_side_max(ui.RowEdit->text().toInt(), rate_60hz));
}

void TesselView::clicked_dpi_set_btn()
{
    const int row = ui.formatBox->currentIndex();
    if (row < 0)
        return;
    const codec::ResolutionPreset &preset = codec::preset_at(row);
    const bool custom = preset.code == codec::kCustomFormatCode;
    if (custom) {
        for (QLineEdit *edit : {ui.RowEdit, ui.ColumnEdit}) {
            if (edit->text().toInt() < codec::kCustomMin) {
                edit->setFocus();
                return;
            }
        }
    }
    if (!confirm(pick_text("Whether to switch resolution?", "是否切换分辨率?"), true))
        return;

    setEnabled(false);
    device_data.out_format = preset.code;
    const QString busy =
        pick_text("Switch resolution, please wait a moment....", "切换分辨率，请稍等。。。");
    TxWait wait;
    if (custom) {
        device_data.custom_res_w = ui.RowEdit->text().toInt();
        device_data.custom_res_h = ui.ColumnEdit->text().toInt();
        device_data.out_rate_60hz = ui.hzBox->currentIndex() == kRate60HzIndex ? 1 : 0;
        codec::apply_format_code(device_data);
        wait = TxWait::busy(proto::kWaitCustomResolution, busy);
        wait.disable_window = false;
        transmit(proto::kCmdCustomResolution,
                 codec::custom_resolution_payload(
                     device_data.custom_res_w, device_data.custom_res_h, device_data.out_rate_60hz),
                 wait);
    } else {
        codec::apply_format_code(device_data);
        wait = TxWait::busy(proto::kWaitPresetResolution, busy);
        wait.disable_window = false;
        transmit(proto::kCmdPresetResolution,
                 codec::preset_resolution_payload(device_data.out_rate_60hz, preset.code), wait);
    }
    // The device restarts its outputs: the walls of the units no longer apply.
    release_for_restart();
}

// Sent by the reply engine when the custom size was acknowledged; the busy
// dialog of the custom command stays open until this one is acknowledged.
void TesselView::send_resolution_follow_up()
{
    transmit(proto::kCmdPresetResolution,
             codec::preset_resolution_payload(device_data.out_rate_60hz, device_data.out_format),
             TxWait::chain_step(proto::kWaitResolutionDone));
}
