// Export, import and initialization on both links: a device backed up, initialized and
// restored, a file refused for its resolution, initializations declined and unconfirmed.

#include <QJsonArray>
#include <QProgressBar>
#include <QtTest>

#include "import_preview_answerer.h"
#include "maintenance/maintenance_codec.h"
#include "support/file_dialog_answerer.h"
#include "support/link_setup.h"
#include "support/modal_answerer.h"
#include "support/sim_session.h"
#include "support/when_shown.h"

// What the configuration file carries of a device: every table, the effect, and
// each mode's windows and LED rectangles.
static QJsonObject carried(const sim::SimImage &image)
{
    const QJsonObject all = image.to_json();
    QJsonObject out = all["tables"].toObject();
    out["switch_effect"] = all["status"].toObject()["switch_effect"];
    const QJsonArray modes = all["modes"].toArray();
    for (int m = 0; m < modes.size(); ++m)
        for (const char *key : {"win_in", "win_out", "win_source", "win_layers", "layer_code",
                                "win_open", "led_in_rect", "led_out_rect"})
            out[QStringLiteral("mode %1 %2").arg(m).arg(key)] = modes[m].toObject()[key];
    return out;
}

class TestMaintenance : public QObject
{
    Q_OBJECT

private slots:
    void round_trip_data() { add_link_rows(); }
    void round_trip();
};

void TestMaintenance::round_trip()
{
    QFETCH(bool, serial);
    SimSession s;
    if (!s.start(serial))
        QSKIP("this link cannot be offered here");
    auto &ui = s.view->form();
    // Without a link the three buttons do nothing at all.
    ModalAnswerer boxes(QMessageBox::Yes);
    FileDialogAnswerer files(s.path(QStringLiteral("backup"))); // ".txt" is added
    for (QPushButton *button : {ui.exportBtn, ui.importBtn, ui.initdevBtn})
        button->click();
    QVERIFY(files.titles.isEmpty() && boxes.texts.isEmpty());

    QVERIFY(s.connect_link());
    // What the operator looked at before: input cards, window picture values and borders.
    ui.inputBtn->click();
    QVERIFY(s.view->link().read_win_adjust() && s.view->link().read_win_borders());
    const sim::SimImage original = s.sim->image();

    // Each progress text as it is set: the work may end between two turns of
    // the event loop when the device answers at once.
    QStringList progress;
    OnBusyShown watch([&progress](CCWaitDialog *busy) {
        for (QProgressBar *bar : busy->findChildren<QProgressBar *>())
            QObject::connect(bar, &QProgressBar::valueChanged, bar,
                             [&progress, bar] { progress << bar->text(); });
    });
    ui.exportBtn->click();
    // In the program's folder, which tests point at their own directory.
    QCOMPARE(files.directories + files.filters,
             (QStringList{QDir(s.dir->path()).absolutePath(), "Files(*.txt)"}));
    QCOMPARE(progress.first() + " .. " + progress.last(), QStringLiteral("1 / 32 .. 32 / 32"));
    QTRY_VERIFY(!s.view->busy_dialog() && s.view->isEnabled());
    QFile exported(files.path += QStringLiteral(".txt")); // what the restore reads back
    QVERIFY(exported.open(QIODevice::ReadOnly) && exported.readAll().count('\n') == 2000);

    // Initialize: the device forgets everything, the program lets go of it.
    ui.initdevBtn->click();
    QCOMPARE(boxes.texts, (QStringList{"是否将初始化设备?", "请重启设备！！"}));
    QVERIFY(!device_data.serial_open && !device_data.net_open);
    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageCommunication));
    QCOMPARE(device_data.mode_data[2].win_out[1], (DevRect{1920, 0, 1920, 1080}));
    QVERIFY(carried(s.sim->image()) != carried(original));

    QVERIFY(s.connect_link()); // and restore
    PreviewAnswerer preview(true); // a disabled Import is cancelled
    progress.clear();
    ui.importBtn->click();
    QTRY_VERIFY_WITH_TIMEOUT(!s.view->busy_dialog() && s.view->isEnabled(), 60000);
    QCOMPARE(preview.seen.value(0).question, QStringLiteral("是否将数据导入至设备?"));
    // On the network the chain outruns the sampling; the end is always seen.
    QCOMPARE(progress.last(), QStringLiteral("19 / 19"));
    const QJsonObject want = carried(original), got = carried(s.sim->image());
    for (const QString &key : want.keys())
        QVERIFY2(got[key] == want[key], qPrintable(key));
    // The read-back after the import shows the restored device.
    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageMultiWindow));
    QCOMPARE(device_data.switch_effect, original.switch_effect);

    // The device runs format 6; the file asks for format 1. The same file as other
    // editors save it (line ends, encoding and its mark) reads the same.
    codec::ConfigValues values = codec::export_values(device_data);
    values[0] = 7, values[1999] = 1;
    const QByteArray lf = codec::write_config_file(values), bom = "\xef\xbb\xbf";
    const QByteArray crlf = QByteArray(lf).replace("\n", "\r\n");
    const auto utf16 = [](const QByteArray &text) {
        return "\xff\xfe" + QTextCodec::codecForName("UTF-16LE")->fromUnicode(text);
    };
    files.path = s.path(QStringLiteral("in.txt"));
    const int brightness = device_data.in_adjust[0].brightness;
    s.sim->clear_frame_log();
    int tries = 0;
    for (const QByteArray &text : {lf, lf, crlf, bom + lf, bom + crlf, utf16(lf), utf16(crlf)}) {
        QFile file(files.path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();
        preview.seen.clear();
        ui.importBtn->click();
        QCOMPARE(preview.seen.size(), 1);
        QCOMPARE(preview.seen[0].hint,
                 tries++ ? QStringLiteral("First change the resolution to 1440x1440")
                         : QStringLiteral("请先将分辨率切换至1440x1440！！"));
        QVERIFY(!preview.seen[0].import_enabled);
        // A refused file leaves the records as they were.
        QVERIFY(device_data.in_adjust[0].brightness == brightness && device_data.out_format == 6);
        ui.eradioBtn->click(); // the first in Chinese, the others in English
    }

    boxes.texts.clear();
    boxes.answer = QMessageBox::No;
    ui.initdevBtn->click();
    // The previews read the device; nothing was written to it.
    QVERIFY(s.written_commands().isEmpty() && s.view->isEnabled() && !s.view->busy_dialog());
    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageMultiWindow));

    // An initialization the device never confirms still lets go of it, but
    // leaves the records as they were.
    s.sim->clear_frame_log();
    s.view->set_busy_bound_ms(800);
    s.sim->faults().mute_commands.insert(proto::kCmdDeviceInit);
    const DevRect before = device_data.mode_data[3].win_out[0];
    boxes.answer = QMessageBox::Yes;
    ui.initdevBtn->click();
    QCOMPARE(boxes.texts,
             (QStringList{"Initialize the device?", "Initialize the device?",
                          "The device did not respond!!", "Please restart the device!!"}));
    QCOMPARE(s.sim->frame_log(), QStringList{QStringLiteral("3a01040100b0083a")});
    QVERIFY(!device_data.serial_open && !device_data.net_open && s.view->isEnabled());
    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageCommunication));
    QCOMPARE(device_data.mode_data[3].win_out[0], before);
}

QTEST_MAIN(TestMaintenance)
#include "tst_maintenance.moc"
