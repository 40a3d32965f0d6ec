// Language switching and the fixed captions of the main window.

#include "app/tesselview.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QStringList>
#include <QTreeWidget>

#include "app/texts.h"
#include "device/device_data.h"
#include "device/finddevices.h"

namespace {

// One fixed caption of the main window; both texts are UTF-8.
struct Caption {
    QWidget *widget;
    const char *english;
    const char *chinese;
};

struct Text {
    const char *english;
    const char *chinese;
};

QString pick(const char *english, const char *chinese)
{
    return pick_text(english, chinese);
}

// Group boxes carry their caption in the title, buttons and labels in the text.
void set_caption(QWidget *widget, const QString &text)
{
    if (auto *box = qobject_cast<QGroupBox *>(widget))
        box->setTitle(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(widget))
        button->setText(text);
    else if (auto *label = qobject_cast<QLabel *>(widget))
        label->setText(text);
}

// Index = switch_effect.
const Text kSwitchEffects[] = {
    {"Cut", "无缝切换"},
    {"Fade 1s", "淡入淡出1s"},
    {"Fade 2s", "淡入淡出2s"},
    {"Fade 3s", "淡入淡出3s"},
};

} // namespace

void TesselView::apply_texts()
{
    ui.treeWidget->setHeaderLabels(
        QStringList{pick("WINS(Right click switch)", "窗口(右键切换信号源)")});

    const Caption captions[] = {
        // Top bar and page headings
        {ui.pushBtn_LD, "Output Brightness", "输出亮度"},
        {ui.cmclBtn, "Communication", "通讯"},
        {ui.label_2, "Communication", "通讯"},
        {ui.inputBtn, "Video Input", "视频输入"},
        {ui.input_label, "Video Input", "视频输入"},
        {ui.winsetBtn, "Multi Win", "多窗口"},
        {ui.label, "Multi Win", "多窗口"},
        {ui.outBtn, "Output Image", "图像输出"},
        {ui.imagelabel, "Output Image", "图像输出"},
        {ui.exportBtn, "Data Export", "数据导出"},
        {ui.importBtn, "Data Import", "数据导入"},
        {ui.initdevBtn, "Device Initialize", "设备初始化"},
        {ui.lauBox, "语言(Language)", "语言(Language)"},
        {ui.cradioBtn, "中文", "中文"},
        {ui.eradioBtn, "English", "English"},

        // Communication page
        {ui.connetlabel, "Connection", "连接方式"},
        {ui.serialradioBtn, "Serial Port", "串口"},
        {ui.seiallabel, "Serial Port", "串口"},
        {ui.webradioBtn, "Network", "网口"},
        {ui.devlabel, "Port", "端口号"},
        {ui.getBtn, "Getting", "获取"},
        {ui.dev_no, "Device ID", "设备号"},
        {ui.fullTimingBox, "Full protocol timing", "完整协议时序"},
        {ui.offlineBtn, "Work offline", "离线编辑"},
        {ui.findBtn, "Find devices", "搜索设备"},

        // Video input page
        {ui.inASBox, "Input card: InA signal selection", "输入卡：InA信号切换"},
        {ui.inBSBox, "Input card: InB signal selection", "输入卡：InB信号切换"},
        {ui.inCBox, "Input card: InC signal selection", "输入卡：InC信号切换"},
        {ui.inDBox, "Input card: InD signal selection", "输入卡：InD信号切换"},
        {ui.updata_btn, "Refresh", "刷新"},
        {ui.label_tip,
         "Notice: Red means no signal input, green means input signal available. Click Refresh "
         "button to get real time input card status",
         "提示：红色为无信号，绿色为有信号。实时查看信号状态，请点击“刷新”按钮。"},
        {ui.groupBox_7, "Image Quality", "图像画质"},
        {ui.inA_box, "Input card: InA", "输入卡：InA"},
        {ui.InB_box, "Input card: InB", "输入卡：InB"},
        {ui.inALDBox, "Brightness", "亮度"},
        {ui.inBLDBox, "Brightness", "亮度"},
        {ui.inACTBox, "Contrast", "对比度"},
        {ui.inBCTBox, "Contrast", "对比度"},
        {ui.inAColorBox, "Color", "颜色"},
        {ui.inBColorBox, "Color", "颜色"},
        {ui.inALDButton, "Save", "保存"},
        {ui.inACTButton, "Save", "保存"},
        {ui.inAColorButton, "Save", "保存"},
        {ui.inBLDButton, "Save", "保存"},
        {ui.inBCTButton, "Save", "保存"},
        {ui.inBColorButton, "Save", "保存"},
        {ui.InApipBox, "InA:PIP switch", "InA:PIP开关"},
        {ui.InBpipBox, "InB:PIP switch", "InB:PIP开关"},
        {ui.inAOpenradioBtn, "On", "开"},
        {ui.inBOpenradioBtn, "On", "开"},
        {ui.inACloseradioBtn, "Off", "关"},
        {ui.inBCloseradioBtn, "Off", "关"},

        // Multi-window page
        {ui.copyBtn_mul, "Duplicate", "模式复制"},

        // Output page
        {ui.groupBox_dpi, "Output Resolution", "输出分辨率"},
        {ui.formatlab, "Resolution", "分辨率"},
        {ui.formatlab_2, "Custom Resolution", "自定义分辨率"},
        {ui.btn_dpi, "Setting", "保存"},
        {ui.groupBox_mode, "Video Mode", "显示模式"},
        {ui.copyBtn_out, "Duplicate", "模式复制"},
        {ui.groupBox_led, "Output port", "输出端口"},
        {ui.Btn_picture, "Image Quality", "图像画质"},
        {ui.groupBox_8, "Manual stitching", "手动拼接"},
        {ui.inputlabel_x, "In H_Start", "输入水平起始"},
        {ui.inputlabel_w, "In Width", "输入宽度"},
        {ui.inputlabel_y, "In V_Start", "输入垂直起始"},
        {ui.inputlabel_h, "In Height", "输入高度"},
        {ui.outlabel_x, "Out H_Start", "输出水平起始"},
        {ui.outlabel_w, "Out Width", "输出宽度"},
        {ui.outlabel_y, "Out V_Start", "输出垂直起始"},
        {ui.outlabel_h, "Out Height", "输出高度"},
        {ui.pushBtn_set, "Save", "保存"},

        // LED page fields
        {ui.wlabel_2, "LED Total Width", "LED总宽度"},
        {ui.hlabel_2, "LED Total Height", "LED总高度"},
        {ui.setButton_size, "Save", "保存"},
        {ui.btn_fast_splicing, "Fast Mosaic", "快速拼接"},
        {ui.xlabel, "Unit H_Start", "单元屏水平起始"},
        {ui.wlabel, "Unit Width", "单元屏宽度"},
        {ui.ylabel, "Unit V_Start", "单元屏垂直起始"},
        {ui.hlabel, "Unit Height", "单元屏高度"},
        {ui.pushButton, "Save", "保存"},
    };
    for (const Caption &c : captions)
        set_caption(c.widget, pick(c.english, c.chinese));

    // Refilling the combo makes its first item current; switch_effect itself is
    // left as it is.
    ui.comboBox->clear();
    for (const Text &effect : kSwitchEffects)
        ui.comboBox->addItem(pick(effect.english, effect.chinese));
    ui.comboBox->setCurrentIndex(0);
    ui.label_4->setText(pick("Switch Effect", "切换效果"));
    apply_layout_texts();
    apply_preview_texts();

    set_connect_button_text();
    set_output_texts();
    apply_coverage_texts();
    apply_link_status_texts();
    if (m_find_dialog)
        m_find_dialog->apply_texts();
}

void TesselView::select_chinese()
{
    device_data.lang_english = 0;
    apply_texts();
}

void TesselView::select_english()
{
    device_data.lang_english = 1;
    apply_texts();
}

void TesselView::set_connect_button_text()
{
    const bool linked = device_data.serial_open || device_data.net_open;
    ui.connectBtn->setText(linked ? pick("Disconnect", "断开连接") : pick("Connect", "连接"));
    show_window_title();
}

void TesselView::show_window_title()
{
    QString title = pick("Tessel-4K2K Multi-window control software(V1.03)",
                         "Tessel-4K2K多窗口操控软件(V1.03)");
    if (active_transport() == Transport::Offline)
        title += QStringLiteral(" - ") + offline_state_text();
    setWindowTitle(title);
}
