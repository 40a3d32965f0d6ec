#include "output/mosaic/unit_style.h"

#include <QLabel>
#include <QLineEdit>

#include "widgets/canvas_items.h"

void style_unit_box(QLineEdit *box, QLabel *label, int alpha)
{
    box->setReadOnly(true);
    box->setFrame(false);
    box->setFocusPolicy(Qt::NoFocus);
    box->setCursor(Qt::ArrowCursor);
    box->setStyleSheet(item_colour_style(alpha));
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
