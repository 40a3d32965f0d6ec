#pragma once

#include <QDialog>

#include "ui_mulattribute.h"

class QLineEdit;

// Edits the three picture values and the border of one window.
class mulAttribute : public QDialog
{
    Q_OBJECT

public:
    explicit mulAttribute(QWidget *parent = nullptr);

    // Texts for the language and the values of window `win` from the records.
    void fill(int win);
    void apply_texts();
    int window_number() const { return m_win; }
    Ui::mulAttributeClass &form() { return ui; }

signals:
    void clicked_lBtn_signal(int win_id);
    void clicked_dBtn_signal(int win_id);
    void clicked_cBtn_signal(int win_id);
    void clicked_frameBtn_signal(int win_id);

public slots:
    void clicked_lBtn();
    void clicked_dBtn();
    void clicked_cBtn();
    void clicked_frameBtn();

private:

    Ui::mulAttributeClass ui;
    int m_win = 0;
};
