#include "app/tesselview.h"

#include <QDragEnterEvent>
#include <QDropEvent>

#include "app/app_paths.h"
#include "device/device_data.h"
#include "widgets/qiplineedit.h"

namespace {

const QString kPageButtonOn = QStringLiteral(
    "QPushButton{background-color:rgb(255, 223, 58);border-style:outset;border-width:2px;"
    "border-radius:10px;border-color:rgb(0, 255, 0);font:bold 15px;color:rgb(0, 0, 0);}");
const QString kPageButtonOff = QStringLiteral(
    "QPushButton{background-color:rgb(189, 189, 189);border-style:outset;border-width:2px;"
    "border-radius:10px;border-color:rgb(0, 255, 0);font:bold 15px;color:rgb(0, 0, 0);}");

// Only modes 0..12 can be chosen from the buttons.
constexpr int kFirstDisabledMode = 13;

const QRect kIpEditorGeometry(52, 120, 380, 25);

} // namespace

// The resources live in a static library: nothing pulls them in unless asked.
static void init_resources()
{
    Q_INIT_RESOURCE(tessel);
}

TesselView::TesselView(QWidget *parent)
    : QMainWindow(parent),
      m_settings(std::make_unique<QSettings>(tessel_settings_path(), QSettings::IniFormat))
{
    init_resources();
    ui.setupUi(this);
    m_ip_editor = new QIPLineEdit(ui.groupBox_5);
    m_ip_editor->setObjectName(QStringLiteral("ipLineEdit"));
    m_ip_editor->setGeometry(kIpEditorGeometry);

    connect(ui.connectBtn, &QPushButton::clicked, this, &TesselView::connectSeralPort);
    connect(ui.offlineBtn, &QPushButton::clicked, this, &TesselView::clicked_offline_btn);
    connect(ui.getBtn, &QPushButton::clicked, this, &TesselView::getSerial);
    connect(ui.inputBtn, &QPushButton::clicked, this, &TesselView::setInputCard);
    connect(ui.cmclBtn, &QPushButton::clicked, this, &TesselView::connectSetBtn);
    connect(ui.winsetBtn, &QPushButton::clicked, this, &TesselView::wins_set_clicked);
    connect(ui.outBtn, &QPushButton::clicked, this, &TesselView::output_card_set);
    // The link runs both reply engines on its transports' readyRead.
    connect(&m_link, &DeviceLink::reply_accepted, this, &TesselView::on_reply_accepted);
    connect(&m_link, &DeviceLink::bound_expired, this, &TesselView::on_busy_bound_expired);
    connect(&m_link, &DeviceLink::link_lost, this, &TesselView::on_link_lost);
    connect(&m_link, &DeviceLink::upload_step, this, &TesselView::show_import_step);
    setup_link_status();
    connect(ui.fullTimingBox, &QCheckBox::toggled, this, &TesselView::set_full_timing);
    connect(ui.cradioBtn, &QRadioButton::clicked, this, &TesselView::select_chinese);
    connect(ui.eradioBtn, &QRadioButton::clicked, this, &TesselView::select_english);
    connect(ui.serialradioBtn, &QRadioButton::clicked, this, &TesselView::clicked_serial_btn);
    connect(ui.webradioBtn, &QRadioButton::clicked, this, &TesselView::clicked_web_btn);
    connect(ui.findBtn, &QPushButton::clicked, this, &TesselView::clicked_find_btn);
    // Topic wiring of the same step (layout, outputs, maintenance) follows here.
    connect(ui.initdevBtn, &QPushButton::clicked, this, &TesselView::clicked_init_dev_btn);
    connect(ui.importBtn, &QPushButton::clicked, this, &TesselView::clicked_import_btn);
    connect(ui.compareBtn, &QPushButton::clicked, this, &TesselView::clicked_compare_btn);
    connect(ui.exportBtn, &QPushButton::clicked, this, &TesselView::clicked_export_btn);
    connect(ui.pushBtn_LD, &QPushButton::clicked, this, &TesselView::clicked_pushBtn_LD);
    setup_layout_page();

    ui.lineEdit_port->setEnabled(false);

    wire_input_page();
    setAcceptDrops(true);
    setup_input_adjust();
    m_mode_buttons = {ui.m0Btn,  ui.m1Btn,  ui.m2Btn,  ui.m3Btn, ui.m4Btn,  ui.m5Btn,
                      ui.m6Btn,  ui.m7Btn,  ui.m8Btn,  ui.m9Btn, ui.m10Btn, ui.m11Btn,
                      ui.m12Btn, ui.m13Btn, ui.m14Btn, ui.m15Btn};
    m_out_mode_buttons = {ui.m0Btn_out,  ui.m1Btn_out,  ui.m2Btn_out,  ui.m3Btn_out,
                          ui.m4Btn_out,  ui.m5Btn_out,  ui.m6Btn_out,  ui.m7Btn_out,
                          ui.m8Btn_out,  ui.m9Btn_out,  ui.m10Btn_out, ui.m11Btn_out,
                          ui.m12Btn_out, ui.m13Btn_out, ui.m14Btn_out, ui.m15Btn_out};
    for (int mode = kFirstDisabledMode; mode < kModeCount; ++mode) {
        m_mode_buttons[mode]->setEnabled(false);
        m_out_mode_buttons[mode]->setEnabled(false);
    }
    // Output mode buttons, the rest of the output page and its twelve edits
    // (output topic) go here.
    setup_output_page();
    m_device_buttons = {ui.radio_1, ui.radio_2, ui.radio_3, ui.radio_4,
                        ui.radio_5, ui.radio_6, ui.radio_7};
    ui.radio_1->setChecked(true);

    ui.cradioBtn->setChecked(true);
    apply_texts();

    m_import_format = 0;
    m_import_custom_w = 0;
    m_import_custom_h = 0;

    connectSetBtn();

    // LED page signals and the fast mosaic editor (output topic), then the
    // input indicator lists (input topic) come last.
    setup_led_page();
    setup_mosaic_editor();
    setup_coverage();
    build_indicator_lists();
}

