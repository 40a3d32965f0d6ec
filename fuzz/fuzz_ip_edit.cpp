// QIPLineEdit::setText with arbitrary text, one call per input line (UTF-8);
// or, for an input that starts with byte 1, typing: each later byte one key
// press sent to the field that has the focus.
//
// Properties: after each setText, text() is the new text when it is a dotted
// address of four decimal parts of one to three digits, each at most 255
// (leading zeros allowed), and the previous address otherwise. After each key
// every field holds at most three digits worth at most 255.

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStringList>
#include <algorithm>

#include "fuzz_check.h"
#include "widgets/qiplineedit.h"

namespace {

constexpr int kOctets = QIPLineEdit::kOctetCount;

constexpr uint8_t kTypingMode = 1;
constexpr size_t kMaxKeys = 48;

QIPLineEdit *edit = nullptr;

// Sixteen keys; bit 4 of the byte adds Shift, which makes arrows select.
constexpr int kKeys[16] = {Qt::Key_0,    Qt::Key_1,   Qt::Key_2,         Qt::Key_3,
                           Qt::Key_4,    Qt::Key_5,   Qt::Key_6,         Qt::Key_7,
                           Qt::Key_8,    Qt::Key_9,   Qt::Key_Left,      Qt::Key_Right,
                           Qt::Key_Home, Qt::Key_End, Qt::Key_Backspace, Qt::Key_Delete};

// One to three digits (or none, for a field being typed) worth at most 255.
bool is_octet(const QString &text, bool may_be_empty = true)
{
    if (text.size() > 3 || (text.isEmpty() && !may_be_empty))
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return text.toInt() <= 255;
}

bool is_address(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    return parts.size() == kOctets && std::all_of(parts.begin(), parts.end(), [](const QString &p) {
               return is_octet(p, false);
           });
}

void type(const uint8_t *keys, size_t count)
{
    for (int i = 0; i < kOctets; ++i)
        edit->octet(i)->clear();
    edit->octet(0)->setFocus();
    // Each key costs a text layout; longer runs only repeat what short ones reach.
    count = std::min<size_t>(count, kMaxKeys);
    for (size_t k = 0; k < count; ++k) {
        const int key = kKeys[keys[k] & 15];
        const Qt::KeyboardModifiers modifiers = keys[k] & 16 ? Qt::ShiftModifier : Qt::NoModifier;
        const QString text = key <= Qt::Key_9 ? QString(QChar(key)) : QString();
        QWidget *target = QApplication::focusWidget();
        FUZZ_CHECK(target);
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(target, &press);
        for (int i = 0; i < kOctets; ++i)
            FUZZ_CHECK(is_octet(edit->octet(i)->text()));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt keeps a reference to argc for the application's lifetime.
    static int argc = 1;
    static char name[] = "fuzz_ip_edit";
    static char *argv[] = {name, nullptr};
    new QApplication(argc, argv); // lives until exit, like in the program
    edit = new QIPLineEdit;
    edit->resize(380, 25);
    edit->show();
    QApplication::setActiveWindow(edit); // so that focus moves between the fields
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 0 && data[0] == kTypingMode) {
        type(data + 1, size - 1);
        return 0;
    }

    const QString start = QStringLiteral("192.168.1.100");
    edit->setText(start);
    FUZZ_CHECK(edit->text() == start);

    const QString input =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<int>(size));
    QString expected = start;
    for (const QString &line : input.split(QLatin1Char('\n'))) {
        edit->setText(line);
        if (is_address(line))
            expected = line;
        FUZZ_CHECK(edit->text() == expected);
        for (int i = 0; i < kOctets; ++i)
            FUZZ_CHECK(edit->octet(i)->text().size() <= 3);
    }
    return 0;
}
