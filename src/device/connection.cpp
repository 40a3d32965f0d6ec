#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QSerialPortInfo>

#include "app/tesselview.h"
#include "device/device_data.h"
#include "device/finddevices.h"
#include "widgets/qiplineedit.h"

namespace {

const QString kGroup = QStringLiteral("SerialPort");
const QString kKeyPortNumber = QStringLiteral("COM");
const QString kKeySerialChosen = QStringLiteral("SeralFlag");
const QString kKeyAddress = QStringLiteral("IP");
const QString kKeyPortName = QStringLiteral("PortName");
const QString kKeyFullTiming = QStringLiteral("FullTiming");
const QString kKeyReadOnly = QStringLiteral("ReadOnly");

// Only a flag written as true counts: a damaged value reads like a missing one.
bool read_flag(const QSettings &settings, const QString &key)
{
    const QString value = settings.value(key).toString().trimmed().toLower();
    return value == QLatin1String("true") || value == QLatin1String("1");
}

// "COM12" gives 12; a name not of that form gives 0.
int port_number_of(const QString &name)
{
    bool ok = false;
    const int n = name.mid(3).toInt(&ok, 10);
    return ok ? n : 0;
}

// "010.001.2.3" would be read as octal by the resolver: drop leading zeros.
QString normalized_address(const QString &text)
{
    QStringList parts = text.split(QLatin1Char('.'));
    for (QString &part : parts) {
        bool ok = false;
        const int value = part.toInt(&ok, 10);
        if (ok)
            part = QString::number(value);
    }
    return parts.join(QLatin1Char('.'));
}

} // namespace

void TesselView::read_settings()
{
    m_settings->sync();
    m_settings->beginGroup(kGroup);
    device_data.serial_port_no = m_settings->value(kKeyPortNumber, 0).toInt();
    device_data.serial_chosen = read_flag(*m_settings, kKeySerialChosen);
    device_data.device_ip = m_settings->value(kKeyAddress, QString()).toString();
    m_last_port_name = m_settings->value(kKeyPortName, QString()).toString();
    const bool full_timing = read_flag(*m_settings, kKeyFullTiming);
    const bool read_only = read_flag(*m_settings, kKeyReadOnly);
    m_settings->endGroup();
    m_link.set_full_timing(full_timing);
    const QSignalBlocker quiet(ui.fullTimingBox);
    ui.fullTimingBox->setChecked(full_timing);
    // A connection keeps the kind it was opened with.
    if (!m_link.is_open())
        set_read_only(read_only);
}

void TesselView::write_settings()
{
    QDir().mkpath(QFileInfo(m_settings->fileName()).absolutePath());
    m_settings->beginGroup(kGroup);
    m_settings->setValue(kKeyPortNumber, device_data.serial_port_no);
    m_settings->setValue(kKeySerialChosen, device_data.serial_chosen == 1);
    m_settings->setValue(kKeyAddress, device_data.device_ip);
    m_settings->setValue(kKeyPortName, m_last_port_name);
    m_settings->setValue(kKeyFullTiming, m_link.full_timing());
    m_settings->setValue(kKeyReadOnly, m_link.read_only());
    m_settings->endGroup();
    m_settings->sync();
}

// Kept at once: the choice holds for the next command, and for the next start.
void TesselView::set_full_timing(bool on)
{
    m_link.set_full_timing(on);
    QDir().mkpath(QFileInfo(m_settings->fileName()).absolutePath());
    m_settings->setValue(kGroup + QLatin1Char('/') + kKeyFullTiming, on);
    m_settings->sync();
}

QStringList TesselView::serial_port_names() const
{
    QStringList names;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        names.append(info.portName());
    for (const QString &extra : m_extra_serial_ports) {
        if (!names.contains(extra))
            names.append(extra);
    }
    return names;
}

void TesselView::getSerial()
{
    read_settings();
    ui.serialBox->clear();
    const QStringList names = serial_port_names();
    const QString comName = QStringLiteral("COM%1").arg(device_data.serial_port_no);
    for (const QString &name : names) {
        ui.serialBox->addItem(name);
        if (name == comName || (!m_last_port_name.isEmpty() && name == m_last_port_name))
            ui.serialBox->setCurrentIndex(ui.serialBox->count() - 1);
    }
}

