// The IP address editor: accepted addresses, keyboard moves between the four
// fields, and its look.

#include <QApplication>
#include <QImage>
#include <QtTest>

#include "widgets/qiplineedit.h"

class TestIPLineEdit : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { delete m_window; }

    void setText_and_outer_edit();
    void keyboard_data();
    void keyboard();
    void one_clean_field_with_dots_in_the_gaps();

private:
    // The fields joined by dots, with '|' at the cursor of the focused field.
    QString state() const;

    QWidget *m_window = nullptr;
    QIPLineEdit *m_edit = nullptr;
};

void TestIPLineEdit::init()
{
    m_window = new QWidget;
    m_window->resize(480, 200);
    m_edit = new QIPLineEdit(m_window);
    m_edit->setGeometry(52, 120, 380, 25);
    m_window->show();
    QApplication::setActiveWindow(m_window);
    QVERIFY(QTest::qWaitForWindowActive(m_window));
}

QString TestIPLineEdit::state() const
{
    QString s = m_edit->text();
    int at = 0;
    for (int i = 0; i < QIPLineEdit::kOctetCount; ++i) {
        QLineEdit *field = m_edit->octet(i);
        if (QApplication::focusWidget() == field)
            return s.insert(at + field->cursorPosition(), '|');
        at += field->text().size() + 1;
    }
    return s;
}

void TestIPLineEdit::setText_and_outer_edit()
{
    // The outer edit takes no typing; empty fields read as three dots.
    QVERIFY(m_edit->isReadOnly());
    m_edit->setFocus();
    QTest::keyClicks(m_edit, QStringLiteral("12"));
    QCOMPARE(m_edit->QLineEdit::text(), QString());
    QCOMPARE(m_edit->text(), QStringLiteral("..."));

    const QString before = QStringLiteral("192.168.1.100");
    const char *const rows[][2] = {{"255.0.249.199", "255.0.249.199"},
                                   {"010.01.001.0", "010.01.001.0"},
                                   {"1.1.1.256", ""},
                                   {"1.2.3", ""},
                                   {"1.2.3.4.5", ""},
                                   {"1..2.3", ""}};
    for (const auto &r : rows) {
        m_edit->setText(before);
        m_edit->setText(QString::fromLatin1(r[0]));
        QCOMPARE(m_edit->text(), *r[1] ? QString::fromLatin1(r[1]) : before);
    }
}

// Keys are typed on whichever field has the focus at that moment: '<' and '>'
// are the arrows, '\b' is backspace, '^' selects back to the field's start.
void TestIPLineEdit::keyboard_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("selection");
    const auto row = [](const char *name, const char *start, const char *keys, const char *end,
                        const char *selection = "") {
        QTest::newRow(name) << start << keys << end << selection;
    };
    row("2,5,6 keeps 25", "|...", "256", "25|...");
    row("letters refused", "...|", "a.", "...|");
    // A digit after 26 (26 x 10 > 255) or after three characters moves on.
    row("26 then a digit moves on", ".26|.34.", "5", ".26.34|.", "34");
    row("192 then digits", "|...", "19216", "192.6|..");
    row("012 then a digit moves on", "012|.34..", "5", "012.34|..", "34");
    row("full last field stays", "1.2.3.255|", "1", "1.2.3.255|");
    // The editor places a 0 after two digits whose value x 10 stays under 255.
    row("1,2,0 gives 120", "|...", "120", "120|...");
    row("0 in front of 12 gives 012", "|12...", "0", "012|...");
    row("00 refuses a third 0", "|...", "000", "00|...");
    // Leading-zero texts are not the pattern's; the next edit is still held to it.
    row("060 edited: 3 refused", "1.2.0|60.4", "^3", "1.2.|060.4", "0");
    row("012 edited: 1 taken", "1.2.0|12.4", "^1", "1.2.1|12.4");
    // Arrows and backspace cross only at a field's edge, never past fields 0 and 3.
    row("left at start", "1.23.|4.", "<", "1.23|.4.");
    row("left at start of field 0", "|1.23.4.", "<", "|1.23.4.");
    row("right at end", "1.23|.4.", ">", "1.23.|4.");
    row("right at end of field 3", "...44|", ">", "...44|");
    row("right through empty fields", "|...", ">>>>", "...|");
    row("backspace at start goes back", "10.|20..", "\b", "10|.20..");
    row("backspace empties, goes back, deletes", "12.5|..", "\b\b\b", "1|...");
}

void TestIPLineEdit::keyboard()
{
    QFETCH(QString, start);
    QFETCH(QString, keys);
    QFETCH(QString, end);
    QFETCH(QString, selection);
    const int bar = start.indexOf('|');
    const int field = start.left(bar).count('.');
    const QString texts = QString(start).remove(bar, 1);
    for (int i = 0; i < QIPLineEdit::kOctetCount; ++i)
        m_edit->octet(i)->setText(texts.section('.', i, i));
    m_edit->octet(field)->setFocus();
    m_edit->octet(field)->setCursorPosition(bar - texts.left(bar).lastIndexOf('.') - 1);
    QTRY_COMPARE(state(), start);
    for (const QChar key : keys) {
        QWidget *focus = QApplication::focusWidget();
        if (key == '^')
            QTest::keyClick(focus, Qt::Key_Home, Qt::ShiftModifier);
        else if (key == '<' || key == '>' || key == '\b')
            QTest::keyClick(focus, key == '<'   ? Qt::Key_Left
                                   : key == '>' ? Qt::Key_Right
                                                : Qt::Key_Backspace);
        else
            QTest::keyClick(focus, key.toLatin1());
    }
    QCOMPARE(state(), end);
    QCOMPARE(qobject_cast<QLineEdit *>(QApplication::focusWidget())->selectedText(), selection);
}

void TestIPLineEdit::one_clean_field_with_dots_in_the_gaps()
{
    const QImage image = m_edit->grab().toImage();
    const int mid = m_edit->height() / 2;
    for (int gap = 0; gap < QIPLineEdit::kOctetCount - 1; ++gap) {
        const QRect left = m_edit->octet(gap)->geometry();
        QCOMPARE(m_edit->octet(gap + 1)->geometry().left() - left.right() - 1, 10);
        // A 4 x 4 dot three pixels into the gap; above and below it the gap looks
        // like the empty field beside it: the outer frame shows all round.
        const int x = left.right() + 1 + 3 + 2;
        QCOMPARE(image.pixelColor(x, mid), QColor(Qt::black));
        QVERIFY(image.pixelColor(left.right() + 1, mid) != QColor(Qt::black));
        for (int y = 0; y < m_edit->height(); ++y) {
            if (qAbs(y - mid) > 3)
                QCOMPARE(image.pixelColor(x, y), image.pixelColor(left.right() - 2, y));
        }
    }
}

QTEST_MAIN(TestIPLineEdit)
#include "tst_qiplineedit.moc"
