// tessel-cli as scripts run it: separate processes against tessel-sim
// processes on both links, several devices in one call, the export beside the
// window's, an import read back, and arguments that must send nothing.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include <memory>

#include "maintenance/maintenance_codec.h"
#include "support/file_dialog_answerer.h"
#include "support/sim_process.h"
#include "support/sim_session.h"

namespace {

// Generous: only a hung process ever meets it.
constexpr int kProcessLimitMs = 120000;

struct CliRun {
    int exit = -1;
    QString out;
    QString err;
};

// Waits in an event loop, so that a device simulated in this process answers meanwhile.
CliRun run_cli(const QStringList &arguments)
{
    QProcess cli;
    cli.setProgram(QStringLiteral(TESSEL_CLI_PATH));
    cli.setArguments(arguments);
    QEventLoop loop;
    QObject::connect(&cli, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &loop,
                     &QEventLoop::quit);
    QTimer::singleShot(kProcessLimitMs, &loop, &QEventLoop::quit);
    cli.start();
    cli.closeWriteChannel(); // stdin is no terminal: nobody can answer a question
    if (cli.state() != QProcess::NotRunning)
        loop.exec();
    if (cli.state() != QProcess::NotRunning) {
        cli.kill();
        cli.waitForFinished();
        return {};
    }
    CliRun run;
    run.exit = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    run.out = QString::fromUtf8(cli.readAllStandardOutput());
    run.err = QString::fromUtf8(cli.readAllStandardError());
    return run;
}

// A tessel-sim process with its frame log.
struct SimProcess {
    QProcess process;
    QString log;
    quint16 port = 0;
    QString pty;

    bool start(const QString &dir, const QString &name, const QStringList &extra = {})
    {
        log = dir + QLatin1Char('/') + name + QStringLiteral(".log");
        const bool serial = extra.contains(QStringLiteral("--serial"));
        return start_sim_process(process, QStringLiteral(TESSEL_SIM_PATH),
                                 QStringList{"--tcp-port", "0", "--log", log} + extra, port,
                                 serial ? &pty : nullptr);
    }
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(port); }
    QString label() const { return host() + QStringLiteral(" #1"); }
    // Frames the device received, as hex.
    QStringList frames() const
    {
        QFile file(log);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    // Write commands (anything but read requests) the device received.
    QStringList writes() const
    {
        QStringList out;
        for (const QString &f : frames())
            if (f.mid(10, 2) != QLatin1String("fe"))
                out.append(f);
        return out;
    }
    ~SimProcess()
    {
        process.terminate();
        if (!process.waitForFinished(5000))
            process.kill();
        process.waitForFinished();
    }
};

QJsonObject json_of(const CliRun &run)
{
    return QJsonDocument::fromJson(run.out.toUtf8()).object();
}

QJsonObject first_device(const CliRun &run)
{
    return json_of(run)["devices"].toArray().first().toObject();
}

bool write_lines(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void links_data();
    void links();
    void several_devices();
    void export_matches_window();
    void import_then_read();
    void device_refuses_data();
    void device_refuses();
    void bad_arguments_data();
    void bad_arguments();
    void help();

private:
    QTemporaryDir m_dir;
};

void TestCli::links_data()
{
    QTest::addColumn<bool>("serial");
    QTest::newRow("serial") << true;
    QTest::newRow("network") << false;
}

void TestCli::links()
{
    QFETCH(bool, serial);
    SimProcess sim;
    QVERIFY(sim.start(m_dir.path(), QTest::currentDataTag(),
                      serial ? QStringList{"--serial"} : QStringList{}));
    const QStringList link =
        serial ? QStringList{"--serial", sim.pty} : QStringList{"--host", sim.host()};
    const sim::SimImage demo = sim::SimImage::demo();

    CliRun run = run_cli(link + QStringList{"status", "--json"});
    QCOMPARE(run.exit, 0);
    const QJsonObject before = first_device(run);
    QVERIFY(before["ok"].toBool());
    QCOMPARE(before["status"]["display_mode"].toInt(), demo.cur_mul_mode);
    QCOMPARE(before["status"]["output_mode"].toInt(), demo.cur_out_mode);

    // The window buttons' frames: select display mode, output mode, input source.
    for (const QStringList &command : {QStringList{"mode", "M5"}, QStringList{"output-mode", "1"},
                                       QStringList{"source", "InC", "7"}}) {
        run = run_cli(link + command);
        QVERIFY2(run.exit == 0, qPrintable(run.err));
    }
    QCOMPARE(sim.writes(),
             (QStringList{"3a01040100110a00053a", "3a01040100110a80013a", "3a01040100810a02073a"}));
    QVERIFY(run.out.contains(QStringLiteral(" #1: InC DP-1, signal")));

    run = run_cli(link + QStringList{"status", "--json"});
    const QJsonObject device = first_device(run);
    QCOMPARE(device["status"]["display_mode"].toInt(), 5);
    QCOMPARE(device["status"]["output_mode"].toInt(), 1);
    QCOMPARE(device["status"]["input_cards"][2]["connector"].toString(), QStringLiteral("DP-1"));

    run = run_cli(link + QStringList{"init", "--yes"});
    QCOMPARE(run.exit, 0);
    QCOMPARE(sim.writes().last(), QStringLiteral("3a01040100b0083a"));
    QVERIFY(run.out.endsWith(" #1: initialized; restart the device\n"));
}

void TestCli::device_refuses_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    const QString file = m_dir.filePath("refused.txt");
    sim::SimImage demo = sim::SimImage::demo();
    codec::ConfigValues values{};
    values[codec::kLineFormat] = demo.out_format;
    QVERIFY(write_lines(file, codec::write_config_file(values)));

