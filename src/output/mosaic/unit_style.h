#pragma once

#include <QString>

class QLabel;
class QLineEdit;

// Shared look of the editor's units: a read-only, frameless box in a random
// translucent colour with a label over it that lets the mouse through.
void style_unit_box(QLineEdit *box, QLabel *label, int alpha);
// "OutA:DVI-1" .. "OutB:DVI-4".
QString port_name(int card, int port);
