#include "layout/trimmingdlg.h"

#include "widgets/bounded_validator.h"

#include "app/texts.h"
#include "device/device_data.h"
#include "layout/layout_codec.h"

namespace {

constexpr int kMinExtent = 8;

enum Editable { kInY, kInH, kOutX, kOutW, kOutY, kOutH, kEditableCount };

int value_of(const QLineEdit *edit)
{
    return edit->text().toInt(nullptr, 10); // not a number counts as 0
}

} // namespace

trimmingDlg::trimmingDlg(QWidget *parent) : QDialog(parent)
{
    ui.setupUi(this);
    m_edits[kInY] = ui.inyEdit;
    m_edits[kInH] = ui.inhEdit;
    m_edits[kOutX] = ui.outxEdit;
    m_edits[kOutW] = ui.outwEdit;
    m_edits[kOutY] = ui.outyEdit;
    m_edits[kOutH] = ui.outhEdit;
    for (int i = 0; i < kEditableCount; ++i) {
        m_validators[i] = new BoundedValidator(0, 0, this);
        m_edits[i]->setValidator(m_validators[i]);
        connect(m_edits[i], &QLineEdit::textChanged, this, &trimmingDlg::change_text);
    }
    connect(ui.pushButton, &QPushButton::clicked, this, &trimmingDlg::saveData);
}

void trimmingDlg::apply_texts()
{
    setWindowTitle(pick_text("Window input and output size Settings", "窗口输入输出大小设置"));
    ui.label->setText(pick_text("WIN", "窗口"));
    ui.inputlabel->setText(pick_text("Input", "输入"));
    ui.outputlabel->setText(pick_text("Output", "输出"));
    ui.xlabel->setText(pick_text("H_Start", "水平起始"));
    ui.wlabel->setText(pick_text("Width", "宽度"));
    ui.ylabel->setText(pick_text("V_Start", "垂直起始"));
    ui.hlabel->setText(pick_text("Height", "高度"));
    ui.pushButton->setText(pick_text("Save", "保存"));
}

void trimmingDlg::fill(int win)
{
    apply_texts();
    m_win = win;
    ui.lineEdit->setText(QStringLiteral("WIN:%1").arg(win + 1));
    const ModeData &m = device_data.mode_data[device_data.cur_mul_mode];
    const DevRect &in = m.win_in[win];
    const DevRect &out = m.win_out[win];
    ui.inxEdit->setText(QString::number(in.x));
    ui.inwEdit->setText(QString::number(in.w));
    ui.inyEdit->setText(QString::number(in.y));
    ui.inhEdit->setText(QString::number(in.h));
    ui.outxEdit->setText(QString::number(out.x));
    ui.outwEdit->setText(QString::number(out.w));
    ui.outyEdit->setText(QString::number(out.y));
    ui.outhEdit->setText(QString::number(out.h));
    change_text(QString());
}

void trimmingDlg::change_text(QString)
{
    const int in_h = codec::input_height(m_win < 0 ? 0 : m_win);
    const int out_w = device_data.canvas_ref_w;
    const int out_h = device_data.canvas_ref_h;
    m_validators[kInY]->setRange(0, in_h - value_of(ui.inhEdit));
    m_validators[kInH]->setRange(kMinExtent, in_h - value_of(ui.inyEdit));
    m_validators[kOutX]->setRange(0, out_w - value_of(ui.outwEdit));
    m_validators[kOutW]->setRange(kMinExtent, out_w - value_of(ui.outxEdit));
    m_validators[kOutY]->setRange(0, out_h - value_of(ui.outhEdit));
    m_validators[kOutH]->setRange(kMinExtent, out_h - value_of(ui.outyEdit));
}

void trimmingDlg::saveData()
{
    if (m_win < 0)
        return;
    if (!all_acceptable(m_edits))
        return;
    ModeData &m = device_data.mode_data[device_data.cur_mul_mode];
    m.win_in[m_win] = {value_of(ui.inxEdit), value_of(ui.inyEdit), value_of(ui.inwEdit),
                       value_of(ui.inhEdit)};
    m.win_out[m_win] = {value_of(ui.outxEdit), value_of(ui.outyEdit), value_of(ui.outwEdit),
                        value_of(ui.outhEdit)};
    emit set_win_size_signal(m_win);
}
