#include "output/mosaic/ledsize.h"

#include "app/texts.h"
#include "output/mosaic/mosaic_codec.h"
#include "widgets/bounded_validator.h"

ledsize::ledsize(QWidget *parent) : QDialog(parent)
{
    ui.setupUi(this);
    connect(ui.pushButton_save, &QPushButton::clicked, this, &ledsize::clicked_save_btn);
}

void ledsize::prepare(int max_w, int max_h)
{
    setWindowTitle(pick_text("LED Unit screen size", "LED单元屏大小"));
    ui.label_w->setText(pick_text("Width", "宽度"));
    ui.label_h->setText(pick_text("Height", "高度"));
    ui.pushButton_save->setText(pick_text("Save", "保存"));
    set_edit_range(ui.lineEdit_w, codec::kMinUnitSize, max_w);
    set_edit_range(ui.lineEdit_h, codec::kMinUnitSize, max_h);
    ui.lineEdit_w->setText(QString::number(max_w));
    ui.lineEdit_h->setText(QString::number(max_h));
}

void ledsize::clicked_save_btn()
{
    if (!all_acceptable({ui.lineEdit_w, ui.lineEdit_h}))
        return;
    emit save_led_copy_size_signal(ui.lineEdit_w->text().toInt(), ui.lineEdit_h->text().toInt());
    accept();
}
