#include "widgets/qiplineedit.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QRegExp>
#include <QRegExpValidator>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

// 0..255, leading zeros allowed; a refused key leaves the field as it was.
const char kOctetPattern[] = "(2[0-5]{2}|2[0-4][0-9]|1?[0-9]{1,2})";
const char kAddressPattern[] = "\\b(?:(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\\.){3}"
                               "(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\\b";

constexpr int kOctetMaxLength = 3;
constexpr int kOctetSpacing = 10;
constexpr int kMaxOctetValue = 255;
constexpr int kDotSize = 4;
constexpr int kDotOffset = 3; // into the gap

} // namespace

QIPLineEdit::QIPLineEdit(QWidget *parent) : QLineEdit(parent)
{
    const QRegExp octetRx(QString::fromLatin1(kOctetPattern), Qt::CaseSensitive);

    // The fields sit inside the outer frame and let the outer edit's background
    // show through: laid over the frame, they would cover it everywhere but in the
    // gaps, leaving stubs of it above and below each dot.
    QPalette see_through = palette();
    see_through.setColor(QPalette::Base, Qt::transparent);
    QStyleOptionFrame option;
    initStyleOption(&option);
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    auto *layout = new QHBoxLayout(this);
    layout->setSpacing(kOctetSpacing);
    layout->setContentsMargins(frame, frame, frame, frame);
    for (QLineEdit *&octet : m_octets) {
        octet = new QLineEdit(this);
        octet->setFrame(false);
        octet->setPalette(see_through);
        octet->setMaxLength(kOctetMaxLength);
        octet->setAlignment(Qt::AlignCenter);
        octet->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        octet->installEventFilter(this);
        octet->setValidator(new QRegExpValidator(octetRx, this));
        // Qt refuses an edit only when the text before it was acceptable; after a
        // leading-zero text from setText or the 0 insertion (012, 060) any edit
        // would stand, 360 or 912 included, so such an edit is taken back here.
        connect(octet, &QLineEdit::textEdited, octet, [octet](const QString &edited) {
            QString text = edited;
            int cursor = octet->cursorPosition();
            if (octet->validator()->validate(text, cursor) == QValidator::Invalid)
                octet->undo();
        });
        layout->addWidget(octet);
    }
    setReadOnly(true);
}

void QIPLineEdit::setText(const QString &text)
{
    const QRegExp addressRx(QString::fromLatin1(kAddressPattern));
    if (!addressRx.exactMatch(text))
        return;
    const QStringList parts = text.split(QLatin1Char('.'));
    for (int i = 0; i < kOctetCount; ++i)
        m_octets[i]->setText(parts.at(i));
}

QString QIPLineEdit::text() const
{
    QStringList parts;
    for (const QLineEdit *octet : m_octets)
        parts << octet->text();
    return parts.join(QLatin1Char('.'));
}

bool QIPLineEdit::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int index = octet_index(watched);
        if (index >= 0)
            handle_key(index, static_cast<QKeyEvent *>(event));
    }
    emit charge();
    // Never consumed: the octet still applies its own editing to the key.
    return QLineEdit::eventFilter(watched, event);
}

int QIPLineEdit::octet_index(const QObject *object) const
{
    for (int i = 0; i < kOctetCount; ++i) {
        if (m_octets[i] == object)
            return i;
    }
    return -1;
}

void QIPLineEdit::focus_octet(int index, int cursor)
{
    m_octets[index]->setFocus();
    m_octets[index]->setCursorPosition(cursor);
}

void QIPLineEdit::handle_key(int index, const QKeyEvent *event)
{
    QLineEdit *octet = m_octets[index];
    const QString text = octet->text();
    const int key = event->key();

    if (key == Qt::Key_Left) {
        if (octet->cursorPosition() == 0 && index > 0)
            focus_octet(index - 1, m_octets[index - 1]->text().size());
    } else if (key == Qt::Key_Right) {
        if (octet->cursorPosition() == text.size() && index < kOctetCount - 1)
            focus_octet(index + 1, 0);
    } else if (key == Qt::Key_Backspace) {
        if ((text.isEmpty() || octet->cursorPosition() == 0) && index > 0)
            focus_octet(index - 1, m_octets[index - 1]->text().size());
    } else if (key >= Qt::Key_0 && key <= Qt::Key_9 && !octet->hasSelectedText()) {
        const int value = text.toInt();
        if (text.size() == kOctetMaxLength || value * 10 > kMaxOctetValue) {
            // The next digit can only start the next octet; this one keeps the key
            // and drops it when full or when the validator refuses it.
            if (index < kOctetCount - 1) {
                m_octets[index + 1]->setFocus();
                m_octets[index + 1]->selectAll();
            }
        } else if (text.size() == 2 && value != 0 && value * 10 < kMaxOctetValue &&
                   key == Qt::Key_0) {
            // Placed directly, so the 0 lands even where typing it would be refused
            // (in front of the digits); the key itself then finds the field full.
            QString padded = text;
            padded.insert(octet->cursorPosition(), QLatin1Char('0'));
            octet->setText(padded);
        }
    }
}

void QIPLineEdit::paintEvent(QPaintEvent *event)
{
    QLineEdit::paintEvent(event);

    QPainter painter(this);
    painter.setBrush(QBrush(Qt::black, Qt::SolidPattern));
    for (int gap = 0; gap < kOctetCount - 1; ++gap) {
        const int x = m_octets[gap]->geometry().right() + 1 + kDotOffset;
        painter.drawEllipse(x, height() / 2 - kDotSize / 2, kDotSize, kDotSize);
    }
}
