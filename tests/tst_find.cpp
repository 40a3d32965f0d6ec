// Finding devices: the ranges an operator types, the probe against devices
// that answer, garble or keep silent, and the search dialog against simulator
// processes on several loopback addresses and a serial line.

#include <QtTest>

#include <memory>
#include <vector>

#include "app/tesselview.h"
#include "device/codec.h"
#include "device/finddevices.h"
#include "sim_server.h"
#include "support/sim_process.h"
#include "widgets/qiplineedit.h"

namespace {

using Error = AddressRange::Error;
using Transport = DeviceLink::Transport;

// The damage a reply can carry, and whether the device is still listed.
const struct {
    const char *name;
    int id;
    bool listed;
    void (*fault)(sim::SimFaults &);
} kProbeCases[] = {
    {"answers", 4, true, [](sim::SimFaults &) {}},
    {"answers with number 7", 7, true, [](sim::SimFaults &) {}},
    {"split in two pieces", 2, true, [](sim::SimFaults &f) { f.split_ms = 40; }},
    {"too short", 2, false, [](sim::SimFaults &f) { f.truncate_to = 20; }},
    {"wrong command byte", 2, false, [](sim::SimFaults &f) { f.bad_command_byte = true; }},
    {"junk in front", 2, false, [](sim::SimFaults &f) { f.junk = QByteArray::fromHex("3a00"); }},
    // Its answer arrives while the next number is asked: listed under neither.
    {"late", 2, false, [](sim::SimFaults &f) { f.delay_ms = DeviceProbe::kAskMs + 150; }},
    {"silent", 2, false, [](sim::SimFaults &f) { f.mute_all = true; }},
};

struct Devices : std::vector<std::unique_ptr<QProcess>> {
    ~Devices()
    {
        for (auto &device : *this) {
            device->terminate();
            device->waitForFinished(5000);
        }
    }
    quint16 port = 0;
    QString pty;

    // tessel-sim processes on 127.0.0.2, .3, .4 (numbers 1, 2, 5) and a silent
    // one on .5, all on one port; one more on a serial line (number 3).
    bool start()
    {
        // The first picks a free port; the others take the same one on their own address.
        for (const auto &[address, id] :
             {std::pair{"127.0.0.2", 1}, {"127.0.0.3", 2}, {"127.0.0.4", 5}, {"127.0.0.5", 6}}) {
            const QString args = QStringLiteral("--listen %1 --tcp-port %2 --device-id %3%4")
                                     .arg(address, QString::number(port), QString::number(id),
                                          id == 6 ? " --no-reply" : "");
            push_back(std::make_unique<QProcess>());
            if (!start_sim_process(*back(), QStringLiteral(TESSEL_SIM_PATH), args.split(' '), port))
                return false;
        }
        push_back(std::make_unique<QProcess>());
        quint16 unused = 0;
        return start_sim_process(*back(), QStringLiteral(TESSEL_SIM_PATH),
                                 sim_on_both_links({"--device-id", "3"}), unused, &pty);
    }
};

} // namespace

class TestFind : public QObject
{
    Q_OBJECT

private slots:
    void address_range();
    void probe_takes_whole_replies();
    void search_dialog();
};

void TestFind::address_range()
{
    const struct {
        const char *text, *expected; // count, first and last address
    } rows[] = {
        {"192.168.1.7", "1 192.168.1.7 192.168.1.7"},
        {"192.168.1.1-254", "254 192.168.1.1 192.168.1.254"},
        {" 192.168.1.10 - 20 ", "11 192.168.1.10 192.168.1.20"},
        {"10.0.0.250-10.0.1.5", "12 10.0.0.250 10.0.1.5"},
        // Network and broadcast addresses are left out.
        {"192.168.1.0/24", "254 192.168.1.1 192.168.1.254"},
        {"192.168.1.77/30", "2 192.168.1.77 192.168.1.78"},
        {"192.168.1.9/32", "1 192.168.1.9 192.168.1.9"},
        {"192.168.3.*", "254 192.168.3.1 192.168.3.254"},
        {"010.0.0.010", "1 10.0.0.10 10.0.0.10"},
        {"127.0.0.2-4, 127.0.0.3,127.0.0.9", "4 127.0.0.2 127.0.0.9"},
        {"10.0.0.0-10.0.0.255", "256 10.0.0.0 10.0.0.255"},
    };
    const auto check = [](const QString &text, Error error, const QString &expected) {
        const AddressRange r = AddressRange::parse(text);
        QString got = QString::number(r.addresses.size());
        if (!r.addresses.isEmpty())
            got += ' ' + QHostAddress(r.addresses.first()).toString() + ' ' +
                   QHostAddress(r.addresses.last()).toString();
        return r.error == error && got == expected;
    };
    for (const auto &r : rows)
        QVERIFY2(check(r.text, Error::None, r.expected), r.text);
    const std::pair<Error, QStringList> refused[] = {
        {Error::Empty, {"", " , ,"}},
        {Error::Reversed, {"192.168.1.20-10", "10.0.1.0-10.0.0.9"}},
        {Error::TooLarge,
         {"10.0.0.0/16", "0.0.0.0-255.255.255.255", "192.168.1.1-254, 192.168.2.1-254"}},
        {Error::BadAddress,
         {"192.168.1", "192.168.1.256", "a.b.c.d", "192.168.1.1-300", "1.2.3.4-5-6", "-5",
          "1.2.3.4/33", "1.2.3.4/", "192.168.1.+1", "1.2.3.4.5", "1..2.3", "192.168.1.1-x"}},
    };
    for (const auto &[error, texts] : refused)
        for (const QString &text : texts)
            QVERIFY2(check(text, error, "0"), qPrintable(text));
}

