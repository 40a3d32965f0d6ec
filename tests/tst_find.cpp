// Finding devices: the ranges an operator types, the probe against devices
// that answer, garble or keep silent, and the search dialog against simulator
// processes on several loopback addresses and a serial line.

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>
#include <vector>

#include "app/tesselview.h"
#include "device/codec.h"
#include "device/device_data.h"
#include "device/finddevices.h"
#include "link/device_probe.h"
#include "sim_server.h"
#include "support/sim_process.h"
#include "widgets/qiplineedit.h"

namespace {

using Error = AddressRange::Error;

QString address(quint32 a)
{
    return QHostAddress(a).toString();
}

// The damage a reply can carry, by the fault column of the probe's table.
enum { None, Split, Truncated, BadHeader, Junk, LateForItsNumber, Mute };
const std::function<void(sim::SimFaults &)> kFaults[] = {
    [](sim::SimFaults &) {},
    [](sim::SimFaults &f) { f.split_ms = 40; },
    [](sim::SimFaults &f) { f.truncate_to = 20; },
    [](sim::SimFaults &f) { f.bad_command_byte = true; },
    [](sim::SimFaults &f) { f.junk = QByteArray::fromHex("3a00"); },
    [](sim::SimFaults &f) { f.delay_ms = DeviceProbe::kAskMs + 150; },
    [](sim::SimFaults &f) { f.mute_all = true; },
};

QTreeWidgetItem *row_of(QTreeWidget *list, const QString &where, int id)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = list->topLevelItem(i);
        const FoundDevice d = FindDevices::device_of(item);
        if (d.where == where && d.device_id == id)
            return item;
    }
    return nullptr;
}

} // namespace

class TestFind : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void address_range_data();
    void address_range();
    void probe_takes_whole_replies_data();
    void probe_takes_whole_replies();
    void dialog_lists_answering_devices();
    void double_click_connects_data();
    void double_click_connects();
    void bad_range_searches_nothing();

private:
    // tessel-sim processes on 127.0.0.2, .3, .4 (numbers 1, 2, 5) and a silent
    // one on .5, all on one port; one more on a serial line (number 3).
    bool start_devices();
    // A main window whose search dialog has run on 127.0.0.2-6 to the end.
    FindDevices *search_devices();

    std::vector<std::unique_ptr<QProcess>> m_devices;
    quint16 m_port = 0;
    QString m_pty;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TesselView> m_view;
};

void TestFind::cleanup()
{
    m_view.reset();
    for (auto &device : m_devices) {
        device->terminate();
        device->waitForFinished(5000);
    }
    m_devices.clear();
    m_port = 0;
    m_pty.clear();
    m_dir.reset();
}

void TestFind::address_range_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("expected"); // count, first and last address
    struct Row {
        const char *text;
        Error error;
        const char *expected;
    };
    const Row rows[] = {
        {"192.168.1.7", Error::None, "1 192.168.1.7 192.168.1.7"},
        {"192.168.1.1-254", Error::None, "254 192.168.1.1 192.168.1.254"},
        {" 192.168.1.10 - 20 ", Error::None, "11 192.168.1.10 192.168.1.20"},
        {"10.0.0.250-10.0.1.5", Error::None, "12 10.0.0.250 10.0.1.5"},
        // Network and broadcast addresses are left out.
        {"192.168.1.0/24", Error::None, "254 192.168.1.1 192.168.1.254"},
        {"192.168.1.77/30", Error::None, "2 192.168.1.77 192.168.1.78"},
        {"192.168.1.9/32", Error::None, "1 192.168.1.9 192.168.1.9"},
        {"192.168.3.*", Error::None, "254 192.168.3.1 192.168.3.254"},
        {"010.0.0.010", Error::None, "1 10.0.0.10 10.0.0.10"},
        {"127.0.0.2-4, 127.0.0.3,127.0.0.9", Error::None, "4 127.0.0.2 127.0.0.9"},
        {"10.0.0.0-10.0.0.255", Error::None, "256 10.0.0.0 10.0.0.255"},
        {"", Error::Empty, "0"},
        {" , ,", Error::Empty, "0"},
        {"192.168.1.20-10", Error::Reversed, "0"},
        {"10.0.1.0-10.0.0.9", Error::Reversed, "0"},
        {"10.0.0.0/16", Error::TooLarge, "0"},
        {"0.0.0.0-255.255.255.255", Error::TooLarge, "0"},
        {"192.168.1.1-254, 192.168.2.1-254", Error::TooLarge, "0"},
    };
    for (const Row &r : rows)
        QTest::newRow(r.text) << r.text << int(r.error) << r.expected;
    for (const char *bad :
         {"192.168.1", "192.168.1.256", "a.b.c.d", "192.168.1.1-300", "1.2.3.4-5-6", "-5",
          "1.2.3.4/33", "1.2.3.4/", "192.168.1.+1", "1.2.3.4.5", "1..2.3", "192.168.1.1-x"})
        QTest::newRow(bad) << bad << int(Error::BadAddress) << "0";
}