void TesselView::clicked_serial_btn()
{
    m_ip_editor->setEnabled(false);
    ui.getBtn->setEnabled(true);
    ui.serialBox->setEnabled(true);
}

void TesselView::clicked_web_btn()
{
    m_ip_editor->setEnabled(true);
    ui.getBtn->setEnabled(false);
    ui.serialBox->setEnabled(false);
}

void TesselView::clicked_find_btn()
{
    if (!m_find_dialog) {
        m_find_dialog = new FindDevices(this);
        connect(m_find_dialog, &FindDevices::device_chosen, this,
                &TesselView::connect_found_device);
    }
    // The /24 around the address on the page, or around the default address.
    QString range = AddressRange::around(normalized_address(m_ip_editor->text()));
    if (range.isEmpty())
        range = AddressRange::around(DeviceData().device_ip);
    const auto port = static_cast<quint16>(ui.lineEdit_port->text().toInt(nullptr, 10));
    // The open link's own port is not asked: its replies belong to the link.
    QStringList ports = serial_port_names();
    if (m_link.transport() == Transport::Serial)
        ports.removeAll(m_last_port_name);
    m_find_dialog->prepare(ports, port, range);
    m_find_dialog->open();
    m_find_dialog->search();
}

void TesselView::connect_found_device(const FoundDevice &device)
{
    if (device.device_id < 1 || device.device_id > m_device_buttons.size())
        return;
    // Another device may be open: the chosen one replaces it, with the usual
    // question about unexported offline changes.
    if (m_link.is_open()) {
        if (!confirm_offline_close())
            return;
        close_link();
    }
    if (device.link == DeviceLink::Transport::Serial) {
        if (ui.serialBox->findText(device.where) < 0)
            ui.serialBox->addItem(device.where);
        ui.serialBox->setCurrentText(device.where);
        ui.serialradioBtn->setChecked(true);
        clicked_serial_btn();
    } else {
        m_ip_editor->setText(device.where);
        ui.webradioBtn->setChecked(true);
        clicked_web_btn();
    }
    m_device_buttons[device.device_id - 1]->setChecked(true);
    connectSeralPort();
}

void TesselView::connectSeralPort()
{
    if (!device_data.serial_open && !device_data.net_open)
        open_link();
    else if (confirm_offline_close())
        close_link();
    set_connect_button_text();
}

bool TesselView::open_link()
{
    const auto fail = [this] {
        device_data.serial_open = 0;
        device_data.net_open = 0;
        show_connect_failed();
        setEnabled(true);
        return false;
    };
    setEnabled(false);
    const int id = checked_device_id();
    if (ui.serialradioBtn->isChecked()) {
        if (!m_link.open_serial(ui.serialBox->currentText(), id))
            return fail();
        device_data.serial_chosen = 1;
        device_data.serial_port_no = port_number_of(ui.serialBox->currentText());
        m_last_port_name = ui.serialBox->currentText();
    } else {
        const quint16 port = static_cast<quint16>(ui.lineEdit_port->text().toInt(nullptr, 10));
        const QString host = normalized_address(m_ip_editor->text());
        if (!m_link.open_network(host, port, id))
            return fail();
        device_data.serial_chosen = 0;
        device_data.device_ip = host;
    }
    write_settings();

    load_device_state();
    const bool answered = m_link.status_length() != 0;
    // A link lost during the read-back has been closed and told already.
    if (!answered && m_link.is_open()) {
        close_link();
        show_connect_failed();
    }
    setEnabled(true);
    return answered;
}

// The checked device number; it becomes device_id only with an open link.
int TesselView::checked_device_id() const
{
    int id = device_data.device_id;
    for (int i = 0; i < m_device_buttons.size(); ++i) {
        if (m_device_buttons[i]->isChecked())
            id = i + 1;
    }
    return id;
}

void TesselView::close_link()
{
    if (m_link.is_open()) {
        close_all_items();
        m_link.close();
    }
    highlight_page_button(kButtonCommunication);
    set_connect_button_text();
    ui.stackedWidget->setCurrentIndex(kPageCommunication);
}

void TesselView::show_connect_failed()
{
    const bool en = device_data.lang_english;
    QMessageBox::information(this, en ? QStringLiteral("Warning") : QStringLiteral("警告"),
                             en ? QStringLiteral("Connect Device Failed!!")
                                : QStringLiteral("连接设备失败！！"),
                             QMessageBox::Ok);
}