void TestFind::probe_takes_whole_replies()
{
    sim::SimImage image = sim::SimImage::demo();
    image.out_format = codec::kCustomFormatCode;
    image.custom_res_w = 2048;
    image.custom_res_h = 1152;
    image.out_rate_60hz = 0;
    image.in_card_present[1] = image.in_card_present[3] = 0;
    image.out_card_present[1] = 0;
    for (bool serial : {false, true})
        for (const auto &c : kProbeCases) {
            const QByteArray name = (serial ? "serial, " : "network, ") + QByteArray(c.name);
            sim::SimServer device(image);
            device.device().set_device_id(c.id);
            QVERIFY(device.listen_tcp(0, QHostAddress(QHostAddress::LocalHost)));
            if (serial && device.open_pty().isEmpty())
                QSKIP("no pseudo-terminal here");
            c.fault(device.faults());

            DeviceProbe probe;
            QSignalSpy finished(&probe, &DeviceProbe::finished);
            if (serial)
                probe.start({device.pty_path()}, {}, 0);
            else
                probe.start({}, {QHostAddress(QHostAddress::LocalHost).toIPv4Address()},
                            device.tcp_port());
            QVERIFY2(finished.wait(20000) && finished.count() == 1 && probe.probed() == 1, name);
            QVERIFY2(probe.found().size() == (c.listed ? 1 : 0), name);
            // Every number was asked, one at a time, the answering one included.
            QVERIFY2(device.frame_log().size() == DeviceProbe::kLastId, name);
            if (!c.listed)
                continue;
            const FoundDevice d = probe.found().first();
            QVERIFY2(d.device_id == c.id &&
                         d.link == (serial ? Transport::Serial : Transport::Network),
                     name);
            QCOMPARE(d.where, serial ? device.pty_path() : QStringLiteral("127.0.0.1"));
            QVERIFY2(d.out_w == 2048 && d.out_h == 1152 && !d.rate_60hz, name);
            QCOMPARE(QVector<bool>(std::begin(d.in_cards), std::end(d.in_cards)) +
                         QVector<bool>(std::begin(d.out_cards), std::end(d.out_cards)),
                     (QVector<bool>{true, false, true, false, true, false}));
        }
}

