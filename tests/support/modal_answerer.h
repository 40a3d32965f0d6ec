#pragma once

#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>

// Answers the modal message boxes that a test provokes: watches for the active
// modal widget from a timer, records title and text, and presses a button.
class ModalAnswerer : public QObject
{
    Q_OBJECT

public:
    explicit ModalAnswerer(QMessageBox::StandardButton answer = QMessageBox::Ok,
                           QObject *parent = nullptr);

    QStringList titles;
    QStringList texts;
    QMessageBox::StandardButton answer;

private:
    void poll();
    QTimer m_timer;
};