    QTest::newRow("mode rejected")
        << QStringList{"--bad-ack", "--fault-scope", "17"} << QStringList{"mode", "3"}
        << "the device rejected display mode M3";
    QTest::newRow("output mode unacknowledged")
        << QStringList{"--mute-commands", "17"} << QStringList{"output-mode", "2"}
        << "no acknowledgement of output mode M2";
    QTest::newRow("import step rejected")
        << QStringList{"--bad-ack", "--fault-scope", "193"} << QStringList{"import", file, "--yes"}
        << "the device rejected import step 2 of 19";
    QTest::newRow("source of a card not fitted")
        << QStringList{"--image", m_dir.filePath("no-inc.json")}
        << QStringList{"source", "InC", "5"} << "InC is not fitted";
    demo.in_card_present[2] = 0;
    QVERIFY(demo.save(m_dir.filePath("no-inc.json")));
}

void TestCli::device_refuses()
{
    QFETCH(QStringList, faults);
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    SimProcess sim;
    QVERIFY(sim.start(m_dir.path(),
                      QStringLiteral("refuses-%1").arg(QTest::currentDataTag()).replace(' ', '-'),
                      faults));
    const CliRun run = run_cli(QStringList{"--host", sim.host()} + arguments);
    QCOMPARE(run.exit, 1);
    QCOMPARE(run.err.trimmed(), sim.label() + ": " + message);
}