void TestFind::address_range()
{
    QFETCH(QString, text);
    QFETCH(int, error);
    QFETCH(QString, expected);

    const AddressRange r = AddressRange::parse(text);
    QCOMPARE(int(r.error), error);
    QString got = QString::number(r.addresses.size());
    if (!r.addresses.isEmpty())
        got += ' ' + address(r.addresses.first()) + ' ' + address(r.addresses.last());
    QCOMPARE(got, expected);
}

// One device on each link kind, with the damage a reply can carry.
void TestFind::probe_takes_whole_replies_data()
{
    QTest::addColumn<bool>("serial");
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("fault");
    QTest::addColumn<bool>("listed");

    for (bool serial : {false, true}) {
        const QByteArray link = serial ? "serial " : "network ";
        QTest::newRow(link + "answers") << serial << 4 << int(None) << true;
        QTest::newRow(link + "answers with number 7") << serial << 7 << int(None) << true;
        QTest::newRow(link + "split in two pieces") << serial << 2 << int(Split) << true;
        QTest::newRow(link + "too short") << serial << 2 << int(Truncated) << false;
        QTest::newRow(link + "wrong command byte") << serial << 2 << int(BadHeader) << false;
        QTest::newRow(link + "junk in front") << serial << 2 << int(Junk) << false;
        // Its answer arrives while the next number is asked: listed under neither.
        QTest::newRow(link + "late") << serial << 2 << int(LateForItsNumber) << false;
        QTest::newRow(link + "silent") << serial << 2 << int(Mute) << false;
    }
}

void TestFind::probe_takes_whole_replies()
{
    QFETCH(bool, serial);
    QFETCH(int, id);
    QFETCH(int, fault);
    QFETCH(bool, listed);

    sim::SimImage image = sim::SimImage::demo();
    image.out_format = codec::kCustomFormatCode;
    image.custom_res_w = 2048;
    image.custom_res_h = 1152;
    image.out_rate_60hz = 0;
    image.in_card_present[1] = image.in_card_present[3] = 0;
    image.out_card_present[1] = 0;
    sim::SimServer device(image);
    device.device().set_device_id(id);
    QVERIFY(device.listen_tcp(0, QHostAddress(QHostAddress::LocalHost)));
    if (serial && device.open_pty().isEmpty())
        QSKIP("no pseudo-terminal here");
    kFaults[fault](device.faults());

    DeviceProbe probe;
    QSignalSpy finished(&probe, &DeviceProbe::finished);
    if (serial)
        probe.start({device.pty_path()}, {}, 0);
    else
        probe.start({}, {QHostAddress(QHostAddress::LocalHost).toIPv4Address()}, device.tcp_port());
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(probe.probed(), 1);
    QCOMPARE(probe.found().size(), listed ? 1 : 0);
    // Every number was asked, one at a time, the answering one included.
    QCOMPARE(device.frame_log().size(), DeviceProbe::kLastId);
    if (!listed)
        return;
    const FoundDevice d = probe.found().first();
    QCOMPARE(d.device_id, id);
    QCOMPARE(int(d.link),
             int(serial ? DeviceLink::Transport::Serial : DeviceLink::Transport::Network));
    QCOMPARE(d.where, serial ? device.pty_path() : QStringLiteral("127.0.0.1"));
    QCOMPARE(QSize(d.out_w, d.out_h), QSize(2048, 1152));
    QVERIFY(!d.rate_60hz);
    QCOMPARE(QVector<bool>(std::begin(d.in_cards), std::end(d.in_cards)),
             (QVector<bool>{true, false, true, false}));
    QCOMPARE(QVector<bool>(std::begin(d.out_cards), std::end(d.out_cards)),
             (QVector<bool>{true, false}));
}

