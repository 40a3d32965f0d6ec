#include "layout/mulattribute.h"

#include "widgets/bounded_validator.h"
#include "widgets/dialog_fields.h"

#include "app/texts.h"
#include "device/device_data.h"

namespace {

constexpr int kValueMax = 255;
constexpr int kBorderMin = 3;
constexpr int kBorderMax = 127;

int value_of(const QLineEdit *edit)
{
    return edit->text().toInt(nullptr, 10);
}

} // namespace

mulAttribute::mulAttribute(QWidget *parent) : QDialog(parent)
{
    ui.setupUi(this);
    for (QLineEdit *edit : {ui.lEdit, ui.dEdit, ui.cEdit, ui.rEdit, ui.gEdit, ui.bEdit})
        edit->setValidator(new BoundedValidator(0, kValueMax, this));
    ui.sEdit->setValidator(new BoundedValidator(kBorderMin, kBorderMax, this));
    connect(ui.lBtn, &QPushButton::clicked, this, &mulAttribute::clicked_lBtn);
    connect(ui.dBtn, &QPushButton::clicked, this, &mulAttribute::clicked_dBtn);
    connect(ui.cBtn, &QPushButton::clicked, this, &mulAttribute::clicked_cBtn);
    connect(ui.frameBtn, &QPushButton::clicked, this, &mulAttribute::clicked_frameBtn);
}

void mulAttribute::apply_texts()
{
    setWindowTitle(pick_text("Image Quality", "图像画质"));
    set_picture_captions(ui.llabel, ui.dlabel, ui.clabel);
    for (QPushButton *b : {ui.lBtn, ui.dBtn, ui.cBtn, ui.frameBtn})
        b->setText(pick_text("Save", "保存"));
    ui.groupBox_4->setTitle(pick_text("Frame", "边框"));
    ui.rlabel->setText(pick_text("R", "红"));
    ui.glabel->setText(pick_text("G", "绿"));
    ui.blabel->setText(pick_text("B", "蓝"));
    ui.slabel->setText(pick_text("Size", "大小"));
    ui.checkBox->setText(pick_text("Open", "开"));
}

void mulAttribute::fill(int win)
{
    apply_texts();
    m_win = win;
    ui.winlabel->setText(QStringLiteral("WINDOWS:WIN-%1").arg(win + 1));
    const Adjust &a = device_data.win_adjust[win];
    const WinFrame &f = device_data.win_frame[win];
    ui.lEdit->setText(QString::number(a.brightness));
    ui.dEdit->setText(QString::number(a.contrast));
    ui.cEdit->setText(QString::number(a.colour));
    ui.checkBox->setChecked(f.on != 0);
    ui.rEdit->setText(QString::number(f.red));
    ui.gEdit->setText(QString::number(f.green));
    ui.bEdit->setText(QString::number(f.blue));
    ui.sEdit->setText(QString::number(f.size));
}

void mulAttribute::clicked_lBtn()
{
    if (!all_acceptable({ui.lEdit}))
        return;
    setEnabled(false);
    device_data.win_adjust[m_win].brightness = value_of(ui.lEdit);
    emit clicked_lBtn_signal(m_win);
    setEnabled(true);
}

void mulAttribute::clicked_dBtn()
{
    if (!all_acceptable({ui.dEdit}))
        return;
    setEnabled(false);
    device_data.win_adjust[m_win].contrast = value_of(ui.dEdit);
    emit clicked_dBtn_signal(m_win);
    setEnabled(true);
}

void mulAttribute::clicked_cBtn()
{
    if (!all_acceptable({ui.cEdit}))
        return;
    setEnabled(false);
    device_data.win_adjust[m_win].colour = value_of(ui.cEdit);
    emit clicked_cBtn_signal(m_win);
    setEnabled(true);
}

void mulAttribute::clicked_frameBtn()
{
    if (!all_acceptable({ui.rEdit, ui.gEdit, ui.bEdit, ui.sEdit}))
        return;
    setEnabled(false);
    WinFrame &f = device_data.win_frame[m_win];
    f.on = ui.checkBox->isChecked() ? 1 : 0;
    f.red = value_of(ui.rEdit);
    f.green = value_of(ui.gEdit);
    f.blue = value_of(ui.bEdit);
    f.size = value_of(ui.sEdit);
    emit clicked_frameBtn_signal(m_win);
    setEnabled(true);
}
