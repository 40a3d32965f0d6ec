#pragma once

#include <QLineEdit>

#include "ui_ledscreen.h"

class QMenu;

// A port unit of the fast mosaic editor: where the unit screen of one DVI
// port lies on its wall's canvas. It does not move with the mouse.
class ledscreen : public QLineEdit
{
    Q_OBJECT

public:
    ledscreen(int card, int port, int id, QWidget *parent = nullptr);

    int card() const { return m_card; }
    int port() const { return m_port; }
    int id() const { return m_id; }
    QString caption() const;

    void fill_menu(QMenu &menu);

signals:
    void new_led_2_signal();
    void trimming_alc_signal(int out_id, int win_id, int _index);
    void del_win_select_signal(int _index);
    void del_all_win_signal();

public slots:
    void new_select_2_led();
    void trimming_alc();
    void del_select_2_led();
    void del_all_led();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    Ui::ledscreenClass ui;
    int m_card;
    int m_port;
    int m_id;
};
