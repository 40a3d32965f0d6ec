#include "output/light.h"

#include "app/texts.h"
#include "device/device_data.h"
#include "output/output_codec.h"

light::light(QWidget *parent) : QDialog(parent)
{
    ui.setupUi(this);
    ui.LDSlider->setRange(0, 255);
    ui.spinLDBox->setRange(0, 255);
    connect(ui.LDSlider, &QSlider::valueChanged, this, &light::set_LD_SL);
    connect(ui.spinLDBox, QOverload<int>::of(&QSpinBox::valueChanged), this, &light::set_out_LD_SP);
    connect(ui.btn_set, &QPushButton::clicked, this, &light::clicked_btn);
}

void light::prepare()
{
    setWindowTitle(pick_text("Brightness", "亮度"));
    ui.label_ld->setText(pick_text("Brightness", "亮度"));
    ui.btn_set->setText(pick_text("Save", "保存"));
    ui.spinLDBox->setValue(device_data.out_light[device_data.out_card_sel].contrast);
}

void light::set_LD_SL(int value)
{
    ui.spinLDBox->setValue(value);
}

void light::set_out_LD_SP(int value)
{
    ui.LDSlider->setValue(value);
}

void light::clicked_btn()
{
    const int value = ui.spinLDBox->value();
    for (int card = 0; card < kOutputCardCount; ++card) {
        device_data.out_light[card].contrast = value;
        for (int port = 0; port < kPortCount; ++port) {
            for (int slot : codec::kBrightWire)
                device_data.port_quality[card][port][slot] = value;
        }
    }
    setEnabled(false);
    emit btn_LD_signal();
    setEnabled(true);
}
