#pragma once

#include <QDialog>

#include "ui_trimmingdlg.h"
#include "widgets/dialog_fields.h"

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
    void change_text(const QString &text);

private:
    RectEdits input_edits() const;
    RectEdits output_edits() const;

    Ui::trimmingDlgClass ui;
    int m_win = -1;
};
