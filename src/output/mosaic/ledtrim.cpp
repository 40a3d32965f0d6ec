#include "output/mosaic/ledtrim.h"

#include "app/texts.h"
#include "output/mosaic/mosaic_codec.h"
#include "output/mosaic/unit_style.h"
#include "widgets/bounded_validator.h"
#include "widgets/dialog_fields.h"

ledtrim::ledtrim(QWidget *parent) : QDialog(parent)
{
    ui.setupUi(this);
    ui.lineEdit_port->setReadOnly(true);
    ui.lineEdit_port->setFocusPolicy(Qt::NoFocus);
    connect(ui.pushButton, &QPushButton::clicked, this, &ledtrim::clicked_pushButton);
    bind_bounded_edits(this, {ui.lineEdit_x, ui.lineEdit_y, ui.lineEdit_w, ui.lineEdit_h},
                       [this] { change_text(QString()); });
}

void ledtrim::prepare(int card, int port, int wall, int id)
{
    m_card = card;
    m_port = port;
    m_wall = wall;
    m_id = id;
    setWindowTitle(pick_text("Unit screen size adjustment", "单元屏大小微调"));
    ui.label_port->setText(pick_text("Output port", "输出端口"));
    set_rect_captions(ui.label_x, ui.label_y, ui.label_w, ui.label_h);
    ui.pushButton->setText(pick_text("Save", "保存"));

    ui.lineEdit_port->setText(port_name(card, port));
    show_rect(edits(), device_data.mode_data[device_data.cur_out_mode].unit_rect[card][port]);
    // Unchanged texts emit nothing, yet the wall may be another one than last time.
    change_text(QString());
}

void ledtrim::change_text(const QString &)
{
    const SizePair total = codec::mosaic_wall_total(device_data, device_data.cur_out_mode, m_wall);
    const SizePair largest =
        codec::unit_size_limit(total, device_data.out_res_w, device_data.out_res_h);
    set_edit_range(ui.lineEdit_w, codec::kMinUnitSize, largest.w);
    set_edit_range(ui.lineEdit_h, codec::kMinUnitSize, largest.h);
    set_edit_range(ui.lineEdit_x, 0, total.w - ui.lineEdit_w->text().toInt());
    set_edit_range(ui.lineEdit_y, 0, total.h - ui.lineEdit_h->text().toInt());
}

void ledtrim::clicked_pushButton()
{
    if (!all_acceptable({ui.lineEdit_x, ui.lineEdit_y, ui.lineEdit_w, ui.lineEdit_h}))
        return;
    device_data.mode_data[device_data.cur_out_mode].unit_rect[m_card][m_port] = read_rect(edits());
    emit save_led_size_signal(m_card, m_port, m_id);
    accept();
}
