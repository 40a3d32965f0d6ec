#pragma once

#include <QMenu>

#include "device/device_data.h"
#include "layout/layout_codec.h"

// Fills a "Sources" submenu for a window: the fitted cards of the window's
// pair, each named after the connector selected on it. Shared by the item
// menu and the window tree menu.
template <typename Receiver>
void add_source_entries(QMenu *menu, int win, Receiver *receiver, void (Receiver::*in_a)(),
                        void (Receiver::*in_b)(), void (Receiver::*in_c)(),
                        void (Receiver::*in_d)())
{
    void (Receiver::*const handlers[kInputCardCount])() = {in_a, in_b, in_c, in_d};
    for (int card : codec::cards_of_window(win)) {
        if (!device_data.in_card_present[card])
            continue;
        const int vga = card < 2 ? device_data.in_vga[card] : 0;
        const QString text = codec::source_entry_text(card, device_data.in_source[card], vga);
        if (!text.isEmpty())
            menu->addAction(text, receiver, handlers[card]);
    }
}
