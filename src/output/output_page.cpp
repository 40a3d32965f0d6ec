// The output page: opening and refreshing it, the output modes, the port
// buttons, the manual port rectangles and the output mode copy.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "app/tesselview.h"
#include "device/codec.h"
#include "device/device_data.h"
#include "output/output_codec.h"
#include "widgets/bounded_validator.h"
#include "widgets/dialog_fields.h"
#include "widgets/group_styles.h"

namespace {

constexpr int kSelectModeWaitMs = 300;
constexpr int kPortRectsWaitMs = 300;
constexpr int kCopyModeWaitMs = 500;

// A step of an operation that keeps the window disabled from start to end.
TxWait inside(TxWait wait)
{
    wait.disable_window = false;
    return wait;
}

} // namespace

void TesselView::setup_output_page()
{
    for (int mode = 0; mode < m_out_mode_buttons.size(); ++mode) {
        connect(m_out_mode_buttons[mode], &QPushButton::clicked, this,
                [this, mode] { clicked_out_mode_btn(mode); });
    }
    connect(ui.copyBtn_out, &QPushButton::clicked, this, &TesselView::clicked_copy_out_btn);
    connect(&m_copy_out, &copymode::copy_mode_signal, this, &TesselView::copy_out_mode);
    m_out_port_buttons = {ui.btn_outA_dvi1, ui.btn_outA_dvi2, ui.btn_outA_dvi3, ui.btn_outA_dvi4,
                          ui.btn_outB_dvi1, ui.btn_outB_dvi2, ui.btn_outB_dvi3, ui.btn_outB_dvi4};
    for (int i = 0; i < m_out_port_buttons.size(); ++i) {
        const int card = i / kPortCount;
        const int port = i % kPortCount;
        connect(m_out_port_buttons[i], &QPushButton::clicked, this,
                [this, card, port] { clicked_out_port_btn(card, port); });
    }
    connect(ui.formatBox, QOverload<int>::of(&QComboBox::activated), this,
            &TesselView::activated_fromatBox);
    connect(ui.btn_dpi, &QPushButton::clicked, this, &TesselView::clicked_dpi_set_btn);
    connect(ui.pushBtn_set, &QPushButton::clicked, this, &TesselView::clicked_pushBtn_set);
    setup_output_dialogs();

    // The custom size edits keep their bound from the start; they are only
    // enabled while the custom row is chosen.
    m_custom_w_validator = new BoundedValidator(codec::kCustomMin, codec::kCustomMax, this);
    m_custom_h_validator = new BoundedValidator(codec::kCustomMin, codec::kCustomMax, this);
    ui.RowEdit->setValidator(m_custom_w_validator);
    ui.ColumnEdit->setValidator(m_custom_h_validator);
    connect(ui.RowEdit, &QLineEdit::textChanged, this, &TesselView::change_resolution_row);
    connect(ui.ColumnEdit, &QLineEdit::textChanged, this, &TesselView::change_resolution_column);
    ui.hzBox->clear();
    ui.hzBox->addItems({QStringLiteral("50Hz"), QStringLiteral("60Hz")});

    // Validators first, so that the first text change finds them.
    for (QLineEdit *edit : {ui.inputEdit_x, ui.inputEdit_w, ui.inputEdit_y, ui.inputEdit_h,
                            ui.outputEdit_x, ui.outputEdit_w, ui.outputEdit_y, ui.outputEdit_h,
                            ui.inxEdit, ui.inwEdit, ui.inyEdit, ui.inhEdit}) {
        auto *validator = new BoundedValidator(0, 0, this);
        edit->setValidator(validator);
        m_rect_validators.append(validator);
        connect(edit, &QLineEdit::textChanged, this, &TesselView::text_changed);
    }
    // The unit positions are bounded by the wall on show, however its size got
    // there: typed, chosen with the wall, or left by the mosaic editor.
    for (QLineEdit *edit : {ui.wEdit, ui.hEdit})
        connect(edit, &QLineEdit::textChanged, this, &TesselView::text_changed);
    for (QFrame *frame : {ui.frame_in, ui.frame_out})
        frame->setStyleSheet(QStringLiteral("QFrame{background-color: rgba(0, 255, 127,200);}"));
}

void TesselView::output_card_set()
{
    if (!device_data.serial_open && !device_data.net_open)
        return;
    setEnabled(false);
    const int mode = device_data.cur_out_mode;
    if (direct_read(proto::kReadLedRects, static_cast<uint8_t>(mode)) ==
        proto::kLedRectsReplyLength)
        codec::decode_led_rects(rx_reply(), mode, device_data);
    read_led_sizes();
    if (direct_read(proto::kReadUnitRects, static_cast<uint8_t>(mode)) ==
        proto::kUnitRectsReplyLength)
        codec::decode_unit_rects(rx_reply(), mode, device_data);
    load_led_screen(mode);
    setup_output_page_for_mode();
    ui.comboBox->setCurrentIndex(device_data.switch_effect);
    setEnabled(true);
    // A link lost during the reads has shown the communication page.
    if (!m_link.is_open())
        return;
    for (int i = 0; i < m_out_port_buttons.size(); ++i)
        m_out_port_buttons[i]->setEnabled(device_data.out_card_present[i / kPortCount] != 0);
    ui.stackedWidget->setCurrentIndex(kPageOutput);
    highlight_page_button(kButtonOutput);
}

