#pragma once

#include "cli/cli_options.h"

namespace cli {

class Console;

// Runs the request on every device: the buses (serial ports, hosts) side by
// side, the devices of one bus one after another. Prints each device's lines
// as they come, then the summary or the JSON document; returns the exit status.
int run_request(const Request &request, Console &console);

} // namespace cli
