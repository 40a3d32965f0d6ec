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
    void cleanup();

    void setText_data();
    void setText();
    void keyboard_data();
    void keyboard();
    void edits_from_leading_zeros_still_validated_data();
    void edits_from_leading_zeros_still_validated();
    void outer_edit_takes_no_typing();
    void one_clean_field_with_dots_in_the_gaps();

private:
    int focused_field() const;

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

void TestIPLineEdit::cleanup()
{
    delete m_window;
}

int TestIPLineEdit::focused_field() const
{
    for (int i = 0; i < QIPLineEdit::kOctetCount; ++i) {
        if (QApplication::focusWidget() == m_edit->octet(i))
            return i;
    }
    return -1;
}

void TestIPLineEdit::setText_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("text"); // text() afterwards; fields start as 192.168.1.100

    const QString unchanged = QStringLiteral("192.168.1.100");
    QTest::newRow("bounds") << "255.0.249.199"
                            << "255.0.249.199";
    QTest::newRow("leading zeros kept") << "010.01.001.0"
                                        << "010.01.001.0";
    QTest::newRow("256") << "1.1.1.256" << unchanged;
    QTest::newRow("three parts") << "1.2.3" << unchanged;
    QTest::newRow("five parts") << "1.2.3.4.5" << unchanged;
    QTest::newRow("empty part") << "1..2.3" << unchanged;
}

void TestIPLineEdit::setText()
{
    QFETCH(QString, input);
    QFETCH(QString, text);
    m_edit->setText(QStringLiteral("192.168.1.100"));
    m_edit->setText(input);
    QCOMPARE(m_edit->text(), text);
}

// Each row starts with the fields (joined by dots) and the focus in one field
// at a cursor position, then types the keys on whichever field has the focus at
// that moment, as a keyboard would: '<' and '>' are the arrows, '\b' is
// backspace.
void TestIPLineEdit::keyboard_data()
{
    QTest::addColumn<QString>("texts");
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("expectedField");
    QTest::addColumn<int>("expectedCursor");
    QTest::addColumn<QString>("selection");
    const auto row = [](const char *name, const char *texts, int field, int cursor,
                        const char *keys, const char *expected, int expectedField,
                        int expectedCursor, const char *selection = "") {
        QTest::newRow(name) << texts << field << cursor << keys << expected << expectedField
                            << expectedCursor << selection;
    };

    // Digits: the field's pattern refuses what would pass 255.
    row("2,5,6 keeps 25", "...", 0, 0, "256", "25...", 0, 2);
    row("letters refused", "...", 3, 0, "a.", "...", 3, 0);
    // A digit after 26 (26 x 10 > 255) moves on and selects the next field...
    row("26 then a digit moves on", ".26.34.", 1, 2, "5", ".26.34.", 2, 2, "34");
    // ...and so does one after three characters, whatever their value.
    row("192 then digits", "...", 0, 0, "19216", "192.6..", 1, 1);
    row("012 then a digit moves on", "012.34..", 0, 3, "5", "012.34..", 1, 2, "34");
    row("full last field stays", "1.2.3.255", 3, 3, "1", "1.2.3.255", 3, 3);
    // A 0 after two digits whose value x 10 stays under 255 is placed by the
    // editor.
    row("1,2,0 gives 120", "...", 0, 0, "120", "120...", 0, 3);
    row("0 in front of 12 gives 012", "12...", 0, 0, "0", "012...", 0, 3);
    row("00 refuses a third 0", "...", 0, 0, "000", "00...", 0, 2);
    // Arrows and backspace cross fields only at their edges, never past fields 0
    // and 3.
    row("left at start", "1.23.4.", 2, 0, "<", "1.23.4.", 1, 2);
    row("right at end", "1.23.4.", 1, 2, ">", "1.23.4.", 2, 0);
    row("right at end of field 3", "...44", 3, 2, ">", "...44", 3, 2);
    row("right through empty fields", "...", 0, 0, ">>>>", "...", 3, 0);
    row("backspace at start goes back", "10.20..", 1, 0, "\b", "10.20..", 0, 2);
    row("backspace empties, goes back, deletes", "12.5..", 1, 1, "\b\b\b", "1...", 0, 1);
}

