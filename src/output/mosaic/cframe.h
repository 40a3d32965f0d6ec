#pragma once

#include <QLineEdit>

class QMenu;

// The canvas of one LED wall in the fast mosaic editor: a read-only box on
// which port units and copy units lie. Its menu creates copy units.
class cframe : public QLineEdit
{
    Q_OBJECT

public:
    explicit cframe(QWidget *parent = nullptr);

    // The context menu's entries in the current language.
    void fill_menu(QMenu &menu);

signals:
    void new_create_signal();
    void del_all_signal();
    void del_signal();

public slots:
    void new_create_win();
    void del_all_win();
    void del_win();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
};
