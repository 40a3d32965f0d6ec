// The IP address editor: accepted addresses, keyboard moves between the four
// fields, and its look.

#include <QApplication>
#include <QImage>
#include <QtTest>

#include "widgets/qiplineedit.h"

class TestIPLineEdit : public QObject
{
    Q_OBJECT

    QIPLineEdit *m_edit = nullptr;

    // The fields joined by dots, with '|' at the cursor of the focused field.
    QString state() const
    {
        QString s = m_edit->text();
        for (int i = 0, at = 0; i < QIPLineEdit::kOctetCount; ++i) {
            QLineEdit *field = m_edit->octet(i);
            if (field->hasFocus())
                return s.insert(at + field->cursorPosition(), '|');
            at += field->text().size() + 1;
        }
        return s;
    }

private slots:
    void init()
    {
        m_edit = new QIPLineEdit;
        m_edit->resize(380, 25);
        m_edit->show();
        QApplication::setActiveWindow(m_edit);
        QVERIFY(QTest::qWaitForWindowActive(m_edit));
    }
    void cleanup() { delete m_edit; }

    void setText_and_outer_edit()
    {
        // The outer edit takes no typing; empty fields read as three dots.
        QVERIFY(m_edit->isReadOnly());
        m_edit->setFocus();
        QTest::keyClicks(m_edit, QStringLiteral("12"));
        QCOMPARE(m_edit->QLineEdit::text(), QString());
        QCOMPARE(m_edit->text(), QStringLiteral("..."));

        for (const QString text : {"255.0.249.199", "010.01.001.0"}) {
            m_edit->setText(text);
            QCOMPARE(m_edit->text(), text);
        }
        for (const char *text : {"1.1.1.256", "1.2.3", "1.2.3.4.5", "1..2.3"}) {
            m_edit->setText(text);
            QCOMPARE(m_edit->text(), QStringLiteral("010.01.001.0"));
        }
    }

    // Keys are typed on whichever field has the focus at that moment: '<' and '>'
    // are the arrows, '\b' is backspace, '^' selects back to the field's start.
    void keyboard()
    {
        const struct {
            const char *name, *start, *keys, *end, *selection = "";
        } rows[] = {
            {"2,5,6 keeps 25", "|...", "256", "25|..."},
            {"letters refused", "...|", "a.", "...|"},
            {"26 then a digit moves on (260 > 255)", ".26|.34.", "5", ".26.34|.", "34"},
            {"192 then digits", "|...", "19216", "192.6|.."},
            {"012 then a digit moves on", "012|.34..", "5", "012.34|..", "34"},
            {"full last field stays", "1.2.3.255|", "1", "1.2.3.255|"},
            // The editor places a 0 after two digits whose value x 10 stays under 255.
            {"1,2,0 gives 120", "|...", "120", "120|..."},
            {"0 in front of 12 gives 012", "|12...", "0", "012|..."},
            {"00 refuses a third 0", "|...", "000", "00|..."},
            // Leading-zero texts are not the pattern's; the next edit is still held to it.
            {"060 edited: 3 refused", "1.2.0|60.4", "^3", "1.2.|060.4", "0"},
            {"012 edited: 1 taken", "1.2.0|12.4", "^1", "1.2.1|12.4"},
            {"left at start", "1.23.|4.", "<", "1.23|.4."},
            {"left at start of field 0", "|1.23.4.", "<", "|1.23.4."},
            {"right at end", "1.23|.4.", ">", "1.23.|4."},
            {"right at end of field 3", "...44|", ">", "...44|"},
            {"right through empty fields", "|...", ">>>>", "...|"},
            {"backspace at start goes back", "10.|20..", "\b", "10|.20.."},
            {"backspace empties, goes back, deletes", "12.5|..", "\b\b\b", "1|..."},
        };
        const Qt::Key moves[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Home};
        for (const auto &r : rows) {
            const QString start = QString::fromLatin1(r.start);
            const int bar = start.indexOf('|');
            const QString texts = QString(start).remove(bar, 1);
            for (int i = 0; i < QIPLineEdit::kOctetCount; ++i)
                m_edit->octet(i)->setText(texts.section('.', i, i));
            QLineEdit *field = m_edit->octet(start.left(bar).count('.'));
            field->setFocus();
            field->setCursorPosition(bar - start.lastIndexOf('.', bar) - 1);
            QTRY_COMPARE(state(), start);
            for (const char key : QByteArray(r.keys)) {
                const int move = QByteArray("<>^").indexOf(key);
                QTest::keyClick(QApplication::focusWidget(),
                                move < 0 ? QTest::asciiToKey(key) : moves[move],
                                key == '^' ? Qt::ShiftModifier : Qt::NoModifier);
            }
            const auto *focus = qobject_cast<QLineEdit *>(QApplication::focusWidget());
            QCOMPARE(r.name + QString(": %1 [%2]").arg(state(), focus->selectedText()),
                     r.name + QString(": %1 [%2]").arg(r.end, r.selection));
        }
    }

    void one_clean_field_with_dots_in_the_gaps()
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
            for (int y = 0; y < m_edit->height(); ++y)
                if (qAbs(y - mid) > 3)
                    QCOMPARE(image.pixelColor(x, y), image.pixelColor(left.right() - 2, y));
        }
    }
};

QTEST_MAIN(TestIPLineEdit)
#include "tst_qiplineedit.moc"
