#include "app/tesselview.h"
#include "device/device_data.h"

namespace {

// Input block, global block, sixteen mode blocks, end.
constexpr int kStepInput = 1;
constexpr int kStepGlobal = 2;
constexpr int kStepFirstMode = 3;
constexpr int kImportSteps = kStepFirstMode + kModeCount;

} // namespace

void TesselView::show_import_step(int step)
{
    if (m_busy_dialog)
        m_busy_dialog->set_progress(step, kImportSteps);
}

bool TesselView::upload_input_block()
{
    show_import_step(kStepInput);
    return transmit(proto::kCmdImportInput, codec::upload_input_payload(device_data),
                    TxWait::chain_step(proto::kWaitImportInput));
}

bool TesselView::upload_global_block()
{
    show_import_step(kStepGlobal);
    return transmit(proto::kCmdImportGlobal, codec::upload_global_payload(device_data),
                    TxWait::chain_step(proto::kWaitImportGlobal));
}

bool TesselView::upload_mode_block(int mode)
{
    show_import_step(kStepFirstMode + mode);
    return transmit(proto::kCmdImportMode, codec::upload_mode_payload(device_data, mode),
                    TxWait::chain_step(proto::kWaitImportMode));
}

bool TesselView::upload_finish()
{
    show_import_step(kImportSteps);
    return transmit(proto::kCmdImportEnd, {}, TxWait::chain_step(proto::kWaitImportEnd));
}

void TesselView::upload_next_mode_block()
{
    if (m_readback_index != kModeCount - 1) {
        ++m_readback_index;
        upload_mode_block(m_readback_index);
    } else {
        m_readback_index = 0;
        upload_finish();
    }
}

void TesselView::finish_import()
{
    load_device_state();
    setEnabled(true);
    close_busy_dialog();
}
