#pragma once

// A device inside the program, for preparing a show without the hardware: the
// simulated processor behind a QIODevice, so the link drives it like a port.
// Replies are queued and delivered from the event loop as readyRead, never
// inside write(), so the link sees the order of events of a real line.

#include <QByteArray>
#include <QIODevice>
#include <QTimer>

#include "maintenance/maintenance_codec.h"
#include "sim_device.h"

class OfflineDevice : public QIODevice
{
    Q_OBJECT

public:
    // Starts from factory values, answering to device number `device_id`.
    explicit OfflineDevice(int device_id, QObject *parent = nullptr);

    // Applies a configuration file as an import would: the program's upload
    // blocks built from the values, and the file's output resolution.
    // Counts as the starting point, not as a change.
    void load(const codec::ConfigValues &values);

    sim::SimDevice &device() { return m_device; }
    // A frame other than a read request arrived since the start or the last
    // mark_saved().
    bool changed() const { return m_changed; }
    void mark_saved() { m_changed = false; }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char *data, qint64 max) override;
    qint64 writeData(const char *data, qint64 length) override;

private:
    void deliver();

    sim::SimDevice m_device;
    sim::FrameAssembler m_frames;
    QByteArray m_queued;   // replies not yet announced
    QByteArray m_readable; // announced, not yet read
    QTimer m_delivery;
    bool m_changed = false;
};
