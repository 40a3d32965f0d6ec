#pragma once

#include <QIntValidator>

// An integer validator that refuses a keystroke taking the value above the
// maximum, instead of accepting it as intermediate input: typing 128 into a
// field of 3..127 leaves 12. Values below the minimum stay intermediate, so a
// number can be typed digit by digit; Save checks the lower bound.
class LimitValidator : public QIntValidator
{
    Q_OBJECT

public:
    explicit LimitValidator(int bottom, int top, QObject *parent = nullptr);

    State validate(QString &input, int &pos) const override;
};
