// Video Input page: connector selection, the status read and the signal indicators.

#include "app/tesselview.h"
#include "app/texts.h"
#include "device/codec.h"
#include "device/device_data.h"
#include "input/input_codec.h"
#include "input/radio_group.h"

namespace {

const QString kIndicatorNeutral = QStringLiteral(
    "QRadioButton::indicator {width: 45px;height:20px;border-radius:7px;background-color:white;"
    "border:1px solid black;}");
const QString kIndicatorSignal = QStringLiteral(
    "QRadioButton::indicator {width: 45px;height:20px;border-radius:7px;background-color:green;"
    "border:1px solid black;}");
const QString kIndicatorNoSignal = QStringLiteral(
    "QRadioButton::indicator {width: 45px;height:20px;border-radius:7px;background-color:red;"
    "border:1px solid black;}");

} // namespace

void TesselView::wire_input_page()
{
    connect(ui.cvbs1radioBtn, &QRadioButton::clicked, this, &TesselView::clicked_cvbs1_btn);
    connect(ui.hdmi1radioBtn, &QRadioButton::clicked, this, &TesselView::clicked_hdmi1_btn);
    connect(ui.sdi1radioBtn, &QRadioButton::clicked, this, &TesselView::clicked_sdi1_btn);
    connect(ui.cvbs2radioBtn, &QRadioButton::clicked, this, &TesselView::clicked_cvbs2_btn);
    connect(ui.hdmi4radioBtn, &QRadioButton::clicked, this, &TesselView::clicked_hdmi4_btn);
    connect(ui.sdi2radioBtn, &QRadioButton::clicked, this, &TesselView::clicked_sdi2_btn);
    connect(ui.hdmi2radioBtn, &QRadioButton::clicked, this, &TesselView::clicked_hdmi2_btn);
    connect(ui.hdmi3radioBtn, &QRadioButton::clicked, this, &TesselView::clicked_hdmi3_btn);
    connect(ui.dp1radioBtn, &QRadioButton::clicked, this, &TesselView::clicked_dp1_btn);
    connect(ui.hdmi5radioBtn, &QRadioButton::clicked, this, &TesselView::clicked_hdmi5_btn);
    connect(ui.hdmi6radioBtn, &QRadioButton::clicked, this, &TesselView::clicked_hdmi6_btn);
    connect(ui.dp2radioBtn, &QRadioButton::clicked, this, &TesselView::clicked_dp2_btn);

    connect(ui.inAOpenradioBtn, &QRadioButton::clicked, this, &TesselView::clicked_open1_btn);
    connect(ui.inACloseradioBtn, &QRadioButton::clicked, this, &TesselView::clicked_close1_btn);
    connect(ui.inBOpenradioBtn, &QRadioButton::clicked, this, &TesselView::clicked_open2_btn);
    connect(ui.inBCloseradioBtn, &QRadioButton::clicked, this, &TesselView::clicked_close2_btn);
    connect(ui.pip1Btn, &QPushButton::clicked, this, &TesselView::clicked_pip1_btn);
    connect(ui.pip2Btn, &QPushButton::clicked, this, &TesselView::clicked_pip2_btn);
    connect(ui.auto1Btn, &QPushButton::clicked, this, &TesselView::clicked_auto1_btn);
    connect(ui.auto2Btn, &QPushButton::clicked, this, &TesselView::clicked_auto2_btn);
    connect(&m_pip_dialog, &pipclass::set_signal_size, this, &TesselView::set_pip_size);
    connect(&m_pip_dialog, &pipclass::switch_son_signal, this, &TesselView::pip_source);

    connect(ui.inALDButton, &QPushButton::clicked, this, &TesselView::clicked_light_set_1btn);
    connect(ui.inACTButton, &QPushButton::clicked, this, &TesselView::clicked_constrbut_set_1btn);
    connect(ui.inAColorButton, &QPushButton::clicked, this, &TesselView::clicked_color_set_1btn);
    connect(ui.inBLDButton, &QPushButton::clicked, this, &TesselView::clicked_light_set_2btn);
    connect(ui.inBCTButton, &QPushButton::clicked, this, &TesselView::clicked_constrbut_set_2btn);
    connect(ui.inBColorButton, &QPushButton::clicked, this, &TesselView::clicked_color_set_2btn);
}

void TesselView::build_indicator_lists()
{
    m_in_a_list = {ui.sdi1radioBtn, ui.hdmi1radioBtn, ui.cvbs1radioBtn};
    m_in_b_list = {ui.sdi2radioBtn, ui.hdmi4radioBtn, ui.cvbs2radioBtn};
    m_in_c_list = {ui.hdmi2radioBtn, ui.hdmi3radioBtn, ui.dp1radioBtn};
    m_in_d_list = {ui.hdmi5radioBtn, ui.hdmi6radioBtn, ui.dp2radioBtn};
    m_in_all_list = m_in_a_list + m_in_b_list + m_in_c_list + m_in_d_list;
}

void TesselView::setInputCard()
{
    if (!device_data.serial_open && !device_data.net_open)
        return;
    const bool read = read_input_status();
    // A link lost during the reads has shown the communication page.
    if (!m_link.is_open())
        return;
    if (read)
        ui.stackedWidget->setCurrentIndex(kPageInput);
    highlight_page_button(kButtonInput);
}

