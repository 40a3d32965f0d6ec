// The labels and the two scaled previews of the selected port, the limits of
// the rectangle and unit fields, and the run-time texts of the output page.

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "app/tesselview.h"
#include "app/texts.h"
#include "device/codec.h"
#include "device/device_data.h"
#include "widgets/bounded_validator.h"
#include "output/output_codec.h"

namespace {

QString size_text(int w, int h)
{
    return QStringLiteral("W_H:(%1,%2)").arg(w).arg(h);
}

QString port_name()
{
    return QStringLiteral("%1:DVI-%2")
        .arg(device_data.out_card_sel == 0 ? QStringLiteral("OutA") : QStringLiteral("OutB"))
        .arg(device_data.out_port_sel + 1);
}

void place_frame(QFrame *frame, const QGroupBox *box, const DevRect &r, int ref_w, int ref_h)
{
    // Nothing to scale against: hidden rather than drawn at a made-up size.
    if (ref_w <= 0 || ref_h <= 0) {
        frame->hide();
        return;
    }
    const DevRect s = codec::to_canvas_rect(r, box->width(), box->height(), ref_w, ref_h);
    frame->setGeometry(s.x, s.y, s.w, s.h);
    frame->show();
    frame->lower(); // the labels stay readable on top of it
}

int number(const QLineEdit *edit)
{
    return edit->text().toInt();
}

} // namespace

void TesselView::refresh_output_preview()
{
    const DeviceData &d = device_data;
    const ModeData &m = d.mode_data[d.cur_out_mode];
    const DevRect &in = m.led_in_rect[d.out_card_sel][d.out_port_sel];
    const DevRect &out = m.led_out_rect[d.out_card_sel][d.out_port_sel];

    ui.in_size_label->setText(size_text(d.in_frame_w, d.in_frame_h));
    ui.in_pos_labe->setText(QStringLiteral("X_Y:(0,0)"));
    ui.in_size_label_2->setText(size_text(in.w, in.h));
    ui.in_pos_labe_2->setText(QStringLiteral("X_Y:(%1, %2)").arg(in.x).arg(in.y));
    ui.out_size_label->setText(size_text(d.out_res_w, d.out_res_h));
    ui.out_pos_labe->setText(QStringLiteral("X_Y:(0,0)"));
    ui.out_size_label_2->setText(size_text(out.w, out.h));
    ui.out_pos_labe_2->setText(QStringLiteral("X_Y:(%1, %2)").arg(out.x).arg(out.y));

    ui.Input_lable->setText(pick_text("Input capture size: ", "输入截取大小：") + port_name());
    ui.output_lable->setText(pick_text("Output size: ", "输出大小：") + port_name());

    place_frame(ui.frame_in, ui.groupBox_in, in, d.in_frame_w, d.in_frame_h);
    place_frame(ui.frame_out, ui.groupBox_out, out, d.out_res_w, d.out_res_h);
}

void TesselView::text_changed(const QString &)
{
    if (m_rect_validators.size() != 12)
        return;
    const DeviceData &d = device_data;
    const codec::Range ranges[] = {
        // Same order as the validators: input x, w, y, h; output x, w, y, h; unit x, w, y, h.
        codec::position_range(d.in_frame_w, number(ui.inputEdit_w)),
        codec::size_range(d.in_frame_w, number(ui.inputEdit_x)),
        codec::position_range(d.in_frame_h, number(ui.inputEdit_h)),
        codec::size_range(d.in_frame_h, number(ui.inputEdit_y)),
        codec::position_range(d.out_res_w, number(ui.outputEdit_w)),
        codec::size_range(d.out_res_w, number(ui.outputEdit_x)),
        codec::position_range(d.out_res_h, number(ui.outputEdit_h)),
        codec::size_range(d.out_res_h, number(ui.outputEdit_y)),
        // Unit screens: positions inside the wall, sizes up to the output resolution.
        codec::position_range(number(ui.wEdit), number(ui.inwEdit)),
        codec::Range{codec::kMinRectSide, d.out_res_w},
        codec::position_range(number(ui.hEdit), number(ui.inhEdit)),
        codec::Range{codec::kMinRectSide, d.out_res_h},
    };
    for (int i = 0; i < m_rect_validators.size(); ++i)
        m_rect_validators[i]->setRange(ranges[i].bottom, ranges[i].top);
}

void TesselView::set_output_texts()
{
    ui.Input_lable->setText(pick_text("Input capture size: ", "输入截取大小：") + port_name());
    ui.output_lable->setText(pick_text("Output size: ", "输出大小：") + port_name());
    set_combox_select_lau();
    m_copy_out.apply_texts();
    // The custom row is the only preset text that changes with the language.
    if (ui.formatBox->count() > codec::kCustomFormatIndex)
        ui.formatBox->setItemText(codec::kCustomFormatIndex,
                                  pick_text("Custom Resolution", "自定义分辨率"));
}
