#pragma once

// The simulated processor's protocol engine: frames in, replies out, no I/O.
// Its encoders and decoders are written independently of the program's codec,
// so a layout mistake on either side shows up as a test failure.

#include "sim_image.h"

#include <QByteArray>
#include <cstdint>

namespace sim {

// Cuts a byte stream into frames. A frame starts with ':', carries its length
// in bytes 4 and 6 (8..300) and ends with ':' at that length; anything else is
// skipped one byte at a time until a plausible start is found.
class FrameAssembler
{
public:
    void feed(const QByteArray &bytes);
    // Takes the next whole frame off the buffer; false while none is complete.
    bool next(QByteArray &frame);
    // An incomplete frame may be junk that merely looked like a start; drop its
    // ':' so the next call looks for a later start (used after a quiet line).
    void skip_partial();
    void clear();
    int pending() const { return buffer_.size(); }
    // Bytes thrown away while resynchronising, since construction or clear().
    qint64 skipped() const { return skipped_; }

private:
    void drop(int count);

    QByteArray buffer_;
    qint64 skipped_ = 0;
};

class SimDevice
{
public:
    explicit SimDevice(const SimImage &image = SimImage::demo());

    SimImage &image() { return image_; }
    const SimImage &image() const { return image_; }
    void set_image(const SimImage &image) { image_ = image; }

    // The device number in byte 1 that this device answers to (default 1).
    int device_id() const { return device_id_; }
    void set_device_id(int id) { device_id_ = uint8_t(id); }

    // The window chosen by the last layer-select command, moved by layer moves.
    int selected_window() const { return selected_window_; }

    // Applies one whole frame and returns the reply bytes; empty when the
    // device stays silent (not a frame, another device's number, unknown
    // read selector, index out of range).
    QByteArray handle(const QByteArray &frame);

    // The data reply to read request (selector, index); empty when the device
    // has no such table.
    QByteArray read_reply(int selector, int index) const;

    // The length of the acknowledgement of a write command.
    static int ack_length(int command);

private:
    void apply(const QByteArray &frame);
    QByteArray acknowledge(const QByteArray &frame) const;
    void apply_rectangle(const QByteArray &frame, bool port_form);
    void apply_picture_values(const QByteArray &frame);
    void apply_layer_move(const QByteArray &frame);
    void apply_copy(const QByteArray &frame);
    void apply_import_input(const QByteArray &frame);
    void apply_import_global(const QByteArray &frame);
    void apply_import_mode(const QByteArray &frame);

    SimImage image_;
    uint8_t device_id_ = 1;
    int selected_window_ = 0;
};

} // namespace sim
