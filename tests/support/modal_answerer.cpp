#include "support/modal_answerer.h"

#include <QAbstractButton>
#include <QApplication>

ModalAnswerer::ModalAnswerer(QMessageBox::StandardButton answer_, QObject *parent)
    : QObject(parent), answer(answer_)
{
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    m_timer.start(20);
}

void ModalAnswerer::poll()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    // A box under a disabled window cannot be answered yet.
    if (!box || !box->isVisible() || !box->isEnabled())
        return;
    titles.append(box->windowTitle());
    texts.append(box->text());
    QAbstractButton *button = box->button(answer);
    if (!button)
        button = box->buttons().value(0);
    if (button)
        button->click();
    else
        box->close();
}
