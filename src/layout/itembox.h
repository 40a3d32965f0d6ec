#pragma once

#include <QLineEdit>
#include <QPoint>

#include "ui_itembox.h"

// The visible rectangle of one open window on its mode's canvas. Dragging
// changes only the records and the geometry; the release asks the main window
// to send the rectangle.
class itemBox : public QLineEdit
{
    Q_OBJECT

public:
    explicit itemBox(QWidget *parent = nullptr);

    int window_number() const { return m_win; }
    void set_window_number(int win) { m_win = win; }
    // Window and source labels from the records of `mode`.
    void label_item(int mode);
    void relabel_source(int mode);
    Ui::itemBoxClass &form() { return ui; }

signals:
    void change_wins_size_signal(int win_id);
    void mul_del_select_signal(int win_id);
    void mul_del_all_signal();
    void new_win_signal();
    void mul_trimming_wins_signal(int win_id);
    void mul_attribute_signal(int win_id);
    void up_win_signal(int win_id);
    void down_win_signal(int win_id);
    void send_source_in(int win_id);

public slots:
    void mul_del_select_win();
    void mul_del_all_win();
    void new_create_win();
    void trimming_wins();
    void mul_attribute_triggered();
    void up_win();
    void down_win();
    void triggered_inA();
    void triggered_inB();
    void triggered_inC();
    void triggered_inD();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void set_source(int card);

    Ui::itemBoxClass ui;
    int m_win = -1;
    bool m_pressed = false;
    QPoint m_last_pos;
    int m_press_zone = 0;
};
