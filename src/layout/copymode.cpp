#include "layout/copymode.h"

#include "app/texts.h"
#include "widgets/group_styles.h"

copymode::copymode(QWidget *parent) : QDialog(parent)
{
    ui.setupUi(this);
    m_target_buttons = {ui.btn_m0,  ui.btn_m1,  ui.btn_m2,  ui.btn_m3, ui.btn_m4,  ui.btn_m5,
                        ui.btn_m6,  ui.btn_m7,  ui.btn_m8,  ui.btn_m9, ui.btn_m10, ui.btn_m11,
                        ui.btn_m12, ui.btn_m13, ui.btn_m14, ui.btn_m15};
    using Slot = void (copymode::*)();
    static const Slot kSlots[] = {
        &copymode::clicked_m0_target_btn,  &copymode::clicked_m1_target_btn,
        &copymode::clicked_m2_target_btn,  &copymode::clicked_m3_target_btn,
        &copymode::clicked_m4_target_btn,  &copymode::clicked_m5_target_btn,
        &copymode::clicked_m6_target_btn,  &copymode::clicked_m7_target_btn,
        &copymode::clicked_m8_target_btn,  &copymode::clicked_m9_target_btn,
        &copymode::clicked_m10_target_btn, &copymode::clicked_m11_target_btn,
        &copymode::clicked_m12_target_btn, &copymode::clicked_m13_target_btn,
        &copymode::clicked_m14_target_btn, &copymode::clicked_m15_target_btn};
    for (int mode = 0; mode < m_target_buttons.size(); ++mode)
        connect(m_target_buttons[mode], &QPushButton::clicked, this, kSlots[mode]);
    connect(ui.pushButton, &QPushButton::clicked, this, &copymode::clicked_save_btn);
    choose_target(0);
}

void copymode::apply_texts()
{
    setWindowTitle(pick_text("Duplicate", "模式复制"));
    ui.label->setText(pick_text("Copy source mode:", "复制源模式:"));
    ui.groupBox->setTitle(pick_text("Copy target mode", "复制目标模式"));
    ui.pushButton->setText(pick_text("Save", "保存"));
}

void copymode::prepare(int source_mode)
{
    apply_texts();
    ui.comboBox->setCurrentIndex(source_mode);
    // The highlight and the chosen target always agree: both restart at M0.
    choose_target(0);
}

void copymode::choose_target(int mode)
{
    m_target = mode;
    for (int i = 0; i < m_target_buttons.size(); ++i)
        m_target_buttons[i]->setStyleSheet(i == mode ? group_style::target_on()
                                                     : group_style::off());
}

void copymode::clicked_save_btn()
{
    setEnabled(false);
    emit copy_mode_signal(ui.comboBox->currentIndex(), m_target);
    setEnabled(true);
}
