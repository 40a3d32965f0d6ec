#pragma once

#include <QDialog>

#include "ui_light.h"

// "Brightness": one brightness for both output cards, every port and channel.
class light : public QDialog
{
    Q_OBJECT

public:
    explicit light(QWidget *parent = nullptr);

    // Texts of the current language and the brightness of the selected card.
    void prepare();
    Ui::lightClass &form() { return ui; }

signals:
    void btn_LD_signal();

public slots:
    void set_LD_SL(int value);
    void set_out_LD_SP(int value);
    void clicked_btn();

private:
    Ui::lightClass ui;
};
