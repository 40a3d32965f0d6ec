#pragma once

#include <QLineEdit>
#include <QPoint>

class QLabel;
class QMenu;

// A copy unit of the fast mosaic editor: a new unit screen that the operator
// drags into place on its wall's canvas and then assigns to a port.
class winClass : public QLineEdit
{
    Q_OBJECT

public:
    winClass(int number, int wall, int id, QWidget *parent = nullptr);

    int number() const { return m_number; }
    int wall() const { return m_wall; }
    int id() const { return m_id; }
    QString caption() const;

    // "New", a submenu of ports per fitted output card, "Delete".
    void fill_menu(QMenu &menu);

signals:
    void new_led_signal();
    void change_out_size(int _out_id, int _win_id, int _index);
    void del_led_signal(int _index);
    void up_copy_win_signal(int _index);

public slots:
    void new_select_led();
    void triggered_dvi_1_outA();
    void triggered_dvi_2_outA();
    void triggered_dvi_3_outA();
    void triggered_dvi_4_outA();
    void triggered_dvi_1_outB();
    void triggered_dvi_2_outB();
    void triggered_dvi_3_outB();
    void triggered_dvi_4_outB();
    void del_select_led();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Only the inner area (away from the 5-pixel edge bands) moves the unit.
    bool in_inner_area(const QPoint &pos) const;
    void drag_to(const QPoint &global);

    QLabel *m_label;
    int m_number;
    int m_wall;
    int m_id;
    bool m_dragging = false;
    bool m_press_inner = false;
    QPoint m_last_global;
};
