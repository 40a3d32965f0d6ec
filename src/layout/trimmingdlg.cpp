#include "layout/trimmingdlg.h"

#include "app/texts.h"
#include "device/device_data.h"
#include "layout/layout_codec.h"
#include "widgets/bounded_validator.h"

namespace {

constexpr int kMinExtent = 8;

int value_of(const QLineEdit *edit)
{
    return edit->text().toInt(nullptr, 10); // not a number counts as 0
}

} // namespace

trimmingDlg::trimmingDlg(QWidget *parent) : QDialog(parent)
{
    ui.setupUi(this);
    bind_bounded_edits(this,
                       {ui.inyEdit, ui.inhEdit, ui.outxEdit, ui.outwEdit, ui.outyEdit, ui.outhEdit},
                       [this] { change_text(QString()); });
    connect(ui.pushButton, &QPushButton::clicked, this, &trimmingDlg::saveData);
}

void trimmingDlg::apply_texts()
{
    setWindowTitle(pick_text("Window input and output size Settings", "窗口输入输出大小设置"));
    ui.label->setText(pick_text("WIN", "窗口"));
    ui.inputlabel->setText(pick_text("Input", "输入"));
    ui.outputlabel->setText(pick_text("Output", "输出"));
    set_rect_captions(ui.xlabel, ui.ylabel, ui.wlabel, ui.hlabel);
    ui.pushButton->setText(pick_text("Save", "保存"));
}

void trimmingDlg::fill(int win)
{
    apply_texts();
    m_win = win;
    ui.lineEdit->setText(QStringLiteral("WIN:%1").arg(win + 1));
    const ModeData &m = device_data.mode_data[device_data.cur_mul_mode];
    show_rect(input_edits(), m.win_in[win]);
    show_rect(output_edits(), m.win_out[win]);
    change_text(QString());
}

RectEdits trimmingDlg::input_edits() const
{
    return {ui.inxEdit, ui.inyEdit, ui.inwEdit, ui.inhEdit};
}

RectEdits trimmingDlg::output_edits() const
{
    return {ui.outxEdit, ui.outyEdit, ui.outwEdit, ui.outhEdit};
}

void trimmingDlg::change_text(const QString &)
{
    const int in_h = codec::input_height(m_win < 0 ? 0 : m_win);
    const int out_w = device_data.canvas_ref_w;
    const int out_h = device_data.canvas_ref_h;
    set_edit_range(ui.inyEdit, 0, in_h - value_of(ui.inhEdit));
    set_edit_range(ui.inhEdit, kMinExtent, in_h - value_of(ui.inyEdit));
    set_edit_range(ui.outxEdit, 0, out_w - value_of(ui.outwEdit));
    set_edit_range(ui.outwEdit, kMinExtent, out_w - value_of(ui.outxEdit));
    set_edit_range(ui.outyEdit, 0, out_h - value_of(ui.outhEdit));
    set_edit_range(ui.outhEdit, kMinExtent, out_h - value_of(ui.outyEdit));
}

void trimmingDlg::saveData()
{
    if (m_win < 0)
        return;
    if (!all_acceptable(
            {ui.inyEdit, ui.inhEdit, ui.outxEdit, ui.outwEdit, ui.outyEdit, ui.outhEdit}))
        return;
    ModeData &m = device_data.mode_data[device_data.cur_mul_mode];
    m.win_in[m_win] = read_rect(input_edits());
    m.win_out[m_win] = read_rect(output_edits());
    emit set_win_size_signal(m_win);
}