void TestCli::several_devices()
{
    SimProcess a, b, silent, bus;
    QVERIFY(a.start(m_dir.path(), "a"));
    QVERIFY(b.start(m_dir.path(), "b"));
    QVERIFY(silent.start(m_dir.path(), "silent", {"--mute"}));
    QVERIFY(bus.start(m_dir.path(), "bus", {"--serial"}));

    // Hosts repeated and comma-separated, one file per device in a folder.
    const QString folder = m_dir.filePath("backup") + QLatin1Char('/');
    CliRun run =
        run_cli({"--host", a.host() + "," + b.host(), "--host", silent.host(), "export", folder});
    QCOMPARE(run.exit, 1);
    for (const SimProcess *sim : {&a, &b}) {
        const QString file = folder + QStringLiteral("127.0.0.1_%1-1.txt").arg(sim->port);
        QVERIFY2(run.out.contains(sim->label() + ": exported to " + file), qPrintable(run.out));
        QFile exported(file);
        QVERIFY(exported.open(QIODevice::ReadOnly));
        QCOMPARE(exported.readAll().count('\n'), codec::kConfigLineCount);
    }
    QCOMPARE(run.err.trimmed(), silent.label() + ": the device did not answer");
    QVERIFY(run.out.endsWith("export: 3 devices, 2 done, 1 failed\n"));
    QVERIFY(!QFile::exists(folder + QStringLiteral("127.0.0.1_%1-1.txt").arg(silent.port)));

    // Devices on one bus are asked one after another; only device 1 is there.
    run = run_cli({"--serial", bus.pty, "--device", "1,2", "status", "--json"});
    QCOMPARE(run.exit, 1);
    const QJsonArray devices = json_of(run)["devices"].toArray();
    QCOMPARE(devices.size(), 2);
    QVERIFY(devices[0]["ok"].toBool());
    QCOMPARE(devices[1]["error"].toString(), QStringLiteral("the device did not answer"));
    QCOMPARE(run.err.trimmed(), bus.pty + " #2: the device did not answer");
    // The second device's request carried its number.
    QVERIFY(bus.frames().contains("3a02040100fe0a00003a"));

    // The caller's limit ends the wait for a silent device.
    run = run_cli({"--host", silent.host(), "--timeout", "200", "status"});
    QCOMPARE(run.exit, 1);
    QVERIFY2(run.err.startsWith(silent.label() + ": timed out after 200 ms"), qPrintable(run.err));
}

void TestCli::export_matches_window()
{
    // The window, after the input page, a window attribute dialog's reads and
    // the output page, exports what it holds.
    SimSession s;
    QVERIFY(s.start(false));
    QVERIFY(s.connect_link());
    auto &ui = s.view->form();
    ui.inputBtn->click();
    s.view->read_window_attributes();
    ui.outBtn->click();
    const QString window_file = s.path("window.txt");
    {
        FileDialogAnswerer files(window_file);
        QTest::mouseClick(ui.exportBtn, Qt::LeftButton);
    }
    QTRY_VERIFY(!s.view->busy_dialog());

    const QString cli_file = s.path("cli.txt");
    const CliRun run = run_cli(
        {"--host", QStringLiteral("127.0.0.1:%1").arg(s.sim->tcp_port()), "export", cli_file});
    QVERIFY2(run.exit == 0, qPrintable(run.err));
    QFile a(window_file), b(cli_file);
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    const QByteArray window_bytes = a.readAll();
    QCOMPARE(window_bytes.count('\n'), codec::kConfigLineCount);
    QCOMPARE(b.readAll(), window_bytes);
    s.stop();
}

void TestCli::import_then_read()
{
    SimProcess sim;
    QVERIFY(sim.start(m_dir.path(), "import"));
    const QStringList link{"--host", sim.host()};
    const QString backup = m_dir.filePath("import-backup.txt");
    QCOMPARE(run_cli(link + QStringList{"export", backup}).exit, 0);
    QFile file(backup);
    QVERIFY(file.open(QIODevice::ReadOnly));
    codec::ConfigValues values = codec::read_config_file(file.readAll());
    file.close();

    // InA brightness; M3 WIN2 output rectangle (x, width, y, height).
    values[0] = 77;
    const int win2_out = 426 + 96 * 3 + 24 * 1 + 4;
    for (int i : {0, 1, 2, 3})
        values[size_t(win2_out + i)] = QList<int>{100, 1000, 50, 500}[i];
    const QString changed = m_dir.filePath("import-changed.txt");
    QVERIFY(write_lines(changed, codec::write_config_file(values)));
    CliRun run = run_cli(link + QStringList{"import", changed, "--yes"});
    QVERIFY2(run.exit == 0, qPrintable(run.err));
    QCOMPARE(run.out.trimmed(), sim.label() + ": imported " + changed + " (19 steps), read back");

    run = run_cli(link + QStringList{"read", "--json"});
    QCOMPARE(run.exit, 0);
    const QJsonObject records = first_device(run)["records"].toObject();
    QCOMPARE(records["input_adjust"][0]["brightness"].toInt(), 77);
    QCOMPARE(records["modes"][3]["windows"][1]["output"].toObject(),
             (QJsonObject{{"x", 100}, {"width", 1000}, {"y", 50}, {"height", 500}}));

    // Another resolution in the file: refused with the hint, nothing written.
    const int writes = sim.writes().size();
    values[codec::kLineFormat] = 20; // 1920x1080@50Hz, the device is at 60 Hz
    QVERIFY(write_lines(changed, codec::write_config_file(values)));
    run = run_cli(link + QStringList{"import", changed, "--yes"});
    QCOMPARE(run.exit, 1);
    QCOMPARE(run.err.trimmed(),
             sim.label() + ": import refused: First change the resolution to 1920x1080");
    QCOMPARE(sim.writes().size(), writes);
}

