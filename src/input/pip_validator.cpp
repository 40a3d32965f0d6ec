#include "input/pip_validator.h"

QValidator::State PipValidator::validate(QString &input, int &pos) const
{
    const State state = QIntValidator::validate(input, pos);
    if (state != Intermediate)
        return state;
    bool ok = false;
    const int value = input.toInt(&ok, 10);
    return ok && value > top() ? Invalid : state;
}
