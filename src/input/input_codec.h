#pragma once

// Pure rules of the input cards and picture-in-picture: connector codes,
// indicator positions, main-signal names, rectangle payloads and edit bounds.

#include <QByteArray>
#include <QString>

#include "device/device_data.h"

namespace codec {

// Connector codes of in_source and pip_param. InA and InB carry 1, 3, 4;
// InC and InD carry 5, 6, 7; no connector has code 2.
enum ConnectorCode : int {
    kConnCvbs = 1,
    kConnHdmiVga = 3,
    kConnSdi = 4,
    kConnHdmiFirst = 5,
    kConnHdmiSecond = 6,
    kConnDisplayPort = 7,
};

constexpr int kIndicatorsPerCard = 3;
constexpr int kPipCards = 2; // only InA and InB have picture values and PIP

// Position of a card's connector in its indicator list, -1 when the code does
// not belong to the card (so nothing is checked or coloured).
int indicator_index(int card, int code);
// The connector code at a position of a card's list (inverse of the above).
int connector_at(int card, int index);

// Channel byte of the PIP rectangle command: 0 InA sub, 1 InA main, 2 InB sub, 3 InB main.
int pip_channel(int card, bool main);
// Payload of the PIP rectangle command: channel, then x, width, y, height.
QByteArray pip_rect_payload(int card, bool main, const DevRect &rect);
// Payload of the auto adjustment command: the card.
QByteArray auto_adjust_payload(int card);

// Name of a card's main signal for the PIP dialog; empty for a code without a
// name (the caller leaves the text as it was).
QString main_signal_name(int card, int code, int vga);

// PIP rectangles live in a 1920 x 1080 frame.
constexpr int kPipFrameWidth = 1920;
constexpr int kPipFrameHeight = 1080;
// Upper bound of an edit whose partner holds `partner_text` (x with width,
// y with height): the frame extent less the partner, within 0..extent; a
// partner that is not a decimal integer counts as 0.
int pip_edit_top(int extent, const QString &partner_text);

} // namespace codec
