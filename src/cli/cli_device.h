#pragma once

// One command on one device, from opening the link to closing it.

#include <QJsonObject>
#include <QString>

#include "cli/cli_options.h"

namespace cli {

class Console;

struct DeviceResult {
    int exit = kExitDone;
    QString error;    // what failed, for the summary
    QJsonObject json; // the device's entry of the JSON document
};

// Runs in the thread that calls it: the link is created, driven and closed there.
DeviceResult run_device(const Request &request, const Target &target, Console &console);

} // namespace cli
