#include "input/pipclass.h"

#include "app/texts.h"
#include "input/input_codec.h"
#include "input/radio_group.h"
#include "widgets/bounded_validator.h"
#include "widgets/dialog_fields.h"

pipclass::pipclass(QWidget *parent) : QDialog(parent)
{
    ui.setupUi(this);
    setFixedSize(size());

    connect(ui.mainsetBtn, &QPushButton::clicked, this, &pipclass::set_main_size);
    connect(ui.sonsetBtn, &QPushButton::clicked, this, &pipclass::set_son_size);
    connect(ui.cvbs1Btn, &QRadioButton::clicked, this, &pipclass::clicked_cvbs1_btn);
    connect(ui.hdmi1Btn, &QRadioButton::clicked, this, &pipclass::clicked_hdmi1_btn);
    connect(ui.sdi1Btn, &QRadioButton::clicked, this, &pipclass::clicked_sdi1_btn);
    connect(ui.cvbs2Btn, &QRadioButton::clicked, this, &pipclass::clicked_cvbs2_btn);
    connect(ui.hdmi4Btn, &QRadioButton::clicked, this, &pipclass::clicked_hdmi4_btn);
    connect(ui.sdi2Btn, &QRadioButton::clicked, this, &pipclass::clicked_sdi2_btn);
    bind_bounded_edits(this,
                       {ui.mainxEdit, ui.mainwEdit, ui.mainyEdit, ui.mainhEdit, ui.sonxEdit,
                        ui.sonwEdit, ui.sonyEdit, ui.sonhEdit},
                       [this] { change_text(QString()); });
}

void pipclass::apply_texts()
{
    setWindowTitle(pick_text("PIP Settings", "画中画设置"));
    ui.ilabel->setText(pick_text("Input Card", "输入卡"));
    ui.ilabel_2->setText(pick_text("Main Signal", "主信号"));
    ui.inputlabel->setText(pick_text("Main Channel", "主通道"));
    ui.outputlabel->setText(pick_text("Sub-channel", "子通道"));
    set_rect_captions(ui.xlabel, ui.ylabel, ui.wlabel, ui.hlabel);
    ui.mainsetBtn->setText(pick_text("Setting", "设置"));
    ui.sonsetBtn->setText(pick_text("Setting", "设置"));
    ui.inABox->setTitle(pick_text("Input card A-PIP signal source", "输入卡A-PIP信号源"));
    ui.inBBox->setTitle(pick_text("Input card B-PIP signal source", "输入卡B-PIP信号源"));
}

void pipclass::setup_for_card(int card)
{
    apply_texts();
    m_card = card;
    ui.inputEdit->setText(card == 0 ? QStringLiteral("InA") : QStringLiteral("InB"));
    ui.inABox->setEnabled(card == 0);
    ui.inBBox->setEnabled(card == 1);

    const QString main_name =
        codec::main_signal_name(card, device_data.in_source[card], device_data.in_vga[card]);
    if (!main_name.isEmpty())
        ui.mianEdit->setText(main_name);

    const int code = device_data.pip_param[card];
    auto pick = [code](QRadioButton *cvbs, QRadioButton *hdmi, QRadioButton *sdi) {
        return code == codec::kConnCvbs      ? cvbs
               : code == codec::kConnHdmiVga ? hdmi
               : code == codec::kConnSdi     ? sdi
                                             : nullptr;
    };
    if (card == 0)
        check_only({ui.cvbs1Btn, ui.hdmi1Btn, ui.sdi1Btn},
                   pick(ui.cvbs1Btn, ui.hdmi1Btn, ui.sdi1Btn));
    else
        check_only({ui.cvbs2Btn, ui.hdmi4Btn, ui.sdi2Btn},
                   pick(ui.cvbs2Btn, ui.hdmi4Btn, ui.sdi2Btn));

    show_rect(main_edits(), device_data.pip_rect[card].main);
    show_rect(sub_edits(), device_data.pip_rect[card].sub);
}

RectEdits pipclass::main_edits() const
{
    return {ui.mainxEdit, ui.mainyEdit, ui.mainwEdit, ui.mainhEdit};
}

RectEdits pipclass::sub_edits() const
{
    return {ui.sonxEdit, ui.sonyEdit, ui.sonwEdit, ui.sonhEdit};
}

void pipclass::change_text(const QString &)
{
    // Each edit is bounded by its partner, so x + width stays within 1920 and
    // y + height within 1080 in whatever is typed.
    for (const RectEdits &r : {main_edits(), sub_edits()}) {
        const auto bound = [](QLineEdit *edit, QLineEdit *partner, int extent) {
            set_edit_range(edit, 0, codec::pip_edit_top(extent, partner->text()));
        };
        bound(r.x, r.w, codec::kPipFrameWidth);
        bound(r.w, r.x, codec::kPipFrameWidth);
        bound(r.y, r.h, codec::kPipFrameHeight);
        bound(r.h, r.y, codec::kPipFrameHeight);
    }
}

void pipclass::send_rect(bool main)
{
    const RectEdits edits = main ? main_edits() : sub_edits();
    // In form order: x, width, y, height.
    if (!all_acceptable({edits.x, edits.w, edits.y, edits.h}))
        return;
    PipRects &r = device_data.pip_rect[m_card];
    (main ? r.main : r.sub) = read_rect(edits);
    // Disabled while the main window sends and waits, so no second rectangle starts.
    setEnabled(false);
    emit set_signal_size(m_card, main ? 1 : 0);
    setEnabled(true);
}

void pipclass::set_main_size()
{
    send_rect(true);
}

void pipclass::set_son_size()
{
    send_rect(false);
}

void pipclass::clicked_cvbs1_btn()
{
    emit switch_son_signal(0, codec::kConnCvbs);
}

void pipclass::clicked_hdmi1_btn()
{
    emit switch_son_signal(0, codec::kConnHdmiVga);
}

void pipclass::clicked_sdi1_btn()
{
    emit switch_son_signal(0, codec::kConnSdi);
}

void pipclass::clicked_cvbs2_btn()
{
    emit switch_son_signal(1, codec::kConnCvbs);
}

void pipclass::clicked_hdmi4_btn()
{
    emit switch_son_signal(1, codec::kConnHdmiVga);
}

void pipclass::clicked_sdi2_btn()
{
    emit switch_son_signal(1, codec::kConnSdi);
}
