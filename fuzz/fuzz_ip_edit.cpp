// QIPLineEdit::setText with arbitrary text, one call per input line (UTF-8).
//
// Property: after each call text() is the new text when it is a dotted address
// of four decimal parts of one to three digits, each at most 255 (leading zeros
// allowed), and the previous address otherwise. Every octet stays within the
// field's three characters.

#include <QApplication>
#include <QLineEdit>
#include <QStringList>

#include "fuzz_check.h"
#include "widgets/qiplineedit.h"

namespace {

constexpr int kOctets = QIPLineEdit::kOctetCount;

QIPLineEdit *edit = nullptr;

bool is_address(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != kOctets)
        return false;
    for (const QString &part : parts) {
        if (part.isEmpty() || part.size() > 3)
            return false;
        for (const QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        }
        if (part.toInt() > 255)
            return false;
    }
    return true;
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
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
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
