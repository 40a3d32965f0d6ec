#include "input/pipclass.h"

#include "app/texts.h"
#include "input/input_codec.h"
#include "widgets/bounded_validator.h"
#include "input/radio_group.h"

pipclass::pipclass(QWidget *parent) : QDialog(parent)
{
    ui.setupUi(this);
    setFixedSize(size());

    QLineEdit *const edits[8] = {ui.mainxEdit, ui.mainwEdit, ui.mainyEdit, ui.mainhEdit,
                                 ui.sonxEdit,  ui.sonwEdit,  ui.sonyEdit,  ui.sonhEdit};
    for (int i = 0; i < 8; ++i) {
        m_validators[i] = new BoundedValidator(0, 0, this);
        edits[i]->setValidator(m_validators[i]);
    }

    connect(ui.mainsetBtn, &QPushButton::clicked, this, &pipclass::set_main_size);
    connect(ui.sonsetBtn, &QPushButton::clicked, this, &pipclass::set_son_size);
    connect(ui.cvbs1Btn, &QRadioButton::clicked, this, &pipclass::clicked_cvbs1_btn);
    connect(ui.hdmi1Btn, &QRadioButton::clicked, this, &pipclass::clicked_hdmi1_btn);
    connect(ui.sdi1Btn, &QRadioButton::clicked, this, &pipclass::clicked_sdi1_btn);
    connect(ui.cvbs2Btn, &QRadioButton::clicked, this, &pipclass::clicked_cvbs2_btn);
    connect(ui.hdmi4Btn, &QRadioButton::clicked, this, &pipclass::clicked_hdmi4_btn);
    connect(ui.sdi2Btn, &QRadioButton::clicked, this, &pipclass::clicked_sdi2_btn);
    for (QLineEdit *edit : edits)
        connect(edit, &QLineEdit::textChanged, this, &pipclass::change_text);
    change_text(QString());
}

void pipclass::apply_texts()
{
    setWindowTitle(pick_text("PIP Settings", "画中画设置"));
    ui.ilabel->setText(pick_text("Input Card", "输入卡"));
    ui.ilabel_2->setText(pick_text("Main Signal", "主信号"));
    ui.inputlabel->setText(pick_text("Main Channel", "主通道"));
    ui.outputlabel->setText(pick_text("Sub-channel", "子通道"));
    ui.xlabel->setText(pick_text("H_Start", "水平起始"));
    ui.wlabel->setText(pick_text("Width", "宽度"));
    ui.ylabel->setText(pick_text("V_Start", "垂直起始"));
    ui.hlabel->setText(pick_text("Height", "高度"));
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

    const PipRects &r = device_data.pip_rect[card];
    ui.mainxEdit->setText(QString::number(r.main.x));
    ui.mainwEdit->setText(QString::number(r.main.w));
    ui.mainyEdit->setText(QString::number(r.main.y));
    ui.mainhEdit->setText(QString::number(r.main.h));
    ui.sonxEdit->setText(QString::number(r.sub.x));
    ui.sonwEdit->setText(QString::number(r.sub.w));
    ui.sonyEdit->setText(QString::number(r.sub.y));
    ui.sonhEdit->setText(QString::number(r.sub.h));
}

void pipclass::change_text(const QString &)
{
    // Each edit is bounded by its partner, so x + width stays within 1920 and
    // y + height within 1080 in whatever is typed.
    struct Bound {
        QLineEdit *partner;
        int extent;
    };
    const Bound bounds[8] = {
        {ui.mainwEdit, codec::kPipFrameWidth},  {ui.mainxEdit, codec::kPipFrameWidth},
        {ui.mainhEdit, codec::kPipFrameHeight}, {ui.mainyEdit, codec::kPipFrameHeight},
        {ui.sonwEdit, codec::kPipFrameWidth},   {ui.sonxEdit, codec::kPipFrameWidth},
        {ui.sonhEdit, codec::kPipFrameHeight},  {ui.sonyEdit, codec::kPipFrameHeight},
    };
    for (int i = 0; i < 8; ++i)
        m_validators[i]->setRange(0,
                                  codec::pip_edit_top(bounds[i].extent, bounds[i].partner->text()));
}

bool pipclass::read_rect(QLineEdit *x, QLineEdit *w, QLineEdit *y, QLineEdit *h, DevRect &rect)
{
    if (!all_acceptable({x, w, y, h}))
        return false;
    rect.x = x->text().toInt();
    rect.w = w->text().toInt();
    rect.y = y->text().toInt();
    rect.h = h->text().toInt();
    return true;
}

void pipclass::send_rect(bool main)
{
    PipRects &r = device_data.pip_rect[m_card];
    const bool ok = main ? read_rect(ui.mainxEdit, ui.mainwEdit, ui.mainyEdit, ui.mainhEdit, r.main)
                         : read_rect(ui.sonxEdit, ui.sonwEdit, ui.sonyEdit, ui.sonhEdit, r.sub);
    if (!ok)
        return;
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
