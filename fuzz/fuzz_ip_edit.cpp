// QIPLineEdit::setText once per input line (UTF-8), or, after a first byte 1,
// one key press per byte to the focused field. Properties: text() becomes a line
// that is four dotted decimal parts of one to three digits up to 255 (leading
// zeros allowed) and stays otherwise; after each key every field holds at most
// three digits worth at most 255.

#include <QApplication>
#include <QKeyEvent>
#include <QRegularExpression>
#include <algorithm>

#include "fuzz_common.h"
#include "widgets/qiplineedit.h"

namespace {

QIPLineEdit *edit = nullptr;

// Four dotted parts of up to three digits worth at most 255, empty only while typed.
bool is_address(const QString &text, bool typing)
{
    static const QRegularExpression form(QStringLiteral("\\A[0-9]{0,3}(\\.[0-9]{0,3}){3}\\z"));
    const QStringList parts = text.split(QLatin1Char('.'));
    return form.match(text).hasMatch() && std::all_of(parts.begin(), parts.end(), [&](auto &p) {
               return p.toInt() <= 255 && (typing || !p.isEmpty());
           });
}

// Bytes 0-9 are digits, 10-15 the keys below; bit 4 adds Shift (arrows select).
void type(const uint8_t *keys, size_t count)
{
    constexpr int kMoves[] = {Qt::Key_Left, Qt::Key_Right,     Qt::Key_Home,
                              Qt::Key_End,  Qt::Key_Backspace, Qt::Key_Delete};
    for (int i = 0; i < QIPLineEdit::kOctetCount; ++i)
        edit->octet(i)->clear();
    edit->octet(0)->setFocus();
    // Each key costs a text layout; longer runs only repeat what short ones reach.
    for (size_t k = 0; k < std::min<size_t>(count, 48); ++k) {
        const int b = keys[k] & 15;
        QWidget *target = QApplication::focusWidget();
        FUZZ_CHECK(target);
        QKeyEvent press(QEvent::KeyPress, b < 10 ? Qt::Key_0 + b : kMoves[b - 10],
                        keys[k] & 16 ? Qt::ShiftModifier : Qt::NoModifier,
                        b < 10 ? QString(QChar('0' + b)) : QString());
        QApplication::sendEvent(target, &press);
        FUZZ_CHECK(is_address(edit->text(), true)); // so no field holds a dot either
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0); // unless the caller chose a platform
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
    if (size > 0 && data[0] == 1) {
        type(data + 1, size - 1);
        return 0;
    }
    QString expected = QStringLiteral("192.168.1.100");
    edit->setText(expected);
    FUZZ_CHECK(edit->text() == expected);
    const QString input = QString::fromUtf8(reinterpret_cast<const char *>(data), int(size));
    for (const QString &line : input.split(QLatin1Char('\n'))) {
        edit->setText(line);
        if (is_address(line, false))
            expected = line;
        FUZZ_CHECK(edit->text() == expected); // so no field holds a dot or a fourth character
    }
    return 0;
}
