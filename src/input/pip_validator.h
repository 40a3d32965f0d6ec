#pragma once

#include <QIntValidator>

// An integer validator that refuses a keystroke taking the value above the
// maximum (QIntValidator would call a short number Intermediate), so that a
// value beyond the frame cannot be typed at all.
class PipValidator : public QIntValidator
{
public:
    using QIntValidator::QIntValidator;
    State validate(QString &input, int &pos) const override;
};
