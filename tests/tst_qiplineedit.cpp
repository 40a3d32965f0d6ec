#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <QtTest>

#include "widgets/qiplineedit.h"

using Keys = QVector<int>;

class TestIPLineEdit : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fieldsAndOuterEdit();
    void setTextAcceptsOnlyDottedQuads_data();
    void setTextAcceptsOnlyDottedQuads();
    void textJoinsFieldsUnchecked_data();
    void textJoinsFieldsUnchecked();
    void keyboard_data();
    void keyboard();
    void editsFromLeadingZerosStillValidated_data();
    void editsFromLeadingZerosStillValidated();
    void chargeForEveryFilteredEvent();
    void dotsSitInTheGaps();

private:
    void setFields(const QStringList &texts);
    QStringList fields() const;
    int focusedField() const;

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
    m_window = nullptr;
    m_edit = nullptr;
}

void TestIPLineEdit::setFields(const QStringList &texts)
{
    for (int i = 0; i < QIPLineEdit::kOctetCount; ++i)
        m_edit->octet(i)->setText(texts.at(i));
}

QStringList TestIPLineEdit::fields() const
{
    QStringList texts;
    for (int i = 0; i < QIPLineEdit::kOctetCount; ++i)
        texts << m_edit->octet(i)->text();
    return texts;
}

int TestIPLineEdit::focusedField() const
{
    for (int i = 0; i < QIPLineEdit::kOctetCount; ++i) {
        if (QApplication::focusWidget() == m_edit->octet(i))
            return i;
    }
    return -1;
}

void TestIPLineEdit::fieldsAndOuterEdit()
{
    QVERIFY(m_edit->isReadOnly());
    // Typing on the outer edit itself changes nothing.
    m_edit->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(m_edit));
    QTest::keyClicks(m_edit, QStringLiteral("12"));
    QCOMPARE(m_edit->QLineEdit::text(), QString());
    QCOMPARE(m_edit->text(), QStringLiteral("..."));

    // The four fields fill the edit from edge to edge, left to right.
    QCOMPARE(m_edit->octet(0)->geometry().left(), 0);
    for (int i = 1; i < QIPLineEdit::kOctetCount; ++i)
        QVERIFY(m_edit->octet(i)->geometry().left() > m_edit->octet(i - 1)->geometry().right());
    QCOMPARE(m_edit->octet(3)->geometry().right(), m_edit->width() - 1);
}

void TestIPLineEdit::setTextAcceptsOnlyDottedQuads_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("expected");

    const QStringList unchanged{"192", "168", "1", "100"};
    QTest::newRow("plain") << "10.1.2.3" << QStringList{"10", "1", "2", "3"};
    QTest::newRow("bounds") << "255.0.249.199" << QStringList{"255", "0", "249", "199"};
    QTest::newRow("leading zeros") << "010.01.001.0" << QStringList{"010", "01", "001", "0"};
    QTest::newRow("octet over 255") << "300.1.1.1" << unchanged;
    QTest::newRow("256") << "1.1.1.256" << unchanged;
    QTest::newRow("three parts") << "1.2.3" << unchanged;
    QTest::newRow("five parts") << "1.2.3.4.5" << unchanged;
    QTest::newRow("empty") << "" << unchanged;
    QTest::newRow("leading space") << " 1.2.3.4" << unchanged;
    QTest::newRow("trailing space") << "1.2.3.4 " << unchanged;
    QTest::newRow("empty part") << "1..2.3" << unchanged;
    QTest::newRow("letter") << "1.2.3.a" << unchanged;
    QTest::newRow("four digits") << "1.2.3.0004" << unchanged;
}

void TestIPLineEdit::setTextAcceptsOnlyDottedQuads()
{
    QFETCH(QString, input);
    QFETCH(QStringList, expected);

    m_edit->setText(QStringLiteral("192.168.1.100"));
    m_edit->setText(input);
    QCOMPARE(fields(), expected);
}