void TestFind::search_dialog()
{
    Devices devices;
    QVERIFY(devices.start());
    QTemporaryDir dir;
    qputenv("TESSEL_APP_DIR", dir.path().toUtf8());
    device_data = DeviceData();
    TesselView view;
    view.add_extra_serial_port(devices.pty);
    view.set_port_text(QString::number(devices.port));
    // The range offered first is the /24 around this: loopback only.
    view.set_address_text(QStringLiteral("127.0.0.2"));
    view.show();
    auto &ui = view.form();
    QTest::mouseClick(ui.findBtn, Qt::LeftButton);
    auto *dialog = view.findChild<FindDevices *>(QStringLiteral("FindDevices"));
    QVERIFY(dialog && dialog->isVisible() && dialog->probe().running());
    auto &form = dialog->form();
    QCOMPARE(form.rangeEdit->text(), QStringLiteral("127.0.0.1-254"));
    const auto search_ended = [&] {
        QSignalSpy finished(&dialog->probe(), &DeviceProbe::finished);
        return (!dialog->probe().running() || finished.wait(20000)) && !dialog->probe().running();
    };

    // A bad range searches nothing; a typed range is kept when the dialog opens again.
    const QString bad = QStringLiteral("127.0.0.9-2");
    form.rangeEdit->setText(bad);
    QTest::keyClick(form.rangeEdit, Qt::Key_Return); // the default button
    QCOMPARE(form.stateLabel->text(), "范围的结束地址小于起始地址：" + bad);
    QVERIFY(!dialog->probe().running());
    dialog->reject();
    QTest::mouseClick(ui.findBtn, Qt::LeftButton);
    QCOMPARE(form.rangeEdit->text(), bad);
    form.rangeEdit->setText(QStringLiteral("127.0.0.2-6"));
    QTest::mouseClick(form.searchBtn, Qt::LeftButton);
    QVERIFY(search_ended());

    QTreeWidget *list = form.deviceList;
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        for (int column : {FindDevices::kColLink, FindDevices::kColWhere, FindDevices::kColId,
                           FindDevices::kColResolution})
            rows << list->topLevelItem(i)->text(column);
    QCOMPARE(rows.join(' '), "串口 " + devices.pty +
                                 " 3 1920x1080@60Hz 网口 127.0.0.2 1 1920x1080@60Hz 网口 "
                                 "127.0.0.3 2 1920x1080@60Hz 网口 127.0.0.4 5 1920x1080@60Hz");
    QCOMPARE(list->topLevelItem(0)->text(FindDevices::kColCards), "InA InB InC InD OutA OutB");
    // Five addresses and every serial port, the system's ones included.
    const int ports = view.serial_port_names().size();
    QCOMPARE(dialog->probe().total(), ports + 5);
    QCOMPARE(form.stateLabel->text(),
             QStringLiteral("搜索完成：找到 4 台设备；已探测 %1 个（串口 %2 个，网络地址 5 个）")
                 .arg(ports + 5)
                 .arg(ports));

    const auto texts = [&] { return form.searchBtn->text() + ' ' + form.hintLabel->text(); };
    QCOMPARE(texts(), QStringLiteral("搜索 双击设备即可连接。"));
    ui.eradioBtn->click();
    QCOMPARE(list->topLevelItem(1)->text(FindDevices::kColLink), "Network");
    QCOMPARE(texts(), "Search Double-click a device to connect to it.");
    QVERIFY(form.stateLabel->text().startsWith("Search done: 4 found; "));
    // TESSEL_SCREENSHOT=FILE (under Xvfb) keeps the dialog as the README shows it.
    const QString shot = qEnvironmentVariable("TESSEL_SCREENSHOT");
    if (!shot.isEmpty()) {
        QCoreApplication::processEvents(); // the layout of the new texts
        QVERIFY(dialog->grab().save(shot));
    }

    // A double-click connects whatever the page showed before: the serial
    // device (first row), then, from a search that left its port alone, the
    // network one on .4 (third row).
    ui.webradioBtn->click();
    ui.radio_1->setChecked(true);
    for (bool serial : {true, false}) {
        const int id = serial ? 3 : 5;
        QTreeWidgetItem *row = list->topLevelItem(serial ? 0 : 2);
        QVERIFY(row);
        const QPoint centre = list->visualItemRect(row).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
        QVERIFY(!dialog->isVisible());
        QVERIFY(ui.serialradioBtn->isChecked() == serial && ui.webradioBtn->isChecked() != serial);
        QCOMPARE(serial ? ui.serialBox->currentText() : view.ip_editor()->text(),
                 serial ? devices.pty : QStringLiteral("127.0.0.4"));
        QVERIFY(view.findChild<QRadioButton *>(QStringLiteral("radio_%1").arg(id))->isChecked());
        QVERIFY(view.active_transport() == (serial ? Transport::Serial : Transport::Network));
        QVERIFY(device_data.device_id == id && view.status_length() == proto::kStatusReplyLength);
        QCOMPARE(ui.connectBtn->text(), QStringLiteral("Disconnect"));
        QTest::mouseClick(ui.findBtn, Qt::LeftButton);
        QCOMPARE(dialog->probe().total(), ports - (serial ? 1 : 0) + 5);
        QVERIFY(!serial || search_ended());
    }
    // Closing ends the search.
    dialog->reject();
    QVERIFY(!dialog->probe().running());
}

QTEST_MAIN(TestFind)
#include "tst_find.moc"
