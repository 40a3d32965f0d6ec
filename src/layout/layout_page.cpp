// Wiring and texts of the multi-window page and its dialogs.

#include <QTreeWidget>

#include "app/tesselview.h"
#include "app/texts.h"
#include "widgets/group_styles.h"

void TesselView::setup_layout_page()
{
    using Slot = void (TesselView::*)();
    static const Slot kModeSlots[kModeCount] = {
        &TesselView::clicked_m0_btn,  &TesselView::clicked_m1_btn,  &TesselView::clicked_m2_btn,
        &TesselView::clicked_m3_btn,  &TesselView::clicked_m4_btn,  &TesselView::clicked_m5_btn,
        &TesselView::clicked_m6_btn,  &TesselView::clicked_m7_btn,  &TesselView::clicked_m8_btn,
        &TesselView::clicked_m9_btn,  &TesselView::clicked_m10_btn, &TesselView::clicked_m11_btn,
        &TesselView::clicked_m12_btn, &TesselView::clicked_m13_btn, &TesselView::clicked_m14_btn,
        &TesselView::clicked_m15_btn};
    QPushButton *const buttons[kModeCount] = {
        ui.m0Btn, ui.m1Btn, ui.m2Btn,  ui.m3Btn,  ui.m4Btn,  ui.m5Btn,  ui.m6Btn,  ui.m7Btn,
        ui.m8Btn, ui.m9Btn, ui.m10Btn, ui.m11Btn, ui.m12Btn, ui.m13Btn, ui.m14Btn, ui.m15Btn};

    connect(&m_trimming, &trimmingDlg::set_win_size_signal, this, &TesselView::set_win_size);
    for (int mode = 0; mode < kModeCount; ++mode)
        connect(buttons[mode], &QPushButton::clicked, this, kModeSlots[mode]);
    connect(ui.copyBtn_mul, &QPushButton::clicked, this, &TesselView::clicked_copy_mul_btn);
    connect(&m_attribute, &mulAttribute::clicked_lBtn_signal, this, &TesselView::set_mul_light);
    connect(&m_attribute, &mulAttribute::clicked_dBtn_signal, this, &TesselView::set_mul_contrast);
    connect(&m_attribute, &mulAttribute::clicked_cBtn_signal, this, &TesselView::set_mul_color);
    connect(&m_attribute, &mulAttribute::clicked_frameBtn_signal, this, &TesselView::set_mul_frame);
    connect(ui.treeWidget, &QTreeWidget::itemPressed, this, &TesselView::itemPressedSlot);
    connect(&m_copy_mul, &copymode::copy_mode_signal, this, &TesselView::copy_mul_mode);

    // Grey until the first read-back highlights the current mode.
    for (QPushButton *b : buttons)
        b->setStyleSheet(group_style::off());
}

void TesselView::apply_layout_texts()
{
    m_copy_mul.apply_texts();
    m_trimming.apply_texts();
    m_attribute.apply_texts();
}