bool TestFind::start_devices()
{
    struct Device {
        const char *address;
        int id;
        bool mute;
    };
    const Device devices[] = {{"127.0.0.2", 1, false},
                              {"127.0.0.3", 2, false},
                              {"127.0.0.4", 5, false},
                              {"127.0.0.5", 6, true}};
    // The first picks a free port; the others take the same one on their own address.
    for (const Device &d : devices) {
        QStringList args{"--listen",    d.address,
                         "--tcp-port",  QString::number(m_port),
                         "--device-id", QString::number(d.id)};
        if (d.mute)
            args << "--no-reply";
        m_devices.push_back(std::make_unique<QProcess>());
        quint16 port = 0;
        if (!start_sim_process(*m_devices.back(), QStringLiteral(TESSEL_SIM_PATH), args, port))
            return false;
        m_port = port;
    }
    m_devices.push_back(std::make_unique<QProcess>());
    quint16 unused = 0;
    return start_sim_process(*m_devices.back(), QStringLiteral(TESSEL_SIM_PATH),
                             sim_on_both_links({"--device-id", "3"}), unused, &m_pty);
}

FindDevices *TestFind::search_devices()
{
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("TESSEL_APP_DIR", m_dir->path().toUtf8());
    device_data = DeviceData();
    m_view = std::make_unique<TesselView>();
    m_view->add_extra_serial_port(m_pty);
    m_view->set_port_text(QString::number(m_port));
    // The range offered first is the /24 around this: loopback only.
    m_view->set_address_text(QStringLiteral("127.0.0.2"));
    m_view->show();

    QTest::mouseClick(m_view->form().findBtn, Qt::LeftButton);
    FindDevices *dialog = m_view->findChild<FindDevices *>(QStringLiteral("FindDevices"));
    if (!dialog || !dialog->isVisible() || dialog->form().rangeEdit->text() != "127.0.0.1-254")
        return nullptr;
    QSignalSpy finished(&dialog->probe(), &DeviceProbe::finished);
    dialog->form().rangeEdit->setText(QStringLiteral("127.0.0.2-6"));
    QTest::mouseClick(dialog->form().searchBtn, Qt::LeftButton);
    // The first search ends when the second starts; the second ends by itself.
    if (!finished.wait(20000) || (dialog->probe().running() && !finished.wait(20000)))
        return nullptr;
    return dialog->probe().running() ? nullptr : dialog;
}

void TestFind::dialog_lists_answering_devices()
{
    QVERIFY(start_devices());
    FindDevices *dialog = search_devices();
    QVERIFY(dialog);
    QTreeWidget *list = dialog->form().deviceList;

    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = list->topLevelItem(i);
        rows << QStringList{item->text(FindDevices::kColLink), item->text(FindDevices::kColWhere),
                            item->text(FindDevices::kColId),
                            item->text(FindDevices::kColResolution)}
                    .join(QLatin1Char(' '));
    }
    QCOMPARE(rows,
             (QStringList{"串口 " + m_pty + " 3 1920x1080@60Hz", "网口 127.0.0.2 1 1920x1080@60Hz",
                          "网口 127.0.0.3 2 1920x1080@60Hz", "网口 127.0.0.4 5 1920x1080@60Hz"}));
    QCOMPARE(list->topLevelItem(0)->text(FindDevices::kColCards), "InA InB InC InD OutA OutB");
    // Five addresses and every serial port, the system's ones included.
    const int ports = m_view->serial_port_names().size();
    QCOMPARE(dialog->probe().total(), ports + 5);
    QCOMPARE(dialog->form().stateLabel->text(),
             QStringLiteral("搜索完成：找到 4 台设备；已探测 %1 个（串口 %2 个，网络地址 5 个）")
                 .arg(ports + 5)
                 .arg(ports));

    m_view->form().eradioBtn->click();
    QCOMPARE(list->topLevelItem(1)->text(FindDevices::kColLink), "Network");
    QCOMPARE(dialog->form().searchBtn->text(), "Search");
    QVERIFY(dialog->form().stateLabel->text().startsWith("Search done: 4 found; "));

    // TESSEL_SCREENSHOT=FILE (under Xvfb) keeps the dialog as the README shows it.
    const QString shot = qEnvironmentVariable("TESSEL_SCREENSHOT");
    if (!shot.isEmpty()) {
        QCoreApplication::processEvents(); // the layout of the new texts
        QVERIFY(dialog->grab().save(shot));
    }
}

