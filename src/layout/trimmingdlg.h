#pragma once

#include <QDialog>

#include "ui_trimmingdlg.h"

class QIntValidator;
class QLineEdit;

// Edits the source crop and the output rectangle of one window in numbers.
class trimmingDlg : public QDialog
{
    Q_OBJECT

public:
    explicit trimmingDlg(QWidget *parent = nullptr);

    // Texts for the language and the values of window `win` of the current mode.
    void fill(int win);
    void apply_texts();
    int window_number() const { return m_win; }
    Ui::trimmingDlgClass &form() { return ui; }

signals:
    void set_win_size_signal(int win_id);

public slots:
    void saveData();
    void change_text(QString text);

private:
    Ui::trimmingDlgClass ui;
    int m_win = -1;
    // The six editable edits, each with its own validator, in form order.
    QLineEdit *m_edits[6] = {};
    QIntValidator *m_validators[6] = {};
};
