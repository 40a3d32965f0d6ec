#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QMessageBox>
#include <QSerialPortInfo>
#include <QTimer>

#include "app/tesselview.h"
#include "device/device_data.h"
#include "widgets/qiplineedit.h"

namespace {

constexpr int kConnectTimeoutMs = 5000;
constexpr qint32 kBaudRate = 115200;

const QString kGroup = QStringLiteral("SerialPort");
const QString kKeyPortNumber = QStringLiteral("COM");
const QString kKeySerialChosen = QStringLiteral("SeralFlag");
const QString kKeyAddress = QStringLiteral("IP");
const QString kKeyPortName = QStringLiteral("PortName");

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

// Waits in a nested loop (not a blocking call) until the socket connects or fails.
bool wait_connected(QTcpSocket &socket, int timeout_ms)
{
    if (socket.state() == QAbstractSocket::ConnectedState)
        return true;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::connected, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QAbstractSocket::errorOccurred, &loop, &QEventLoop::quit);
    timer.start(timeout_ms);
    loop.exec();
    return socket.state() == QAbstractSocket::ConnectedState;
}

} // namespace

void TesselView::read_settings()
{
    m_settings->sync();
    m_settings->beginGroup(kGroup);
    device_data.serial_port_no = m_settings->value(kKeyPortNumber, 0).toInt();
    // Only a flag written as true counts: a damaged value reads like a missing one.
    const QString chosen = m_settings->value(kKeySerialChosen).toString().trimmed().toLower();
    device_data.serial_chosen = chosen == QLatin1String("true") || chosen == QLatin1String("1");
    device_data.device_ip = m_settings->value(kKeyAddress, QString()).toString();
    m_last_port_name = m_settings->value(kKeyPortName, QString()).toString();
    m_settings->endGroup();
}

void TesselView::write_settings()
{
    QDir().mkpath(QFileInfo(m_settings->fileName()).absolutePath());
    m_settings->beginGroup(kGroup);
    m_settings->setValue(kKeyPortNumber, device_data.serial_port_no);
    m_settings->setValue(kKeySerialChosen, device_data.serial_chosen == 1);
    m_settings->setValue(kKeyAddress, device_data.device_ip);
    m_settings->setValue(kKeyPortName, m_last_port_name);
    m_settings->endGroup();
    m_settings->sync();
}

void TesselView::getSerial()
{
    read_settings();
    ui.serialBox->clear();
    QStringList names;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        names.append(info.portName());
    names.append(m_extra_serial_ports);
    const QString comName = QStringLiteral("COM%1").arg(device_data.serial_port_no);
    for (const QString &name : qAsConst(names)) {
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

void TesselView::connectSeralPort()
{
    if (!device_data.serial_open && !device_data.net_open)
        open_link();
    else
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
    if (ui.serialradioBtn->isChecked()) {
        m_serial.setPortName(ui.serialBox->currentText());
        m_serial.setBaudRate(kBaudRate, QSerialPort::AllDirections);
        m_serial.setDataBits(QSerialPort::Data8);
        m_serial.setFlowControl(QSerialPort::NoFlowControl);
        m_serial.setParity(QSerialPort::NoParity);
        m_serial.setStopBits(QSerialPort::OneStop);
        if (!m_serial.open(QIODevice::ReadWrite))
            return fail();
        device_data.serial_open = 1;
        device_data.net_open = 0;
        device_data.serial_chosen = 1;
        device_data.serial_port_no = port_number_of(ui.serialBox->currentText());
        m_last_port_name = ui.serialBox->currentText();
    } else {
        m_socket.abort();
        const quint16 port = static_cast<quint16>(ui.lineEdit_port->text().toInt(nullptr, 10));
        const QString host = normalized_address(m_ip_editor->text());
        m_socket.connectToHost(host, port, QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
        if (!wait_connected(m_socket, kConnectTimeoutMs)) {
            m_socket.abort();
            return fail();
        }
        device_data.serial_open = 0;
        device_data.net_open = 1;
        device_data.serial_chosen = 0;
        device_data.device_ip = host;
    }
    write_settings();

    for (int i = 0; i < m_device_buttons.size(); ++i) {
        if (m_device_buttons[i]->isChecked())
            device_data.device_id = i + 1;
    }

    load_device_state();
    if (m_status_length == 0) {
        close_link();
        show_connect_failed();
    }
    setEnabled(true);
    return m_status_length != 0;
}

void TesselView::close_link()
{
    if (device_data.serial_open) {
        device_data.serial_open = 0;
        device_data.net_open = 0;
        close_all_items();
        m_serial.close();
    } else if (device_data.net_open) {
        device_data.serial_open = 0;
        device_data.net_open = 0;
        close_all_items();
        m_socket.close(); // unlike abort(), sends what is still queued
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
