#include "widgets/bounded_validator.h"

QValidator::State BoundedValidator::validate(QString &input, int &pos) const
{
    const State state = QIntValidator::validate(input, pos);
    if (state != Intermediate)
        return state;
    bool ok = false;
    const int value = input.toInt(&ok, 10);
    return ok && value > top() ? Invalid : state;
}

void set_edit_range(QLineEdit *edit, int bottom, int top)
{
    auto *validator = dynamic_cast<BoundedValidator *>(const_cast<QValidator *>(edit->validator()));
    if (!validator) {
        validator = new BoundedValidator(edit);
        edit->setValidator(validator);
    }
    validator->setRange(bottom, top);
}

void focus_edit(QLineEdit *edit)
{
    edit->setFocus();
    edit->selectAll();
}
