// Brightness, contrast and colour of input cards InA and InB.

#include "app/tesselview.h"
#include "device/device_data.h"

namespace {

constexpr int kAdjustMin = 0;
constexpr int kAdjustMax = 100;

// The three values of a card in the order brightness, contrast, colour.
enum AdjustValue { kBrightness, kContrast, kColour, kAdjustValues };

constexpr uint8_t kAdjustCommand[kAdjustValues] = {
    proto::kCmdInputBrightness, proto::kCmdInputContrast, proto::kCmdInputColour};

int32_t &adjust_field(Adjust &a, int value)
{
    return value == kBrightness ? a.brightness : value == kContrast ? a.contrast : a.colour;
}

} // namespace

TesselView::AdjustPair TesselView::adjust_pair(int card, int value) const
{
    const AdjustPair pairs[2][kAdjustValues] = {
        {{ui.inALDSlider, ui.inAspinLDBox},
         {ui.inACTSlider, ui.inAspinCTBox},
         {ui.inAColorSlider, ui.inAspinColorBox}},
        {{ui.inBLDSlider, ui.inBspinLDBox},
         {ui.inBCTSlider, ui.inBspinCTBox},
         {ui.inBColorSlider, ui.inBspinColorBox}}};
    return pairs[card][value];
}

void TesselView::setup_input_adjust()
{
    using Slot = void (TesselView::*)(int);
    // Per card and value: the slot that follows the slider, the one that follows the spin box.
    const Slot followers[2][kAdjustValues][2] = {
        {{&TesselView::setSpinBoxInALDvalue, &TesselView::setSliderInALDvalue},
         {&TesselView::setSpinBoxInACTvalue, &TesselView::setSliderInACTvalue},
         {&TesselView::setSpinBoxInAColorvalue, &TesselView::setSliderInAColorvalue}},
        {{&TesselView::setSpinBoxInBLDvalue, &TesselView::setSliderInBLDvalue},
         {&TesselView::setSpinBoxInBCTvalue, &TesselView::setSliderInBCTvalue},
         {&TesselView::setSpinBoxInBColorvalue, &TesselView::setSliderInBColorvalue}}};
    for (int card = 0; card < 2; ++card) {
        for (int value = 0; value < kAdjustValues; ++value) {
            const AdjustPair pair = adjust_pair(card, value);
            pair.spin->setRange(kAdjustMin, kAdjustMax);
            pair.slider->setRange(kAdjustMin, kAdjustMax);
            pair.slider->setSingleStep(1);
            // A widget set to the value it already holds emits nothing, so the pairs do not loop.
            connect(pair.slider, &QSlider::valueChanged, this, followers[card][value][0]);
            connect(pair.spin, QOverload<int>::of(&QSpinBox::valueChanged), this,
                    followers[card][value][1]);
        }
    }
    connect(ui.updata_btn, &QPushButton::clicked, this, &TesselView::clicked_updata_btn);
}

void TesselView::load_card_adjust(int card)
{
    if (card < 0 || card >= 2)
        return;
    Adjust &a = device_data.in_adjust[card];
    for (int value = 0; value < kAdjustValues; ++value) {
        const AdjustPair pair = adjust_pair(card, value);
        pair.spin->setValue(adjust_field(a, value));
        pair.slider->setValue(adjust_field(a, value));
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

void TesselView::save_input_adjust(int card, int value)
{
    int32_t &field = adjust_field(device_data.in_adjust[card], value);
    field = adjust_pair(card, value).spin->value();
    // Not acknowledged in time and sent while the operator keeps working: the window stays enabled.
    TxWait wait = TxWait::none(proto::kWaitInputAdjust);
    wait.disable_window = false;
    transmit_short(kAdjustCommand[value], static_cast<uint8_t>(card),
                   static_cast<uint8_t>(field & 0xFF), wait);
}

void TesselView::clicked_light_set_1btn()
{
    save_input_adjust(0, kBrightness);
}

void TesselView::clicked_constrbut_set_1btn()
{
    save_input_adjust(0, kContrast);
}

void TesselView::clicked_color_set_1btn()
{
    save_input_adjust(0, kColour);
}

void TesselView::clicked_light_set_2btn()
{
    save_input_adjust(1, kBrightness);
}

void TesselView::clicked_constrbut_set_2btn()
{
    save_input_adjust(1, kContrast);
}

void TesselView::clicked_color_set_2btn()
{
    save_input_adjust(1, kColour);
}
