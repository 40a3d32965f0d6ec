#pragma once

#include <QDialog>
#include <QList>

#include "ui_copymode.h"

class QPushButton;

// Copies the layout of one mode onto another; used for window modes and for
// output modes alike. The owner decides what the signal sends.
class copymode : public QDialog
{
    Q_OBJECT

public:
    explicit copymode(QWidget *parent = nullptr);

    // Texts for the language, the source combo on `source_mode`, target M0 chosen.
    void prepare(int source_mode);
    void apply_texts();
    int target_mode() const { return m_target; }
    Ui::copymodeClass &form() { return ui; }

signals:
    void copy_mode_signal(int _source_mode, int _target_mode);

public slots:
    void clicked_m0_target_btn() { choose_target(0); }
    void clicked_m1_target_btn() { choose_target(1); }
    void clicked_m2_target_btn() { choose_target(2); }
    void clicked_m3_target_btn() { choose_target(3); }
    void clicked_m4_target_btn() { choose_target(4); }
    void clicked_m5_target_btn() { choose_target(5); }
    void clicked_m6_target_btn() { choose_target(6); }
    void clicked_m7_target_btn() { choose_target(7); }
    void clicked_m8_target_btn() { choose_target(8); }
    void clicked_m9_target_btn() { choose_target(9); }
    void clicked_m10_target_btn() { choose_target(10); }
    void clicked_m11_target_btn() { choose_target(11); }
    void clicked_m12_target_btn() { choose_target(12); }
    void clicked_m13_target_btn() { choose_target(13); }
    void clicked_m14_target_btn() { choose_target(14); }
    void clicked_m15_target_btn() { choose_target(15); }
    void clicked_save_btn();

private:
    void choose_target(int mode);

    Ui::copymodeClass ui;
    QList<QPushButton *> m_target_buttons;
    int m_target = 0;
};