void TestIPLineEdit::textJoinsFieldsUnchecked_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("expected");

    QTest::newRow("all empty") << QStringList{"", "", "", ""} << "...";
    QTest::newRow("gaps") << QStringList{"192", "", "1", ""} << "192..1.";
    // Set directly, past the validators: text() does not check.
    QTest::newRow("unchecked") << QStringList{"999", "x", "0", "012"} << "999.x.0.012";
}

void TestIPLineEdit::textJoinsFieldsUnchecked()
{
    QFETCH(QStringList, texts);
    QFETCH(QString, expected);

    setFields(texts);
    QCOMPARE(m_edit->text(), expected);
}

// Each row starts with the given field texts, the focus in one field with its
// cursor at a position, then clicks the keys one by one on whichever field has
// the focus at that moment, as a keyboard would.
void TestIPLineEdit::keyboard_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<Keys>("keys");
    QTest::addColumn<QStringList>("expectedTexts");
    QTest::addColumn<int>("expectedField");
    QTest::addColumn<int>("expectedCursor");
    QTest::addColumn<QString>("expectedSelection");

    const QStringList empty{"", "", "", ""};

    // Digits.
    QTest::newRow("2,5,6 keeps 25") << empty << 0 << 0 << Keys{Qt::Key_2, Qt::Key_5, Qt::Key_6}
                                    << QStringList{"25", "", "", ""} << 0 << 2 << "";
    QTest::newRow("25 then 5 gives 255") << empty << 0 << 0 << Keys{Qt::Key_2, Qt::Key_5, Qt::Key_5}
                                         << QStringList{"255", "", "", ""} << 0 << 3 << "";
    QTest::newRow("26 then a digit moves on, selecting")
        << QStringList{"", "26", "34", ""} << 1 << 2 << Keys{Qt::Key_5}
        << QStringList{"", "26", "34", ""} << 2 << 2 << "34";
    QTest::newRow("26 then 0 moves on too")
        << QStringList{"", "26", "", ""} << 1 << 2 << Keys{Qt::Key_0}
        << QStringList{"", "26", "", ""} << 2 << 0 << "";
    QTest::newRow("digit replaces the selection in the next field")
        << QStringList{"", "26", "34", ""} << 1 << 2 << Keys{Qt::Key_5, Qt::Key_7}
        << QStringList{"", "26", "7", ""} << 2 << 1 << "";
    QTest::newRow("full field moves on and drops the digit")
        << empty << 0 << 0 << Keys{Qt::Key_1, Qt::Key_9, Qt::Key_2, Qt::Key_1, Qt::Key_6}
        << QStringList{"192", "6", "", ""} << 1 << 1 << "";
    QTest::newRow("full last field stays")
        << QStringList{"1", "2", "3", "255"} << 3 << 3 << Keys{Qt::Key_1}
        << QStringList{"1", "2", "3", "255"} << 3 << 3 << "";

    // A 0 after two digits is placed by the editor, then the key finds the field full.
    QTest::newRow("1,2,0 gives 120") << empty << 0 << 0 << Keys{Qt::Key_1, Qt::Key_2, Qt::Key_0}
                                     << QStringList{"120", "", "", ""} << 0 << 3 << "";
    QTest::newRow("0 with the cursor inside 12 gives 102")
        << QStringList{"12", "", "", ""} << 0 << 1 << Keys{Qt::Key_0}
        << QStringList{"102", "", "", ""} << 0 << 3 << "";
    QTest::newRow("0 in front of 12 gives 012")
        << QStringList{"12", "", "", ""} << 0 << 0 << Keys{Qt::Key_0}
        << QStringList{"012", "", "", ""} << 0 << 3 << "";
    QTest::newRow("25 then 0 gives 250")
        << QStringList{"", "", "25", ""} << 2 << 2 << Keys{Qt::Key_0}
        << QStringList{"", "", "250", ""} << 2 << 3 << "";
    QTest::newRow("00 refuses a third 0")
        << empty << 0 << 0 << Keys{Qt::Key_0, Qt::Key_0, Qt::Key_0} << QStringList{"00", "", "", ""}
        << 0 << 2 << "";
    QTest::newRow("letters are refused")
        << empty << 3 << 0 << Keys{Qt::Key_A, Qt::Key_Period} << empty << 3 << 0 << "";

    // Arrows.
    QTest::newRow("left at start goes to end of previous")
        << QStringList{"1", "23", "4", ""} << 2 << 0 << Keys{Qt::Key_Left}
        << QStringList{"1", "23", "4", ""} << 1 << 2 << "";
    QTest::newRow("left inside moves the cursor")
        << QStringList{"1", "23", "4", ""} << 1 << 2 << Keys{Qt::Key_Left}
        << QStringList{"1", "23", "4", ""} << 1 << 1 << "";
    QTest::newRow("left at start of field 0 stays")
        << QStringList{"12", "", "", ""} << 0 << 0 << Keys{Qt::Key_Left}
        << QStringList{"12", "", "", ""} << 0 << 0 << "";
    QTest::newRow("left walks back through empty fields")
        << empty << 3 << 0 << Keys{Qt::Key_Left, Qt::Key_Left, Qt::Key_Left, Qt::Key_Left} << empty
        << 0 << 0 << "";
    QTest::newRow("right at end goes to start of next")
        << QStringList{"1", "23", "4", ""} << 1 << 2 << Keys{Qt::Key_Right}
        << QStringList{"1", "23", "4", ""} << 2 << 0 << "";
    QTest::newRow("right inside moves the cursor")
        << QStringList{"1", "23", "4", ""} << 1 << 0 << Keys{Qt::Key_Right}
        << QStringList{"1", "23", "4", ""} << 1 << 1 << "";
    QTest::newRow("right at end of field 3 stays")
        << QStringList{"", "", "", "44"} << 3 << 2 << Keys{Qt::Key_Right}
        << QStringList{"", "", "", "44"} << 3 << 2 << "";
    QTest::newRow("right walks through empty fields")
        << empty << 0 << 0 << Keys{Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right}
        << empty << 3 << 0 << "";

    // Backspace: moving back does not delete in the previous field.
    QTest::newRow("backspace at start goes back")
        << QStringList{"10", "20", "", ""} << 1 << 0 << Keys{Qt::Key_Backspace}
        << QStringList{"10", "20", "", ""} << 0 << 2 << "";
    QTest::newRow("backspace in empty field goes back")
        << QStringList{"10", "20", "", ""} << 2 << 0 << Keys{Qt::Key_Backspace}
        << QStringList{"10", "20", "", ""} << 1 << 2 << "";
    QTest::newRow("backspace inside deletes")
        << QStringList{"10", "20", "", ""} << 1 << 2 << Keys{Qt::Key_Backspace}
        << QStringList{"10", "2", "", ""} << 1 << 1 << "";
    QTest::newRow("backspace at start of field 0 stays")
        << QStringList{"10", "", "", ""} << 0 << 0 << Keys{Qt::Key_Backspace}
        << QStringList{"10", "", "", ""} << 0 << 0 << "";
    QTest::newRow("backspace empties, goes back, then deletes")
        << QStringList{"12", "5", "", ""} << 1 << 1
        << Keys{Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_Backspace}
        << QStringList{"1", "", "", ""} << 0 << 1 << "";
}

