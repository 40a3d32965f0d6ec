#pragma once

#include <QString>

#include "maintenance/maintenance_codec.h"

// Reads a configuration file as the import does: the first 2000 lines, read
// tolerantly, never more than a bounded amount of a file that is not one.
// False only when the file cannot be opened.
bool read_config_values(const QString &path, codec::ConfigValues &values);
