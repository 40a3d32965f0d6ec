#pragma once

#include <QIntValidator>
#include <QLineEdit>

#include <initializer_list>

// An integer range whose maximum cannot be typed past: a keystroke taking the
// value above it is refused (typing 128 into 3..127 leaves 12), where
// QIntValidator would call a short number Intermediate. A value below the
// minimum stays Intermediate, so it can be typed digit by digit; Save checks it.
class BoundedValidator : public QIntValidator
{
public:
    using QIntValidator::QIntValidator;

    State validate(QString &input, int &pos) const override;
};

// Sets the range of an edit's bounded validator, creating it on first use.
void set_edit_range(QLineEdit *edit, int bottom, int top);

// Save sends only when every edit holds an acceptable value; otherwise the
// first bad edit gets the focus with its text selected, and this is false.
void focus_edit(QLineEdit *edit);
template <typename Edits>
bool all_acceptable(const Edits &edits)
{
    for (QLineEdit *edit : edits) {
        if (!edit->hasAcceptableInput()) {
            focus_edit(edit);
            return false;
        }
    }
    return true;
}
inline bool all_acceptable(std::initializer_list<QLineEdit *> edits)
{
    return all_acceptable<std::initializer_list<QLineEdit *>>(edits);
}
