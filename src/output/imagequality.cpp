#include "output/imagequality.h"

#include "app/texts.h"
#include "device/device_data.h"
#include "output/output_codec.h"
#include "widgets/dialog_fields.h"

void ImageQuality::Pair::set(int v) const
{
    slider->setValue(v);
    spin->setValue(v);
}

int ImageQuality::Pair::value() const
{
    return spin->value();
}

ImageQuality::ImageQuality(QWidget *parent) : QDialog(parent)
{
    ui.setupUi(this);
    m_port_buttons = {ui.radioBtn_dvi1, ui.radioBtn_dvi2, ui.radioBtn_dvi3, ui.radioBtn_dvi4};
    m_gray = {{ui.inBLDSlider_RGB, ui.inBspinLDBox_RGB},
              {ui.inBLDSlider_R, ui.inBspinLDBox_R},
              {ui.inBLDSlider_G, ui.inBspinLDBox_G},
              {ui.inBLDSlider_B, ui.inBspinLDBox_B}};
    m_bright = {{ui.inBCTSlider_RGB, ui.inBspinCTBox_RGB},
                {ui.inBCTSlider_R, ui.inBspinCTBox_R},
                {ui.inBCTSlider_G, ui.inBspinCTBox_G},
                {ui.inBCTSlider_B, ui.inBspinCTBox_B}};
    m_color = {ui.inBColorSlider, ui.inBspinColorBox};
    m_card_gray = {ui.LDSlider, ui.spinLDBox};
    m_card_bright = {ui.CTSlider, ui.spinCTBox};
    m_card_color = {ui.slider_color, ui.spinColorBox};

    for (const Pair &p : {m_card_gray, m_card_bright, m_card_color, m_color}) {
        p.slider->setRange(0, 255);
        p.spin->setRange(0, 255);
    }
    for (const QList<Pair> *group : {&m_gray, &m_bright}) {
        for (const Pair &p : *group) {
            p.slider->setRange(0, 255);
            p.spin->setRange(0, 255);
        }
        // "RGB" drives red, green and blue; each of those moves alone.
        couple(group->at(0), group->mid(1));
        for (int i = 1; i < group->size(); ++i)
            couple(group->at(i), {});
    }
    couple(m_color, {});
    // The card-wide values drive every port control of their quantity.
    couple(m_card_gray, m_gray);
    couple(m_card_bright, m_bright);
    couple(m_card_color, {m_color});

    connect(ui.btn_LD_set, &QPushButton::clicked, this, &ImageQuality::clicked_btn_LD_set);
    connect(ui.btn_c_set, &QPushButton::clicked, this, &ImageQuality::clicked_btn_LD_set);
    connect(ui.btn_CT_set, &QPushButton::clicked, this, &ImageQuality::clicked_btn_CT_set);
    connect(ui.btn_set_ld, &QPushButton::clicked, this, &ImageQuality::clicked_btn_CT_set);
    connect(ui.btn_Color_set, &QPushButton::clicked, this, &ImageQuality::clicked_btn_Color_set);
    connect(ui.btn_set_color, &QPushButton::clicked, this, &ImageQuality::clicked_btn_Color_set);
}

void ImageQuality::couple(const Pair &pair, const QList<Pair> &follow)
{
    // Setting an equal value emits nothing, so the pairs settle after one round.
    const auto take = [pair, follow](int value) {
        pair.set(value);
        for (const Pair &p : follow)
            p.set(value);
    };
    connect(pair.slider, &QSlider::valueChanged, this, take);
    connect(pair.spin, QOverload<int>::of(&QSpinBox::valueChanged), this, take);
}

void ImageQuality::apply_texts()
{
    setWindowTitle(pick_text("Image Quality", "图像画质"));
    // The card-wide values and the port's own.
    set_picture_captions(ui.label_LD_all, ui.label_ct_all, ui.label_color_all);
    set_picture_captions(ui.label_LD, ui.label_CT, ui.label_color);
    ui.label_color_value->setText(pick_text("RGB", "大小"));
    for (QPushButton *b : {ui.btn_c_set, ui.btn_set_ld, ui.btn_set_color, ui.btn_Color_set,
                           ui.btn_CT_set, ui.btn_LD_set})
        b->setText(pick_text("Save", "保存"));
}

void ImageQuality::prepare()
{
    apply_texts();
    const int card = device_data.out_card_sel;
    const int port = device_data.out_port_sel;
    ui.label_out->setText(card == 0 ? QStringLiteral("OutA") : QStringLiteral("OutB"));
    // Card-wide values first: they drive the port controls, which then get their own.
    const Adjust &light = device_data.out_light[card];
    m_card_gray.set(light.brightness);
    m_card_bright.set(light.contrast);
    m_card_color.set(light.colour);
    const int32_t *values = device_data.port_quality[card][port];
    for (int i = 0; i < 4; ++i) {
        m_gray[i].set(values[codec::kGrayWire[i]]);
        m_bright[i].set(values[codec::kBrightWire[i]]);
    }
    m_color.set(values[codec::kColorValue]);
    if (port >= 0 && port < m_port_buttons.size())
        m_port_buttons[port]->setChecked(true);
}

void ImageQuality::save(const QList<Pair> &ports, const int (&record)[4], const Pair &card,
                        int &card_value)
{
    card_value = card.value();
    int32_t *values = device_data.port_quality[device_data.out_card_sel][device_data.out_port_sel];
    for (int i = 0; i < 4; ++i)
        values[record[i]] = ports[i].value();
}

void ImageQuality::clicked_btn_LD_set()
{
    save(m_gray, codec::kGrayWire, m_card_gray,
         device_data.out_light[device_data.out_card_sel].brightness);
    setEnabled(false);
    emit btn_LD_set_signal();
    setEnabled(true);
}

void ImageQuality::clicked_btn_CT_set()
{
    save(m_bright, codec::kBrightWire, m_card_bright,
         device_data.out_light[device_data.out_card_sel].contrast);
    setEnabled(false);
    emit btn_CT_set_signal();
    setEnabled(true);
}

void ImageQuality::clicked_btn_Color_set()
{
    device_data.out_light[device_data.out_card_sel].colour = m_card_color.value();
    device_data
        .port_quality[device_data.out_card_sel][device_data.out_port_sel][codec::kColorValue] =
        m_color.value();
    setEnabled(false);
    emit btn_Color_set_signal();
    setEnabled(true);
}
