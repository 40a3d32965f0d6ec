#pragma once

#include <QString>

class QLabel;
class QLineEdit;
class QWidget;

// Shared look of the editor's units: a read-only, frameless box in a random
// translucent colour with a label over it that lets the mouse through.
void style_unit_box(QLineEdit *box, QLabel *label, int alpha);
// "OutA:DVI-1" .. "OutB:DVI-4".
QString port_name(int card, int port);
// Hides an item and destroys it once control is back in the event loop: the
// item may be the sender of the signal being handled.
void discard_item(QWidget *item);
