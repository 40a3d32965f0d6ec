#pragma once

#include <functional>
#include <initializer_list>

#include "device/device_data.h"

class QLabel;
class QLineEdit;
class QObject;

// The four edits of a rectangle, as the size dialogs show them.
struct RectEdits {
    QLineEdit *x;
    QLineEdit *y;
    QLineEdit *w;
    QLineEdit *h;
};

void show_rect(const RectEdits &edits, const DevRect &rect);
// Non-numeric text reads as 0.
DevRect read_rect(const RectEdits &edits);

// Captions in the interface language: "H_Start", "V_Start", "Width", "Height";
// "Gray", "Brightness", "Color" of the picture values.
void set_rect_captions(QLabel *x, QLabel *y, QLabel *w, QLabel *h);
void set_picture_captions(QLabel *gray, QLabel *brightness, QLabel *color);

// Gives each edit a bounded validator and runs `update`, which sets their
// ranges, now and after every change of one of their texts.
void bind_bounded_edits(QObject *context, std::initializer_list<QLineEdit *> edits,
                        const std::function<void()> &update);
