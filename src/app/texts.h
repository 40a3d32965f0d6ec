#pragma once

#include <QString>

#include "device/device_data.h"

// A run-time text in the interface language, chosen when it is shown. Both
// literals are UTF-8.
inline QString pick_text(const char *english, const char *chinese)
{
    return QString::fromUtf8(device_data.lang_english ? english : chinese);
}
