#pragma once

#include <QDialog>

#include "ui_ledtrim.h"
#include "widgets/dialog_fields.h"

// Fine adjustment of one port unit: position and size of its unit screen in
// wall pixels, kept inside the wall and within the unit size rule.
class ledtrim : public QDialog
{
    Q_OBJECT

public:
    explicit ledtrim(QWidget *parent = nullptr);

    // Loads the unit screen of (card, port) of the current output mode on wall.
    void prepare(int card, int port, int wall, int id);
    Ui::ledtrimClass &form() { return ui; }
    int card() const { return m_card; }
    int port() const { return m_port; }
    int wall() const { return m_wall; }
    int unit_id() const { return m_id; }

signals:
    void save_led_size_signal(int _out, int _port, int _index);

public slots:
    void clicked_pushButton();
    void change_text(const QString &text);

private:
    RectEdits edits() const { return {ui.lineEdit_x, ui.lineEdit_y, ui.lineEdit_w, ui.lineEdit_h}; }

    Ui::ledtrimClass ui;
    int m_card = 0;
    int m_port = 0;
    int m_wall = 0;
    int m_id = 0;
};
