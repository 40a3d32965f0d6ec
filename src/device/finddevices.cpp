#include "device/finddevices.h"

#include <QTreeWidgetItem>

#include <tuple>

#include "app/texts.h"

namespace {

// Serial ports first, then addresses in numeric order, then device numbers.
auto order_key(const FoundDevice &d)
{
    const bool network = d.link == DeviceLink::Transport::Network;
    const quint32 address = network ? QHostAddress(d.where).toIPv4Address() : 0;
    return std::make_tuple(network, address, network ? QString() : d.where, d.device_id);
}

QString cards_text(const FoundDevice &d)
{
    static const char *const kInputs[kInputCardCount] = {"InA", "InB", "InC", "InD"};
    static const char *const kOutputs[kOutputCardCount] = {"OutA", "OutB"};
    QStringList names;
    for (int c = 0; c < kInputCardCount; ++c) {
        if (d.in_cards[c])
            names << QLatin1String(kInputs[c]);
    }
    for (int c = 0; c < kOutputCardCount; ++c) {
        if (d.out_cards[c])
            names << QLatin1String(kOutputs[c]);
    }
    return names.isEmpty() ? pick_text("none", "无") : names.join(QLatin1Char(' '));
}

} // namespace

FindDevices::FindDevices(QWidget *parent) : QDialog(parent)
{
    ui.setupUi(this);
    connect(ui.searchBtn, &QPushButton::clicked, this, &FindDevices::search);
    connect(ui.deviceList, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *item) { choose(item); });
    connect(&m_probe, &DeviceProbe::device_found, this, &FindDevices::add_row);
    connect(&m_probe, &DeviceProbe::progress, this, &FindDevices::show_state);
    connect(&m_probe, &DeviceProbe::finished, this, &FindDevices::show_state);
}

void FindDevices::prepare(const QStringList &serial_ports, quint16 tcp_port, const QString &range)
{
    m_serial_ports = serial_ports;
    m_tcp_port = tcp_port;
    // A range the operator typed is kept; the one offered follows the page.
    const QString shown = ui.rangeEdit->text().trimmed();
    if (shown.isEmpty() || shown == m_offered_range)
        ui.rangeEdit->setText(range);
    m_offered_range = range;
    apply_texts();
}

void FindDevices::apply_texts()
{
    setWindowTitle(pick_text("Find devices", "搜索设备"));
    ui.rangeLabel->setText(pick_text("Network range", "网络地址范围"));
    ui.searchBtn->setText(pick_text("Search", "搜索"));
    ui.hintLabel->setText(
        pick_text("Double-click a device to connect to it.", "双击设备即可连接。"));
    ui.deviceList->setHeaderLabels(
        {pick_text("Link", "连接方式"), pick_text("Address or port", "地址或串口"),
         pick_text("Device ID", "设备号"), pick_text("Output resolution", "输出分辨率"),
         pick_text("Cards", "板卡")});
    for (int i = 0; i < ui.deviceList->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = ui.deviceList->topLevelItem(i);
        fill_row(item, device_of(item));
    }
    fit_columns();
    show_state();
}

void FindDevices::search()
{
    m_probe.stop();
    ui.deviceList->clear();
    m_range_error.clear();
    const QString text = ui.rangeEdit->text();
    AddressRange range;
    if (!text.trimmed().isEmpty())
        range = AddressRange::parse(text);
    const QString part = range.bad_part;
    switch (range.error) {
    case AddressRange::Error::None:
    case AddressRange::Error::Empty:
        break;
    case AddressRange::Error::BadAddress:
        m_range_error =
            pick_text("Not a network address or range: %1", "不是有效的网络地址或范围：%1")
                .arg(part);
        break;
    case AddressRange::Error::Reversed:
        m_range_error =
            pick_text("The range ends before it starts: %1", "范围的结束地址小于起始地址：%1")
                .arg(part);
        break;
    case AddressRange::Error::TooLarge:
        m_range_error =
            pick_text("At most %2 addresses at a time: %1", "一次最多搜索 %2 个地址：%1")
                .arg(part)
                .arg(AddressRange::kMaxAddresses);
        break;
    }
    if (!m_range_error.isEmpty()) {
        show_state();
        ui.rangeEdit->setFocus();
        return;
    }
    m_serial_count = m_serial_ports.size();
    m_probe.start(m_serial_ports, range.addresses, m_tcp_port);
}

FoundDevice FindDevices::device_of(const QTreeWidgetItem *item)
{
    return item ? item->data(kColLink, Qt::UserRole).value<FoundDevice>() : FoundDevice();
}

void FindDevices::done(int result)
{
    // Closing the dialog ends the search: no probe outlives what shows it.
    m_probe.stop();
    QDialog::done(result);
}

void FindDevices::add_row(const FoundDevice &device)
{
    int row = 0;
    const auto key = order_key(device);
    while (row < ui.deviceList->topLevelItemCount() &&
           order_key(device_of(ui.deviceList->topLevelItem(row))) < key)
        ++row;
    auto *item = new QTreeWidgetItem;
    item->setData(kColLink, Qt::UserRole, QVariant::fromValue(device));
    fill_row(item, device);
    ui.deviceList->insertTopLevelItem(row, item);
    fit_columns();
}

void FindDevices::fit_columns()
{
    for (int c = 0; c < ui.deviceList->columnCount(); ++c)
        ui.deviceList->resizeColumnToContents(c);
}

void FindDevices::fill_row(QTreeWidgetItem *item, const FoundDevice &d) const
{
    const bool network = d.link == DeviceLink::Transport::Network;
    item->setText(kColLink,
                  network ? pick_text("Network", "网口") : pick_text("Serial Port", "串口"));
    item->setText(kColWhere, d.where);
    item->setText(kColId, QString::number(d.device_id));
    const QString rate = d.rate_60hz ? QStringLiteral("60Hz") : QStringLiteral("50Hz");
    item->setText(kColResolution,
                  d.out_w > 0 && d.out_h > 0
                      ? QStringLiteral("%1x%2@%3").arg(d.out_w).arg(d.out_h).arg(rate)
                      : pick_text("unknown", "未知"));
    item->setText(kColCards, cards_text(d));
}

void FindDevices::show_state()
{
    if (!m_range_error.isEmpty()) {
        ui.stateLabel->setText(m_range_error);
        return;
    }
    const int probed = m_probe.probed();
    const int total = m_probe.total();
    if (m_probe.running()) {
        ui.stateLabel->setText(pick_text("Searching... %1 of %2 probed", "正在搜索……已探测 %1 / %2")
                                   .arg(probed)
                                   .arg(total));
    } else if (total > 0 || ui.deviceList->topLevelItemCount() > 0) {
        ui.stateLabel->setText(
            pick_text("Search done: %1 found; %2 probed (%3 serial ports, %4 network addresses)",
                      "搜索完成：找到 %1 台设备；已探测 %2 个（串口 %3 个，网络地址 %4 个）")
                .arg(m_probe.found().size())
                .arg(total)
                .arg(m_serial_count)
                .arg(total - m_serial_count));
    } else {
        ui.stateLabel->setText(pick_text("Nothing to search: no serial port and no network range",
                                         "没有可搜索的串口或网络地址"));
    }
}

void FindDevices::choose(QTreeWidgetItem *item)
{
    const FoundDevice device = device_of(item);
    if (device.link == DeviceLink::Transport::None)
        return;
    accept();
    emit device_chosen(device);
}
