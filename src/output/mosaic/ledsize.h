#pragma once

#include <QDialog>

#include "ui_ledsize.h"

// Asks for the size of a new copy unit: proposed and bounded by the unit
// size rule of the wall it goes on.
class ledsize : public QDialog
{
    Q_OBJECT

public:
    explicit ledsize(QWidget *parent = nullptr);

    // Texts of the current language; the proposal w x h is also the largest size.
    void prepare(int max_w, int max_h);
    Ui::ledsizeClass &form() { return ui; }

signals:
    void save_led_copy_size_signal(int _w, int _h);

public slots:
    void clicked_save_btn();

private:
    Ui::ledsizeClass ui;
};