void TesselView::setup_output_page_for_mode()
{
    highlight_out_mode_button(device_data.cur_out_mode);
    fill_resolution_lists();
    const bool custom = device_data.out_format == codec::kCustomFormatCode;
    ui.RowEdit->setEnabled(custom);
    ui.ColumnEdit->setEnabled(custom);
    ui.hzBox->setEnabled(custom);
    if (custom) {
        m_custom_w_validator->setRange(codec::kCustomMin, codec::kCustomMax);
        m_custom_h_validator->setRange(codec::kCustomMin, codec::kCustomMax);
    }
    ui.RowEdit->setText(QString::number(device_data.custom_res_w));
    ui.ColumnEdit->setText(QString::number(device_data.custom_res_h));
    highlight_out_port_button();
    show_led_fields();
    show_manual_rect_fields();
    refresh_output_preview();
}

void TesselView::highlight_out_mode_button(int mode)
{
    for (int i = 0; i < m_out_mode_buttons.size(); ++i)
        m_out_mode_buttons[i]->setStyleSheet(i == mode ? group_style::on() : group_style::off());
}

void TesselView::highlight_out_port_button()
{
    const int active = device_data.out_port_sel + device_data.out_card_sel * kPortCount;
    for (int i = 0; i < m_out_port_buttons.size(); ++i)
        m_out_port_buttons[i]->setStyleSheet(i == active ? group_style::on() : group_style::off());
}

void TesselView::clicked_out_mode_btn(int mode)
{
    device_data.cur_out_mode = mode;
    setEnabled(false);
    load_led_screen(mode);
    const auto index = static_cast<uint8_t>(mode);
    if (direct_read(proto::kReadUnitRects, index) == proto::kUnitRectsReplyLength)
        codec::decode_unit_rects(rx_reply(), mode, device_data);
    if (direct_read(proto::kReadLedRects, index) == proto::kLedRectsReplyLength)
        codec::decode_led_rects(rx_reply(), mode, device_data);
    if (transmit_short(proto::kCmdSelectMode, proto::kOutputForm, index,
                       inside(TxWait::delay(proto::kWaitOutputMode, kSelectModeWaitMs)))) {
        show_manual_rect_fields();
        highlight_out_mode_button(mode);
        read_led_sizes();
        if (direct_read(proto::kReadUnitRects, index) == proto::kUnitRectsReplyLength)
            codec::decode_unit_rects(rx_reply(), mode, device_data);
        show_led_fields();
        refresh_output_preview();
    }
    setEnabled(true);
}

void TesselView::clicked_out_port_btn(int card, int port)
{
    device_data.out_card_sel = card;
    device_data.out_port_sel = port;
    show_manual_rect_fields();
    highlight_out_port_button();
    show_led_fields();
    refresh_output_preview();
}

void TesselView::show_manual_rect_fields()
{
    const ModeData &m = device_data.mode_data[device_data.cur_out_mode];
    show_rect(manual_input_edits(),
              m.led_in_rect[device_data.out_card_sel][device_data.out_port_sel]);
    show_rect(manual_output_edits(),
              m.led_out_rect[device_data.out_card_sel][device_data.out_port_sel]);
}

RectEdits TesselView::manual_input_edits() const
{
    return {ui.inputEdit_x, ui.inputEdit_y, ui.inputEdit_w, ui.inputEdit_h};
}

RectEdits TesselView::manual_output_edits() const
{
    return {ui.outputEdit_x, ui.outputEdit_y, ui.outputEdit_w, ui.outputEdit_h};
}

void TesselView::clicked_pushBtn_set()
{
    QLineEdit *const edits[] = {ui.inputEdit_x,  ui.inputEdit_y,  ui.inputEdit_w,  ui.inputEdit_h,
                                ui.outputEdit_x, ui.outputEdit_y, ui.outputEdit_w, ui.outputEdit_h};
    if (!all_acceptable(edits))
        return;
    setEnabled(false);
    const int mode = device_data.cur_out_mode;
    const int card = device_data.out_card_sel;
    const int port = device_data.out_port_sel;
    ModeData &m = device_data.mode_data[mode];
    m.led_in_rect[card][port] = read_rect(manual_input_edits());
    m.led_out_rect[card][port] = read_rect(manual_output_edits());
    transmit(proto::kCmdRectangle,
             codec::port_rects_payload(codec::port_selector(card, port, mode),
                                       m.led_in_rect[card][port], m.led_out_rect[card][port]),
             inside(TxWait::delay(proto::kWaitPortRects, kPortRectsWaitMs)));
    refresh_output_preview();
    setEnabled(true);
}

void TesselView::clicked_copy_out_btn()
{
    m_copy_out.prepare(device_data.cur_out_mode);
    m_copy_out.exec();
}

void TesselView::copy_out_mode(int _source_mode, int _target_mode)
{
    if (_source_mode < 0 || _source_mode >= kModeCount || _target_mode < 0 ||
        _target_mode >= kModeCount)
        return;
    transmit(proto::kCmdCopyMode, codec::copy_output_payload(_source_mode, _target_mode),
             TxWait::delay(proto::kWaitCopyMode, kCopyModeWaitMs));
    copy_led_screen(_source_mode, _target_mode);
}
