// tessel-cli as scripts run it, against tessel-sim on both links: several devices in one
// call, the export beside the window's, a diff that only reads, arguments that send nothing.

#include <QtTest>

#include "support/file_dialog_answerer.h"
#include "support/sim_process.h"
#include "support/sim_session.h"

namespace {

struct CliRun {
    int exit = -1;
    QString out, err;
    QJsonObject json() const { return QJsonDocument::fromJson(out.toUtf8()).object(); }
    QJsonObject device() const { return json()["devices"].toArray().first().toObject(); }
};

// Waits processing events, so that a device simulated in this process answers
// meanwhile; the generous limit only meets a hung process.
CliRun run_cli(const QStringList &arguments)
{
    QProcess cli;
    cli.start(QStringLiteral(TESSEL_CLI_PATH), arguments);
    cli.closeWriteChannel(); // stdin is no terminal: nobody can answer a question
    if (!QTest::qWaitFor([&] { return cli.state() == QProcess::NotRunning; }, 120000))
        return {};
    return {cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1,
            QString::fromUtf8(cli.readAllStandardOutput()),
            QString::fromUtf8(cli.readAllStandardError())};
}

QByteArray read_file(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool write_file(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A tessel-sim process with its frame log.
struct SimProcess {
    QProcess process;
    QString log, pty;
    quint16 port = 0;

    // Logs are numbered: each test function runs in a process of its own.
    bool start(const QString &dir, const QStringList &extra = {})
    {
        static int started = 0;
        log = QStringLiteral("%1/sim%2.log").arg(dir).arg(++started);
        return start_sim_process(process, QStringLiteral(TESSEL_SIM_PATH),
                                 QStringList{"--tcp-port", "0", "--log", log} + extra, port,
                                 extra.contains(QStringLiteral("--serial")) ? &pty : nullptr);
    }
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(port); }
    QString label() const { return host() + QStringLiteral(" #1"); }
    CliRun run(const QStringList &arguments) const
    {
        return run_cli(QStringList{"--host", host()} + arguments);
    }
    // Frames the device received, as hex; `writes_only` leaves out read requests.
    QStringList frames(bool writes_only = false) const
    {
        QStringList out;
        for (const QString &f : QString::fromLatin1(read_file(log)).split('\n', Qt::SkipEmptyParts))
            if (!writes_only || f.mid(10, 2) != QLatin1String("fe"))
                out << f;
        return out;
    }
    // A process still running after that is killed by QProcess itself.
    ~SimProcess()
    {
        process.terminate();
        process.waitForFinished(5000);
    }
};

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void devices_and_links();
    void export_diff_import();
    void device_refuses();
    void bad_arguments();
    void help();

private:
    QTemporaryDir m_dir;
};

// The device's own refusals, each told with the device's label.
void TestCli::device_refuses()
{
    sim::SimImage demo = sim::SimImage::demo();
    codec::ConfigValues values{};
    values[codec::kLineFormat] = demo.out_format;
    QVERIFY(write_file(m_dir.filePath("refused.txt"), codec::write_config_file(values)));
    demo.in_card_present[2] = 0;
    QVERIFY(demo.save(m_dir.filePath("no-inc.json")));
    const struct {
        QStringList faults, arguments;
        QString message;
    } rows[] = {
        {{"--bad-ack", "--fault-scope", "17"},
         {"mode", "3"},
         "the device rejected display mode M3"},
        {{"--mute-commands", "17"}, {"output-mode", "2"}, "no acknowledgement of output mode M2"},
        {{"--bad-ack", "--fault-scope", "193"},
         {"import", m_dir.filePath("refused.txt"), "--yes"},
         "the device rejected import step 2 of 19"},
        {{"--image", m_dir.filePath("no-inc.json")}, {"source", "InC", "5"}, "InC is not fitted"},
        // The caller's limit ends the wait for a silent device.
        {{"--mute"},
         {"--timeout", "200", "status"},
         "timed out after 200 ms: the device did not answer"},
    };
    for (const auto &r : rows) {
        SimProcess sim;
        QVERIFY(sim.start(m_dir.path(), r.faults));
        const CliRun run = sim.run(r.arguments);
        QCOMPARE(run.exit, 1);
        QCOMPARE(run.err.trimmed(), sim.label() + ": " + r.message);
    }
}

void TestCli::devices_and_links()
{
    SimProcess a, b, silent, bus;
    QVERIFY(a.start(m_dir.path()) && b.start(m_dir.path()));
    QVERIFY(silent.start(m_dir.path(), {"--mute"}) && bus.start(m_dir.path(), {"--serial"}));

    // Hosts repeated and comma-separated, one file per device in a folder.
    const QString folder = m_dir.filePath("backup") + QLatin1Char('/');
    const auto file_of = [&](const SimProcess &s) {
        return folder + QStringLiteral("127.0.0.1_%1-1.txt").arg(s.port);
    };
    CliRun run =
        run_cli({"--host", a.host() + "," + b.host(), "--host", silent.host(), "export", folder});
    QCOMPARE(run.exit, 1);
    for (const SimProcess *sim : {&a, &b}) {
        QVERIFY2(run.out.contains(sim->label() + ": exported to " + file_of(*sim)),
                 qPrintable(run.out));
        QCOMPARE(read_file(file_of(*sim)).count('\n'), codec::kConfigLineCount);
    }
    QCOMPARE(run.err.trimmed(), silent.label() + ": the device did not answer");
    QVERIFY(run.out.endsWith("export: 3 devices, 2 done, 1 failed\n"));
    QVERIFY(!QFile::exists(file_of(silent)));

    // Devices on one bus are asked one after another; only device 1 is there.
    run = run_cli({"--serial", bus.pty, "--device", "1,2", "status", "--json"});
    QCOMPARE(run.exit, 1);
    const QJsonArray devices = run.json()["devices"].toArray();
    QVERIFY(devices.size() == 2 && devices[0]["ok"].toBool());
    QCOMPARE(devices[1]["error"].toString(), QStringLiteral("the device did not answer"));
    QCOMPARE(run.err.trimmed(), bus.pty + " #2: the device did not answer");
    // The second device's request carried its number.
    QVERIFY(bus.frames().contains("3a02040100fe0a00003a"));

    // The window buttons' frames on both links: display mode, output mode,
    // input source; then the state they left, and the initialization.
    for (const QStringList &link : {QStringList{"--serial", bus.pty}, {"--host", a.host()}}) {
        const SimProcess &sim = link[0] == "--host" ? a : bus;
        for (const QStringList &command :
             {QStringList{"mode", "M5"}, {"output-mode", "1"}, {"source", "InC", "7"}}) {
            run = run_cli(link + command);
            QVERIFY2(run.exit == 0, qPrintable(run.err));
        }
        QCOMPARE(sim.frames(true), (QStringList{"3a01040100110a00053a", "3a01040100110a80013a",
                                                "3a01040100810a02073a"}));
        QVERIFY(run.out.contains(QStringLiteral(" #1: InC DP-1, signal")));
        run = run_cli(link + QStringList{"status", "--json"});
        const QJsonObject status = run.device()["status"].toObject();
        QVERIFY(run.exit == 0 && run.device()["ok"].toBool());
        QVERIFY(status["display_mode"] == 5 && status["output_mode"] == 1);
        QCOMPARE(status["input_cards"][2]["connector"].toString(), QStringLiteral("DP-1"));
        run = run_cli(link + QStringList{"init", "--yes"});
        QCOMPARE(run.exit, 0);
        QCOMPARE(sim.frames(true).last(), QStringLiteral("3a01040100b0083a"));
        QVERIFY(run.out.endsWith(" #1: initialized; restart the device\n"));
    }
}

// The window, after the input page, a window attribute dialog's reads and the output page,
// exports what tessel-cli exports. That backup edited in three areas: the diff shows it and
// sends nothing, the import writes it; another resolution is refused by both.
void TestCli::export_diff_import()
{
    SimSession s;
    QVERIFY(s.start(false) && s.connect_link());
    auto &ui = s.view->form();
    ui.inputBtn->click();
    s.view->read_window_attributes();
    ui.outBtn->click();
    {
        FileDialogAnswerer files(s.path("window.txt"));
        QTest::mouseClick(ui.exportBtn, Qt::LeftButton);
    }
    QTRY_VERIFY(!s.view->busy_dialog());
    const QString host = QStringLiteral("127.0.0.1:%1").arg(s.sim->tcp_port()),
                  label = host + " #1", file = s.path("cli.txt");
    const auto cli = [&](const QStringList &arguments) {
        return run_cli(QStringList{"--host", host} + arguments);
    };
    CliRun run = cli({"export", file});
    QVERIFY2(run.exit == 0, qPrintable(run.err));
    const QByteArray window_bytes = read_file(s.path("window.txt"));
    QCOMPARE(window_bytes.count('\n'), codec::kConfigLineCount);
    QCOMPARE(read_file(file), window_bytes);

    // InB contrast, WIN3 border red, M3 WIN2 output rectangle (x, width, y, height).
    codec::ConfigValues values = codec::read_config_file(window_bytes);
    for (const auto &[line, value] :
         {std::pair{12, 55}, {49, 255}, {742, 100}, {743, 1000}, {744, 50}, {745, 500}})
        values[size_t(line)] = value;
    QVERIFY(write_file(file, codec::write_config_file(values)));
    s.sim->clear_frame_log();
    run = cli({"diff", file});
    QCOMPARE(run.exit, 0);
    const QStringList lines{
        "Input cards: 1 change",
        "  InB · picture · contrast 73 → 55",
        "Borders: 1 change",
        "  WIN3 · border colour (12, 22, 32) → (255, 22, 32)",
        "Display modes: 1 change",
        "  M3 · WIN2 · output rectangle (120, 80, 1656, 936) → (100, 50, 1000, 500)",
        "3 changes in all"};
    QCOMPARE(run.out, label + ": " + lines.join("\n" + label + ": ") + "\n");
    run = cli({"diff", file, "--json"});
    const QJsonObject diff = run.device()["diff"].toObject();
    QVERIFY(run.exit == 0 && diff["count"] == 3 && diff["changes"].toArray().size() == 3);
    QCOMPARE(diff["changes"][2].toObject(), (QJsonObject{{"area", "Display modes"},
                                                         {"place", "M3 · WIN2 · output rectangle"},
                                                         {"before", "(120, 80, 1656, 936)"},
                                                         {"after", "(100, 50, 1000, 500)"}}));
    QCOMPARE(diff["areas"][2].toObject(), (QJsonObject{{"area", "Display modes"}, {"count", 1}}));
    QVERIFY(!s.sim->frame_log().isEmpty() && s.written_commands().isEmpty());

    run = cli({"import", file, "--yes"});
    QVERIFY2(run.exit == 0, qPrintable(run.err));
    QCOMPARE(run.out.trimmed(), label + ": imported " + file + " (19 steps), read back");
    run = cli({"read", "--json"});
    const QJsonObject records = run.device()["records"].toObject();
    QVERIFY(run.exit == 0 && records["input_adjust"][1]["contrast"].toInt() == 55);
    QCOMPARE(records["modes"][3]["windows"][1]["output"].toObject(),
             (QJsonObject{{"x", 100}, {"width", 1000}, {"y", 50}, {"height", 500}}));

    // 1920x1080@50Hz while the device is at 60 Hz: shown with the hint, import
    // refused, nothing written.
    s.sim->clear_frame_log();
    values[codec::kLineFormat] = 20;
    QVERIFY(write_file(file, codec::write_config_file(values)));
    run = cli({"diff", file});
    QCOMPARE(run.exit, 0);
    QVERIFY(run.out.contains(
        ": Resolution: 1 change\n" + label +
        ":   output resolution 1920x1080@60Hz → 1920x1080@50Hz\n" + label +
        ": an import would be refused: First change the resolution to 1920x1080\n"));
    run = cli({"import", file, "--yes"});
    QCOMPARE(run.exit, 1);
    QCOMPARE(run.err.trimmed(),
             label + ": import refused: First change the resolution to 1920x1080");
    QVERIFY(s.written_commands().isEmpty());
    s.stop();
}

// Refused before anything is sent: 2 for the arguments, 3 for the file.
void TestCli::bad_arguments()
{
    const QString good = m_dir.filePath("good.txt"), damaged = m_dir.filePath("damaged.txt"),
                  short_file = m_dir.filePath("short.txt"), missing = m_dir.filePath("missing.txt");
    QByteArray lines = QByteArray("0\n").repeated(codec::kConfigLineCount);
    QVERIFY(write_file(good, lines));
    QVERIFY(write_file(damaged, lines.replace(32, 1, "12,5")));
    QVERIFY(write_file(short_file, QByteArray("1\n").repeated(1500)));
    const QString nothing = "; nothing was sent";
    const auto not_a_file = [&](const QString &path, const QString &why) {
        return path + " is not a configuration file: " + why + nothing;
    };
    const struct {
        QStringList arguments;
        int exit;
        QString message;
    } rows[] = {
        {{"mode", "99"}, 2, "mode 99: modes are 0 to 15 (M0 to M15)"},
        {{"--device", "9", "status"}, 2, "--device 9: device numbers are 1 to 7"},
        {{"source", "InC", "3"}, 2, "source InC 3: InC takes 5 (HDMI), 6 (HDMI), 7 (DP)"},
        {{"init"}, 2, "init returns the device to its initial settings: confirm with --yes"},
        {{"import", missing, "--yes"}, 3, "cannot read " + missing},
        {{"diff", missing}, 3, "cannot read " + missing},
        {{"import", damaged, "--yes"}, 3, not_a_file(damaged, "line 17 is \"12,5\", not a number")},
        {{"import", short_file, "--yes"}, 3, not_a_file(short_file, "1500 lines, 2000 expected")},
        {{"import", good},
         2,
         "import needs --yes when no one can answer \"Import? [y/N]\"" + nothing},
        {{"mode", "3", "--json"}, 2, "--json goes with status, read and diff, not mode"},
    };
    SimProcess sim;
    QVERIFY(sim.start(m_dir.path()));
    for (const auto &r : rows) {
        const CliRun run = sim.run(r.arguments);
        QVERIFY2(run.exit == r.exit && run.err.startsWith("tessel-cli: " + r.message) &&
                     run.out.isEmpty(),
                 qPrintable(r.message + " <> " + run.err));
    }
    QCOMPARE(sim.frames(), QStringList());
}

void TestCli::help()
{
    const CliRun run = run_cli({"--help"});
    QCOMPARE(run.exit, 0);
    for (const QString command :
         {"status", "read", "export", "import", "diff", "mode", "output-mode", "source", "init"})
        QVERIFY2(run.out.contains(QRegularExpression(
                     "\\n +tessel-cli --\\S+ \\S+( --device \\d)? " + command + "\\b")),
                 qPrintable(command));
}

QTEST_MAIN(TestCli)
#include "tst_cli.moc"
