#include "output/mosaic/unit_style.h"

#include <QLabel>
#include <QLineEdit>
#include <QRandomGenerator>

void style_unit_box(QLineEdit *box, QLabel *label, int alpha)
{
    box->setReadOnly(true);
    box->setFrame(false);
    box->setFocusPolicy(Qt::NoFocus);
    box->setCursor(Qt::ArrowCursor);
    QRandomGenerator *random = QRandomGenerator::global();
    const int red = random->bounded(255);
    const int green = random->bounded(255);
    const int blue = random->bounded(200);
    box->setStyleSheet(QStringLiteral("QLineEdit{background-color: rgba(%1, %2, %3,%4);}")
                           .arg(red)
                           .arg(green)
                           .arg(blue)
                           .arg(alpha));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    // Presses and menus belong to the unit, not to its caption.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
}

QString port_name(int card, int port)
{
    return QStringLiteral("%1:DVI-%2").arg(card == 0 ? "OutA" : "OutB").arg(port + 1);
}

void discard_item(QWidget *item)
{
    if (item) {
        item->hide();
        item->deleteLater();
    }
}
