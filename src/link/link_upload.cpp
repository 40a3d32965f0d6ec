// The import upload chain: each block is sent when the previous one was
// accepted (see DeviceLink::on_accepted), from the records.

#include "link/device_link.h"

#include "maintenance/maintenance_codec.h"

bool DeviceLink::start_upload()
{
    m_upload_index = -1;
    // Armed before the first step: a block that never leaves ends at the bound too.
    arm_bound();
    return upload_input_block();
}

bool DeviceLink::upload_input_block()
{
    m_upload = UploadState::Running;
    emit upload_step(1, kUploadSteps);
    return transmit(proto::kCmdImportInput, codec::upload_input_payload(m_data),
                    LinkWait{proto::kWaitImportInput, 0, false, true}) == Outcome::Sent;
}

bool DeviceLink::upload_global_block()
{
    emit upload_step(2, kUploadSteps);
    return transmit(proto::kCmdImportGlobal, codec::upload_global_payload(m_data),
                    LinkWait{proto::kWaitImportGlobal, 0, false, true}) == Outcome::Sent;
}

bool DeviceLink::upload_mode_block(int mode)
{
    emit upload_step(3 + mode, kUploadSteps);
    return transmit(proto::kCmdImportMode, codec::upload_mode_payload(m_data, mode),
                    LinkWait{proto::kWaitImportMode, 0, false, true}) == Outcome::Sent;
}

bool DeviceLink::upload_finish()
{
    emit upload_step(kUploadSteps, kUploadSteps);
    return transmit(proto::kCmdImportEnd, {}, LinkWait{proto::kWaitImportEnd, 0, false, true}) ==
           Outcome::Sent;
}

// Each accepted block sends the next; the end closes the chain.
void DeviceLink::advance_upload(int code)
{
    switch (code) {
    case proto::kWaitImportInput:
        upload_global_block();
        break;
    case proto::kWaitImportGlobal:
        m_upload_index = 0;
        upload_mode_block(0);
        break;
    case proto::kWaitImportMode:
        if (m_upload_index != kModeCount - 1) {
            ++m_upload_index;
            upload_mode_block(m_upload_index);
        } else {
            m_upload_index = 0;
            upload_finish();
        }
        break;
    case proto::kWaitImportEnd:
        if (m_upload == UploadState::Running) {
            m_upload = UploadState::Finished;
            emit upload_finished(true);
        }
        break;
    default:
        break;
    }
}