void TestIPLineEdit::keyboard()
{
    QFETCH(QString, texts);
    QFETCH(int, field);
    QFETCH(int, cursor);
    QFETCH(QString, keys);
    QFETCH(QString, expected);
    QFETCH(int, expectedField);
    QFETCH(int, expectedCursor);
    QFETCH(QString, selection);

    for (int i = 0; i < QIPLineEdit::kOctetCount; ++i)
        m_edit->octet(i)->setText(texts.section('.', i, i));
    m_edit->octet(field)->setFocus();
    QTRY_COMPARE(focused_field(), field);
    m_edit->octet(field)->setCursorPosition(cursor);
    for (const QChar key : keys) {
        QWidget *focus = QApplication::focusWidget();
        if (key == '<' || key == '>' || key == '\b')
            QTest::keyClick(focus, key == '<'   ? Qt::Key_Left
                                   : key == '>' ? Qt::Key_Right
                                                : Qt::Key_Backspace);
        else
            QTest::keyClick(focus, key.toLatin1());
    }
    QCOMPARE(m_edit->text(), expected);
    QCOMPARE(focused_field(), expectedField);
    QCOMPARE(m_edit->octet(expectedField)->cursorPosition(), expectedCursor);
    QCOMPARE(m_edit->octet(expectedField)->selectedText(), selection);
}

// Leading-zero texts (from setText or the 0 insertion) are ones the field's
// pattern refuses; the next edit must still be held to the pattern.
void TestIPLineEdit::edits_from_leading_zeros_still_validated_data()
{
    QTest::addColumn<QString>("octet");
    QTest::addColumn<int>("key"); // typed over the selected first character
    QTest::addColumn<QString>("expected");
    QTest::newRow("060: 3 refused") << "060" << int(Qt::Key_3) << "060";
    QTest::newRow("012: 1 taken") << "012" << int(Qt::Key_1) << "112";
}

void TestIPLineEdit::edits_from_leading_zeros_still_validated()
{
    QFETCH(QString, octet);
    QFETCH(int, key);
    QFETCH(QString, expected);
    m_edit->setText("1.2." + octet + ".4");
    QLineEdit *field = m_edit->octet(2);
    field->setFocus();
    QTRY_COMPARE(focused_field(), 2);
    field->setSelection(0, 1);
    QTest::keyClick(field, Qt::Key(key));
    QCOMPARE(field->text(), expected);
}

void TestIPLineEdit::outer_edit_takes_no_typing()
{
    QVERIFY(m_edit->isReadOnly());
    m_edit->setFocus();
    QTest::keyClicks(m_edit, QStringLiteral("12"));
    QCOMPARE(m_edit->QLineEdit::text(), QString());
    QCOMPARE(m_edit->text(), QStringLiteral("..."));
}

void TestIPLineEdit::one_clean_field_with_dots_in_the_gaps()
{
    const QImage image = m_edit->grab().toImage();
    const int mid = m_edit->height() / 2;
    for (int gap = 0; gap < QIPLineEdit::kOctetCount - 1; ++gap) {
        const QRect left = m_edit->octet(gap)->geometry();
        const QRect right = m_edit->octet(gap + 1)->geometry();
        QCOMPARE(right.left() - left.right() - 1, 10);
        // A 4 x 4 dot three pixels into the gap, centred on the middle line.
        const int x = left.right() + 1 + 3 + 2;
        QCOMPARE(image.pixelColor(x, mid), QColor(Qt::black));
        QVERIFY(image.pixelColor(left.right() + 1, mid) != QColor(Qt::black));
        // Above and below the dot, from edge to edge, the gap looks like the empty
        // field beside it (away from its centred cursor): the outer frame shows all
        // round, not in pieces.
        for (int y = 0; y < m_edit->height(); ++y) {
            if (qAbs(y - mid) > 3)
                QCOMPARE(image.pixelColor(x, y), image.pixelColor(left.right() - 2, y));
        }
    }
}

QTEST_MAIN(TestIPLineEdit)
#include "tst_qiplineedit.moc"
