#include "link/offline_device.h"

#include <algorithm>
#include <cstring>

#include "device/codec.h"
#include "device/device_data.h"
#include "device/protocol.h"
#include "output/output_codec.h"

OfflineDevice::OfflineDevice(int device_id, QObject *parent)
    : QIODevice(parent), m_device(sim::SimImage::factory())
{
    m_device.set_device_id(device_id);
    m_delivery.setSingleShot(true);
    m_delivery.setInterval(0);
    connect(&m_delivery, &QTimer::timeout, this, &OfflineDevice::deliver);
}

void OfflineDevice::load(const codec::ConfigValues &values)
{
    // The records the upload blocks are built from: the file over reset values.
    DeviceData records;
    records.reset_device_data();
    records.load_default_layouts();
    const codec::ImportPending pending = codec::parse_import_values(values, records);

    const int id = m_device.device_id();
    const auto apply = [this, id](uint8_t command, const QByteArray &payload) {
        m_device.handle(codec::build_frame(id, command, payload));
    };
    apply(proto::kCmdImportInput, codec::upload_input_payload(records));
    apply(proto::kCmdImportGlobal, codec::upload_global_payload(records));
    for (int mode = 0; mode < kModeCount; ++mode)
        apply(proto::kCmdImportMode, codec::upload_mode_payload(records, mode));
    apply(proto::kCmdImportEnd, {});

    // The upload leaves the resolution alone; a prepared show carries its own,
    // and the custom size is kept whichever format is chosen.
    const bool rate_60hz = m_device.image().out_rate_60hz != 0;
    apply(proto::kCmdCustomResolution,
          codec::custom_resolution_payload(pending.custom_w, pending.custom_h, rate_60hz));
    apply(proto::kCmdPresetResolution, codec::preset_resolution_payload(rate_60hz, pending.format));
    m_changed = false;
}

qint64 OfflineDevice::bytesAvailable() const
{
    return m_readable.size() + QIODevice::bytesAvailable();
}

qint64 OfflineDevice::readData(char *data, qint64 max)
{
    const int n = static_cast<int>(std::min<qint64>(max, m_readable.size()));
    std::memcpy(data, m_readable.constData(), static_cast<size_t>(n));
    m_readable.remove(0, n);
    return n;
}

qint64 OfflineDevice::writeData(const char *data, qint64 length)
{
    m_frames.feed(QByteArray(data, static_cast<int>(length)));
    QByteArray frame;
    while (m_frames.next(frame)) {
        if (static_cast<uint8_t>(frame.at(5)) != proto::kCmdRead)
            m_changed = true;
        m_queued += m_device.handle(frame);
    }
    if (!m_queued.isEmpty())
        m_delivery.start();
    return length;
}

void OfflineDevice::deliver()
{
    if (m_queued.isEmpty() || !isOpen())
        return;
    m_readable += m_queued;
    m_queued.clear();
    emit readyRead();
}