void TestIPLineEdit::keyboard()
{
    QFETCH(QStringList, texts);
    QFETCH(int, field);
    QFETCH(int, cursor);
    QFETCH(Keys, keys);
    QFETCH(QStringList, expectedTexts);
    QFETCH(int, expectedField);
    QFETCH(int, expectedCursor);
    QFETCH(QString, expectedSelection);

    setFields(texts);
    m_edit->octet(field)->setFocus();
    QTRY_COMPARE(focusedField(), field);
    m_edit->octet(field)->setCursorPosition(cursor);

    for (const int key : keys) {
        QWidget *target = QApplication::focusWidget();
        QVERIFY(target);
        QTest::keyClick(target, Qt::Key(key));
    }

    QCOMPARE(fields(), expectedTexts);
    QCOMPARE(focusedField(), expectedField);
    QLineEdit *focused = m_edit->octet(expectedField);
    QCOMPARE(focused->cursorPosition(), expectedCursor);
    QCOMPARE(focused->selectedText(), expectedSelection);
}

// Leading-zero texts (from setText or the 0 insertion) are ones the field's
// pattern refuses; the next edit must still be held to the pattern.
void TestIPLineEdit::editsFromLeadingZerosStillValidated_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("expected");

    QTest::newRow("060: 3 over the first 0 refused") << "1.2.060.4" << 0 << int(Qt::Key_3) << "060";
    QTest::newRow("012: 9 over the 0 refused") << "1.2.012.4" << 0 << int(Qt::Key_9) << "012";
    QTest::newRow("012: 1 over the 0 taken") << "1.2.012.4" << 0 << int(Qt::Key_1) << "112";
    QTest::newRow("099: 1 over the 0 taken") << "1.2.099.4" << 0 << int(Qt::Key_1) << "199";
}

