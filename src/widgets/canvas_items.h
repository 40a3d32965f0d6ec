#pragma once

#include <QString>

#include <functional>

class QContextMenuEvent;
class QMenu;

// What the items on the layout canvas and the mosaic canvases share.

// The translucent background style of an item. One generator serves every
// item and is never seeded, so the same actions give the same colours.
QString item_colour_style(int alpha);

// Runs a context menu built by `fill` at the event's position. The menu
// belongs to no widget: an entry may delete the item while the menu still runs.
void run_context_menu(QContextMenuEvent *event, const std::function<void(QMenu &)> &fill);