void TesselView::clicked_updata_btn()
{
    read_input_status();
}

bool TesselView::read_input_status()
{
    setEnabled(false);
    if (direct_read(proto::kReadStatusInput, 0) != proto::kStatusReplyLength) {
        setEnabled(true);
        return false;
    }
    codec::decode_status(rx_reply(), device_data);
    read_input_cards();
    refresh_input_page();
    paint_signal_indicators();
    setEnabled(true);
    return true;
}

void TesselView::read_input_cards()
{
    // The second card is read whatever the first gave.
    for (int card = 0; card < codec::kPipCards; ++card) {
        if (direct_read(proto::kReadInputCard, static_cast<uint8_t>(card)) ==
            proto::kInputCardReplyLength)
            codec::decode_input_card(rx_reply(), card, device_data);
    }
}

void TesselView::refresh_input_page()
{
    QGroupBox *const selection[kInputCardCount] = {ui.inASBox, ui.inBSBox, ui.inCBox, ui.inDBox};
    // Per PIP card: its PIP box, adjustment box, PIP button, Auto button.
    struct PipWidgets {
        QGroupBox *pip_box;
        QGroupBox *adjust_box;
        QPushButton *pip;
        QPushButton *autob;
        QRadioButton *on;
        QRadioButton *off;
    };
    const PipWidgets pip[codec::kPipCards] = {
        {ui.InApipBox, ui.inA_box, ui.pip1Btn, ui.auto1Btn, ui.inAOpenradioBtn,
         ui.inACloseradioBtn},
        {ui.InBpipBox, ui.InB_box, ui.pip2Btn, ui.auto2Btn, ui.inBOpenradioBtn,
         ui.inBCloseradioBtn},
    };

    for (int card = 0; card < kInputCardCount; ++card) {
        const bool fitted = device_data.in_card_present[card] != 0;
        selection[card]->setEnabled(fitted);
        if (card < codec::kPipCards) {
            const PipWidgets &w = pip[card];
            w.pip_box->setEnabled(fitted);
            w.adjust_box->setEnabled(fitted);
            w.autob->setEnabled(fitted);
            w.pip->setEnabled(fitted && device_data.pip_state[card] != 0);
        }
        if (fitted)
            check_current_source(card);
        if (card < codec::kPipCards) {
            load_card_adjust(card);
            const PipWidgets &w = pip[card];
            (device_data.pip_state[card] != 0 ? w.on : w.off)->setChecked(true);
        }
    }
}

void TesselView::check_current_source(int card)
{
    const QList<QRadioButton *> *const lists[kInputCardCount] = {&m_in_a_list, &m_in_b_list,
                                                                 &m_in_c_list, &m_in_d_list};
    if (card < 0 || card >= kInputCardCount)
        return;
    const QList<QRadioButton *> &list = *lists[card];
    const int index = codec::indicator_index(card, device_data.in_source[card]);
    check_only({list[0], list[1], list[2]}, index < 0 ? nullptr : list[index]);
}

void TesselView::paint_signal_indicators()
{
    for (QRadioButton *button : qAsConst(m_in_all_list))
        button->setStyleSheet(kIndicatorNeutral);
    for (int card = 0; card < kInputCardCount; ++card) {
        if (!device_data.in_card_present[card])
            continue;
        const int index = codec::indicator_index(card, device_data.in_source[card]);
        if (index < 0)
            continue;
        m_in_all_list[card * codec::kIndicatorsPerCard + index]->setStyleSheet(
            device_data.in_signal_ok[card] ? kIndicatorSignal : kIndicatorNoSignal);
    }
}

void TesselView::select_input_source(int card, int code)
{
    // Stored before sending: a command that is lost leaves the new code until the next read.
    device_data.in_source[card] = code;
    transmit_short(proto::kCmdInputSource, static_cast<uint8_t>(card), static_cast<uint8_t>(code),
                   TxWait::busy(proto::kWaitInputSource,
                                pick_text("Switching input signal....", "切换输入信号。。。")));
}

void TesselView::clicked_cvbs1_btn()
{
    select_input_source(0, codec::kConnCvbs);
}

void TesselView::clicked_hdmi1_btn()
{
    select_input_source(0, codec::kConnHdmiVga);
}

void TesselView::clicked_sdi1_btn()
{
    select_input_source(0, codec::kConnSdi);
}

void TesselView::clicked_cvbs2_btn()
{
    select_input_source(1, codec::kConnCvbs);
}

void TesselView::clicked_hdmi4_btn()
{
    select_input_source(1, codec::kConnHdmiVga);
}

void TesselView::clicked_sdi2_btn()
{
    select_input_source(1, codec::kConnSdi);
}

void TesselView::clicked_hdmi2_btn()
{
    select_input_source(2, codec::kConnHdmiFirst);
}

void TesselView::clicked_hdmi3_btn()
{
    select_input_source(2, codec::kConnHdmiSecond);
}

void TesselView::clicked_dp1_btn()
{
    select_input_source(2, codec::kConnDisplayPort);
}

void TesselView::clicked_hdmi5_btn()
{
    select_input_source(3, codec::kConnHdmiFirst);
}

void TesselView::clicked_hdmi6_btn()
{
    select_input_source(3, codec::kConnHdmiSecond);
}

void TesselView::clicked_dp2_btn()
{
    select_input_source(3, codec::kConnDisplayPort);
}
