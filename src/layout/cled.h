#pragma once

#include <QWidget>

// The layout canvas of one mode; holds that mode's window items.
class cled : public QWidget
{
    Q_OBJECT

public:
    explicit cled(QWidget *parent = nullptr);

signals:
    void new_create_signal();
    void del_all_signal();

public slots:
    void new_create_win();
    void del_all_win();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
};