void TestCli::bad_arguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exit");
    QTest::addColumn<QString>("message");

    const QString good = m_dir.filePath("good.txt");
    QByteArray lines;
    for (int i = 0; i < codec::kConfigLineCount; ++i)
        lines += i == 16 ? "12,5\n" : "0\n";
    const QString damaged = m_dir.filePath("damaged.txt");
    QVERIFY(write_lines(damaged, lines));
    const QString short_file = m_dir.filePath("short.txt");
    QVERIFY(write_lines(short_file, QByteArray("1\n").repeated(1500)));
    QVERIFY(write_lines(good, QByteArray("0\n").repeated(codec::kConfigLineCount)));

    QTest::newRow("mode 99") << QStringList{"mode", "99"} << 2
                             << "tessel-cli: mode 99: modes are 0 to 15 (M0 to M15)";
    QTest::newRow("device 9") << QStringList{"--device", "9", "status"} << 2
                              << "tessel-cli: --device 9: device numbers are 1 to 7";
    QTest::newRow("connector of another card")
        << QStringList{"source", "InC", "3"} << 2
        << "tessel-cli: source InC 3: InC takes 5 (HDMI), 6 (HDMI), 7 (DP)";
    QTest::newRow("init unconfirmed") << QStringList{"init"} << 2
                                      << "tessel-cli: init returns the device to its initial "
                                         "settings: confirm with --yes";
    QTest::newRow("missing file") << QStringList{"import", m_dir.filePath("missing.txt"), "--yes"}
                                  << 3
                                  << "tessel-cli: cannot read " + m_dir.filePath("missing.txt");
    QTest::newRow("damaged file")
        << QStringList{"import", damaged, "--yes"} << 3
        << "tessel-cli: " + damaged +
               " is not a configuration file: line 17 is \"12,5\", not a number; nothing was sent";
    QTest::newRow("short file") << QStringList{"import", short_file, "--yes"} << 3
                                << "tessel-cli: " + short_file +
                                       " is not a configuration file: 1500 lines, 2000 "
                                       "expected; nothing was sent";
    QTest::newRow("import nobody confirms") << QStringList{"import", good} << 2
                                            << "tessel-cli: import needs --yes when no one can "
                                               "answer \"Import? [y/N]\"; nothing was sent";
    QTest::newRow("json for a write") << QStringList{"mode", "3", "--json"} << 2
                                      << "tessel-cli: --json goes with status and read, not mode";
}

void TestCli::bad_arguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exit);
    QFETCH(QString, message);
    SimProcess sim;
    QVERIFY(sim.start(m_dir.path(),
                      QStringLiteral("bad-%1").arg(QTest::currentDataTag()).replace(' ', '-')));
    const CliRun run = run_cli(QStringList{"--host", sim.host()} + arguments);
    QCOMPARE(run.exit, exit);
    QVERIFY2(run.err.startsWith(message), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
    QCOMPARE(sim.frames(), QStringList());
}

void TestCli::help()
{
    const CliRun run = run_cli({"--help"});
    QCOMPARE(run.exit, 0);
    for (const char *command :
         {"status", "read", "export", "import", "mode", "output-mode", "source", "init"}) {
        const QRegularExpression example(
            QStringLiteral("\\n +tessel-cli --\\S+ \\S+( --device \\d)? %1\\b")
                .arg(QLatin1String(command)));
        QVERIFY2(example.match(run.out).hasMatch(), command);
    }
}

QTEST_MAIN(TestCli)
#include "tst_cli.moc"
