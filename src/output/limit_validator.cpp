#include "output/limit_validator.h"

LimitValidator::LimitValidator(int bottom, int top, QObject *parent)
    : QIntValidator(bottom, top, parent)
{
}

QValidator::State LimitValidator::validate(QString &input, int &pos) const
{
    const State state = QIntValidator::validate(input, pos);
    if (state != Intermediate)
        return state;
    bool ok = false;
    const int value = input.toInt(&ok);
    if (ok && value > top())
        return Invalid;
    return state;
}
