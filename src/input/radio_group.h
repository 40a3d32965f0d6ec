#pragma once

#include <QRadioButton>
#include <initializer_list>

// Checks `which` among auto-exclusive radio buttons, or none of them when it
// is null: an auto-exclusive button cannot be unchecked directly.
inline void check_only(std::initializer_list<QRadioButton *> buttons, QRadioButton *which)
{
    for (QRadioButton *b : buttons) {
        if (b == which)
            continue;
        b->setAutoExclusive(false);
        b->setChecked(false);
        b->setAutoExclusive(true);
    }
    if (which)
        which->setChecked(true);
}
