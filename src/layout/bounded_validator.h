#pragma once

#include <QIntValidator>

// An integer validator that refuses a keystroke taking the value above the
// maximum (QIntValidator only calls it Intermediate while the digit count
// fits). Values below the minimum stay Intermediate: they may still grow.
class BoundedIntValidator : public QIntValidator
{
public:
    using QIntValidator::QIntValidator;

    State validate(QString &input, int &pos) const override
    {
        const State state = QIntValidator::validate(input, pos);
        if (state != Intermediate)
            return state;
        bool ok = false;
        const int value = input.toInt(&ok, 10);
        return ok && value > top() && value >= 0 ? Invalid : Intermediate;
    }
};
