#include "app/tesselview.h"
#include "device/device_data.h"

// The link sends the blocks and follows each accepted one with the next; the
// page shows the step and reads the device back at the end.

void TesselView::show_import_step(int step)
{
    if (m_busy_dialog)
        m_busy_dialog->set_progress(step, DeviceLink::kUploadSteps);
}

bool TesselView::upload_input_block()
{
    return m_link.upload_input_block();
}

bool TesselView::upload_global_block()
{
    return m_link.upload_global_block();
}

bool TesselView::upload_mode_block(int mode)
{
    return m_link.upload_mode_block(mode);
}

bool TesselView::upload_finish()
{
    return m_link.upload_finish();
}

void TesselView::finish_import()
{
    load_device_state();
    setEnabled(true);
    close_busy_dialog();
}