void TestFind::double_click_connects_data()
{
    QTest::addColumn<bool>("serial");
    QTest::addColumn<int>("id");
    QTest::newRow("network") << false << 5;
    QTest::newRow("serial") << true << 3;
}

void TestFind::double_click_connects()
{
    QFETCH(bool, serial);
    QFETCH(int, id);
    QVERIFY(start_devices());
    FindDevices *dialog = search_devices();
    QVERIFY(dialog);
    auto &ui = m_view->form();
    // The page shows another choice first, so every field must be filled in.
    if (serial)
        ui.webradioBtn->click();
    else
        ui.serialradioBtn->click();
    ui.radio_1->setChecked(true);

    const QString where = serial ? m_pty : QStringLiteral("127.0.0.4");
    QTreeWidget *list = dialog->form().deviceList;
    QTreeWidgetItem *item = row_of(list, where, id);
    QVERIFY(item);
    const QPoint centre = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);

    QVERIFY(!dialog->isVisible());
    QCOMPARE(ui.serialradioBtn->isChecked(), serial);
    QCOMPARE(ui.webradioBtn->isChecked(), !serial);
    if (serial)
        QCOMPARE(ui.serialBox->currentText(), m_pty);
    else
        QCOMPARE(m_view->ip_editor()->text(), where);
    QVERIFY(m_view->findChild<QRadioButton *>(QStringLiteral("radio_%1").arg(id))->isChecked());
    QCOMPARE(int(m_view->active_transport()),
             int(serial ? DeviceLink::Transport::Serial : DeviceLink::Transport::Network));
    QCOMPARE(device_data.device_id, id);
    QCOMPARE(m_view->status_length(), proto::kStatusReplyLength);
    QCOMPARE(ui.connectBtn->text(), QStringLiteral("断开连接"));

    // A new search leaves the serial port of the open link alone.
    QTest::mouseClick(ui.findBtn, Qt::LeftButton);
    QCOMPARE(dialog->probe().total(), m_view->serial_port_names().size() - (serial ? 1 : 0) + 5);
    dialog->reject();
    QVERIFY(!dialog->probe().running());
}

void TestFind::bad_range_searches_nothing()
{
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("TESSEL_APP_DIR", m_dir->path().toUtf8());
    device_data = DeviceData();
    m_view = std::make_unique<TesselView>();
    m_view->set_address_text(QStringLiteral("127.0.0.1"));
    m_view->show();
    QTest::mouseClick(m_view->form().findBtn, Qt::LeftButton);
    FindDevices *dialog = m_view->findChild<FindDevices *>(QStringLiteral("FindDevices"));
    QVERIFY(dialog && dialog->probe().running());

    const QString bad = QStringLiteral("127.0.0.9-2");
    dialog->form().rangeEdit->setText(bad);
    QTest::keyClick(dialog->form().rangeEdit, Qt::Key_Return); // the default button
    QCOMPARE(dialog->form().stateLabel->text(), "范围的结束地址小于起始地址：" + bad);
    QVERIFY(!dialog->probe().running());
    // A typed range is kept when the dialog opens again; closing ends the search.
    dialog->reject();
    QTest::mouseClick(m_view->form().findBtn, Qt::LeftButton);
    QCOMPARE(dialog->form().rangeEdit->text(), bad);
    dialog->form().rangeEdit->setText(QStringLiteral("127.0.0.1"));
    QTest::mouseClick(dialog->form().searchBtn, Qt::LeftButton);
    QVERIFY(dialog->probe().running());
    dialog->reject();
    QVERIFY(!dialog->probe().running());
}

QTEST_MAIN(TestFind)
#include "tst_find.moc"
