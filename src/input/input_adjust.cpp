// Brightness, contrast and colour of input cards InA and InB.

#include "app/tesselview.h"
#include "device/device_data.h"

namespace {

constexpr int kAdjustMin = 0;
constexpr int kAdjustMax = 100;

} // namespace

void TesselView::setup_input_adjust()
{
    for (QSpinBox *spin : {ui.inAspinLDBox, ui.inAspinCTBox, ui.inAspinColorBox, ui.inBspinLDBox,
                           ui.inBspinCTBox, ui.inBspinColorBox})
        spin->setRange(kAdjustMin, kAdjustMax);
    for (QSlider *slider : {ui.inALDSlider, ui.inACTSlider, ui.inAColorSlider, ui.inBLDSlider,
                            ui.inBCTSlider, ui.inBColorSlider}) {
        slider->setRange(kAdjustMin, kAdjustMax);
        slider->setSingleStep(1);
    }

    // A widget set to the value it already holds emits nothing, so the pairs do not loop.
    const auto spin_changed = QOverload<int>::of(&QSpinBox::valueChanged);
    connect(ui.inALDSlider, &QSlider::valueChanged, this, &TesselView::setSpinBoxInALDvalue);
    connect(ui.inAspinLDBox, spin_changed, this, &TesselView::setSliderInALDvalue);
    connect(ui.inBLDSlider, &QSlider::valueChanged, this, &TesselView::setSpinBoxInBLDvalue);
    connect(ui.inBspinLDBox, spin_changed, this, &TesselView::setSliderInBLDvalue);
    connect(ui.inACTSlider, &QSlider::valueChanged, this, &TesselView::setSpinBoxInACTvalue);
    connect(ui.inAspinCTBox, spin_changed, this, &TesselView::setSliderInACTvalue);
    connect(ui.inBCTSlider, &QSlider::valueChanged, this, &TesselView::setSpinBoxInBCTvalue);
    connect(ui.inBspinCTBox, spin_changed, this, &TesselView::setSliderInBCTvalue);
    connect(ui.inAColorSlider, &QSlider::valueChanged, this, &TesselView::setSpinBoxInAColorvalue);
    connect(ui.inAspinColorBox, spin_changed, this, &TesselView::setSliderInAColorvalue);
    connect(ui.inBColorSlider, &QSlider::valueChanged, this, &TesselView::setSpinBoxInBColorvalue);
    connect(ui.inBspinColorBox, spin_changed, this, &TesselView::setSliderInBColorvalue);

    connect(ui.updata_btn, &QPushButton::clicked, this, &TesselView::clicked_updata_btn);
}

void TesselView::load_card_adjust(int card)
{
    const Adjust &a = device_data.in_adjust[card];
    if (card == 0) {
        ui.inAspinLDBox->setValue(a.brightness);
        ui.inALDSlider->setValue(a.brightness);
        ui.inAspinCTBox->setValue(a.contrast);
        ui.inACTSlider->setValue(a.contrast);
        ui.inAspinColorBox->setValue(a.colour);
        ui.inAColorSlider->setValue(a.colour);
    } else if (card == 1) {
        ui.inBspinLDBox->setValue(a.brightness);
        ui.inBLDSlider->setValue(a.brightness);
        ui.inBspinCTBox->setValue(a.contrast);
        ui.inBCTSlider->setValue(a.contrast);
        ui.inBspinColorBox->setValue(a.colour);
        ui.inBColorSlider->setValue(a.colour);
    }
}

void TesselView::setSpinBoxInALDvalue(int value)
{
    ui.inAspinLDBox->setValue(value);
}

void TesselView::setSliderInALDvalue(int value)
{
    ui.inALDSlider->setValue(value);
}

void TesselView::setSpinBoxInBLDvalue(int value)
{
    ui.inBspinLDBox->setValue(value);
}

void TesselView::setSliderInBLDvalue(int value)
{
    ui.inBLDSlider->setValue(value);
}

void TesselView::setSpinBoxInACTvalue(int value)
{
    ui.inAspinCTBox->setValue(value);
}

void TesselView::setSliderInACTvalue(int value)
{
    ui.inACTSlider->setValue(value);
}

void TesselView::setSpinBoxInBCTvalue(int value)
{
    ui.inBspinCTBox->setValue(value);
}

void TesselView::setSliderInBCTvalue(int value)
{
    ui.inBCTSlider->setValue(value);
}

void TesselView::setSpinBoxInAColorvalue(int value)
{
    ui.inAspinColorBox->setValue(value);
}

void TesselView::setSliderInAColorvalue(int value)
{
    ui.inAColorSlider->setValue(value);
}

void TesselView::setSpinBoxInBColorvalue(int value)
{
    ui.inBspinColorBox->setValue(value);
}

void TesselView::setSliderInBColorvalue(int value)
{
    ui.inBColorSlider->setValue(value);
}

void TesselView::save_input_adjust(int card, uint8_t command, const QSpinBox *spin, int32_t &field)
{
    field = spin->value();
    // Not acknowledged in time and sent while the operator keeps working: the window stays enabled.
    TxWait wait = TxWait::none(proto::kWaitInputAdjust);
    wait.disable_window = false;
    transmit_short(command, static_cast<uint8_t>(card), static_cast<uint8_t>(field & 0xFF), wait);
}

void TesselView::clicked_light_set_1btn()
{
    save_input_adjust(0, proto::kCmdInputBrightness, ui.inAspinLDBox,
                      device_data.in_adjust[0].brightness);
}

void TesselView::clicked_constrbut_set_1btn()
{
    save_input_adjust(0, proto::kCmdInputContrast, ui.inAspinCTBox,
                      device_data.in_adjust[0].contrast);
}

void TesselView::clicked_color_set_1btn()
{
    save_input_adjust(0, proto::kCmdInputColour, ui.inAspinColorBox,
                      device_data.in_adjust[0].colour);
}

void TesselView::clicked_light_set_2btn()
{
    save_input_adjust(1, proto::kCmdInputBrightness, ui.inBspinLDBox,
                      device_data.in_adjust[1].brightness);
}

void TesselView::clicked_constrbut_set_2btn()
{
    save_input_adjust(1, proto::kCmdInputContrast, ui.inBspinCTBox,
                      device_data.in_adjust[1].contrast);
}

void TesselView::clicked_color_set_2btn()
{
    save_input_adjust(1, proto::kCmdInputColour, ui.inBspinColorBox,
                      device_data.in_adjust[1].colour);
}