TesselView::~TesselView() = default;

void TesselView::set_port_text(const QString &port)
{
    ui.lineEdit_port->setText(port);
}

void TesselView::set_address_text(const QString &address)
{
    m_ip_editor->setText(address);
}

void TesselView::add_extra_serial_port(const QString &path)
{
    if (!m_extra_serial_ports.contains(path))
        m_extra_serial_ports.append(path);
    getSerial();
}

void TesselView::connectSetBtn()
{
    getSerial();
    m_ip_editor->setText(device_data.device_ip);
    const bool serial = device_data.serial_chosen == 1;
    if (serial)
        ui.serialradioBtn->setChecked(true);
    else
        ui.webradioBtn->setChecked(true);
    m_ip_editor->setEnabled(!serial);
    ui.getBtn->setEnabled(serial);
    ui.serialBox->setEnabled(serial);
    ui.stackedWidget->setCurrentIndex(kPageCommunication);
    highlight_page_button(kButtonCommunication);
}

void TesselView::wins_set_clicked()
{
    if (!device_data.serial_open && !device_data.net_open)
        return;
    setEnabled(false);
    close_all_items();
    load_device_state();
    setEnabled(true);
    // A link lost during the read-back has shown the communication page.
    if (m_link.is_open())
        ui.stackedWidget->setCurrentIndex(kPageMultiWindow);
}

void TesselView::highlight_page_button(int index)
{
    QPushButton *const buttons[] = {ui.cmclBtn, ui.inputBtn, ui.winsetBtn, ui.outBtn};
    for (int i = 0; i < 4; ++i)
        buttons[i]->setStyleSheet(i == index ? kPageButtonOn : kPageButtonOff);
}

void TesselView::dragEnterEvent(QDragEnterEvent *event)
{
    event->acceptProposedAction();
}

void TesselView::dropEvent(QDropEvent *) {}