void TestIPLineEdit::editsFromLeadingZerosStillValidated()
{
    QFETCH(QString, address);
    QFETCH(int, selectionStart);
    QFETCH(int, key);
    QFETCH(QString, expected);

    m_edit->setText(address);
    QLineEdit *octet = m_edit->octet(2);
    octet->setFocus();
    QTRY_COMPARE(focusedField(), 2);
    octet->setSelection(selectionStart, 1);
    QTest::keyClick(octet, Qt::Key(key));
    QCOMPARE(octet->text(), expected);
}

namespace {

// Counts the events that reach a watched object, whatever their kind.
class EventCounter : public QObject
{
public:
    int count = 0;
    QVector<QEvent::Type> types;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        ++count;
        types << event->type();
        return false;
    }
};

} // namespace

void TestIPLineEdit::chargeForEveryFilteredEvent()
{
    QSignalSpy spy(m_edit, &QIPLineEdit::charge);
    QLineEdit *octet = m_edit->octet(2);

    QEvent custom(QEvent::User);
    QCoreApplication::sendEvent(octet, &custom);
    QCOMPARE(spy.count(), 1);

    // Real typing, moves between fields included: one charge() per event seen.
    EventCounter counter;
    for (int i = 0; i < QIPLineEdit::kOctetCount; ++i)
        m_edit->octet(i)->installEventFilter(&counter);
    spy.clear();
    octet->setFocus();
    QTRY_COMPARE(focusedField(), 2);
    QTest::keyClicks(octet, QStringLiteral("7"));
    QTest::keyClick(octet, Qt::Key_Left);
    QTest::keyClick(octet, Qt::Key_Left);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    QCOMPARE(focusedField(), 2);
    QCOMPARE(octet->text(), QStringLiteral("7"));
    QVERIFY(counter.types.contains(QEvent::KeyPress));
    QVERIFY(counter.types.contains(QEvent::KeyRelease));
    QVERIFY(counter.types.contains(QEvent::FocusIn));
    QCOMPARE(spy.count(), counter.count);
}

void TestIPLineEdit::dotsSitInTheGaps()
{
    const QImage image = m_edit->grab().toImage();
    const int midY = m_edit->height() / 2;
    for (int gap = 0; gap < QIPLineEdit::kOctetCount - 1; ++gap) {
        const QRect left = m_edit->octet(gap)->geometry();
        const QRect right = m_edit->octet(gap + 1)->geometry();
        QCOMPARE(right.left() - left.right() - 1, 10);
        // A 4 x 4 dot three pixels into the gap, centred on the middle line.
        const QPoint centre(left.right() + 1 + 3 + 2, midY);
        QCOMPARE(image.pixelColor(centre), QColor(Qt::black));
        QVERIFY(image.pixelColor(left.right() + 1, midY) != QColor(Qt::black));
        QVERIFY(image.pixelColor(centre.x(), midY - 4) != QColor(Qt::black));
    }
}

QTEST_MAIN(TestIPLineEdit)
#include "tst_qiplineedit.moc"
