#pragma once

// The records of one device for people (lines) and for scripts (JSON).

#include <QJsonObject>
#include <QStringList>

#include "device/device_data.h"

namespace cli {

// The connector selected on a card, as its button is captioned ("HDMI-1", "VGA-1", "DP-2").
QString connector_name(const DeviceData &d, int card);
// "1920x1080@60Hz", or the custom size with its rate.
QString resolution_text(const DeviceData &d);

// The decoded status reply.
QStringList status_lines(const DeviceData &d);
QJsonObject status_json(const DeviceData &d);

// Everything a configuration read brought in, the status included.
QStringList records_lines(const DeviceData &d);
QJsonObject records_json(const DeviceData &d);

} // namespace cli
