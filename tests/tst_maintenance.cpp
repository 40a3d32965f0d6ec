// Export, import and initialization as the operator meets them: the questions,
// the resolution check, an initialization the device never confirms, and on
// both links the full round trip: back up a device, initialize it, restore it.

#include <QFile>
#include <QJsonArray>
#include <QProgressBar>
#include <QtTest>

#include "device/codec.h"
#include "maintenance/maintenance_codec.h"
#include "support/file_dialog_answerer.h"
#include "support/modal_answerer.h"
#include "support/sim_session.h"

namespace {

constexpr int kShortBoundMs = 1500;

// How other editors save a file: line ends, then the encoding with its mark.
enum class Encoding { Utf8, Utf8Bom, Utf16LeBom };

// A configuration file holding the records as they stand, with some lines changed.
QString write_file(const QString &path, const QMap<int, int> &changes, bool crlf = false,
                   Encoding encoding = Encoding::Utf8)
{
    codec::ConfigValues values = codec::export_values(device_data);
    for (auto it = changes.begin(); it != changes.end(); ++it)
        values[size_t(it.key())] = it.value();
    QByteArray text = codec::write_config_file(values);
    if (crlf)
        text.replace("\n", "\r\n");
    if (encoding == Encoding::Utf8Bom)
        text.prepend("\xef\xbb\xbf");
    if (encoding == Encoding::Utf16LeBom) {
        QByteArray wide("\xff\xfe");
        for (char c : qAsConst(text))
            wide.append(c).append('\0');
        text = wide;
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) > 0 ? path : QString();
}

// Notes each progress text of the busy dialog as it is set: the work may end
// between two turns of the event loop when the device answers at once.
struct ProgressWatcher : QObject {
    explicit ProgressWatcher(TesselView *) { qApp->installEventFilter(this); }
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<CCWaitDialog *>(object)) {
            for (QProgressBar *bar : object->findChildren<QProgressBar *>())
                connect(bar, &QProgressBar::valueChanged, this, [this, bar] {
                    if (seen.value(seen.size() - 1) != bar->text())
                        seen.append(bar->text());
                });
        }
        return false;
    }
    QStringList seen;
};

// The first field that the configuration file carries in which two devices differ.
QString carried_difference(const sim::SimImage &a, const sim::SimImage &b)
{
    const QJsonObject x = a.to_json();
    const QJsonObject y = b.to_json();
    const QJsonObject x_tables = x["tables"].toObject(); // every table travels
    for (const QString &key : x_tables.keys())
        if (x_tables[key] != y["tables"].toObject()[key])
            return key;
    if (x["status"].toObject()["switch_effect"] != y["status"].toObject()["switch_effect"])
        return QStringLiteral("switch_effect");
    for (int m = 0; m < sim::kModes; ++m) {
        const QJsonObject xm = x["modes"].toArray()[m].toObject();
        const QJsonObject ym = y["modes"].toArray()[m].toObject();
        for (const char *key : {"win_in", "win_out", "win_source", "win_layers", "layer_code",
                                "win_open", "led_in_rect", "led_out_rect"})
            if (xm[key] != ym[key])
                return QStringLiteral("mode %1 %2").arg(m).arg(key);
    }
    return QString();
}

} // namespace

class TestMaintenance : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { m_s.stop(); }

    void declined_stopped_and_unconfirmed();
    // About a minute each with the real waits.
    void round_trip_serial() { round_trip(true); }
    void round_trip_network() { round_trip(false); }

private:
    void round_trip(bool serial);
    bool start_connected(bool serial = true);

    SimSession m_s;
};

bool TestMaintenance::start_connected(bool serial)
{
    return m_s.start(serial) && m_s.connect_link();
}

void TestMaintenance::declined_stopped_and_unconfirmed()
{
    if (!m_s.start(true))
        QSKIP("no pseudo-terminal here");
    auto &ui = m_s.view->form();
    {
        // Without a link the three buttons do nothing at all.
        ModalAnswerer boxes(QMessageBox::Yes);
        FileDialogAnswerer files(m_s.path(QStringLiteral("x.txt")));
        for (QPushButton *button : {ui.exportBtn, ui.importBtn, ui.initdevBtn})
            QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(files.titles.isEmpty() && boxes.texts.isEmpty());
    }
    QVERIFY(m_s.connect_link());
    // The device runs format 6; the file asks for format 1.
    const QString file = write_file(m_s.path(QStringLiteral("in.txt")), {{0, 7}, {1999, 1}});
    const int brightness = device_data.in_adjust[0].brightness;
    m_s.sim->clear_frame_log();
    {
        FileDialogAnswerer files{QString()}; // export cancelled
        QTest::mouseClick(ui.exportBtn, Qt::LeftButton);
        // The program's folder, which tests point at their own directory.
        QCOMPARE(files.directories, QStringList{QDir(m_s.dir->path()).absolutePath()});
    }
    {
        ModalAnswerer boxes(QMessageBox::No);
        FileDialogAnswerer files(file);
        QTest::mouseClick(ui.importBtn, Qt::LeftButton);
        QCOMPARE(boxes.texts.size(), 1);
        QCOMPARE(device_data.in_adjust[0].brightness, brightness);
    }
    ui.eradioBtn->click();
    // The same file as other editors save it reads the same.
    for (Encoding encoding : {Encoding::Utf8, Encoding::Utf8Bom, Encoding::Utf16LeBom}) {
        for (bool crlf : {false, true}) {
            device_data.in_adjust[0].brightness = brightness;
            ModalAnswerer boxes(QMessageBox::Yes);
            FileDialogAnswerer files(write_file(file, {{0, 7}, {1999, 1}}, crlf, encoding));
            QTest::mouseClick(ui.importBtn, Qt::LeftButton);
            QCOMPARE(boxes.texts.value(1),
                     QStringLiteral("First change the resolution to 1440x1440"));
            // The records hold the file's values until the next read-back, not its resolution.
            QCOMPARE(device_data.in_adjust[0].brightness, 7);
            QCOMPARE(device_data.out_format, 6);
        }
    }
    {
        ModalAnswerer boxes(QMessageBox::No);
        QTest::mouseClick(ui.initdevBtn, Qt::LeftButton);
        QCOMPARE(boxes.texts, QStringList{QStringLiteral("Initialize the device?")});
    }
    QVERIFY(m_s.sim->frame_log().isEmpty());
    QCOMPARE(device_data.serial_open, uint8_t(1));
    QVERIFY(m_s.view->isEnabled() && !m_s.view->busy_dialog());
    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageMultiWindow));

    // An initialization the device never confirms still lets go of it, but
    // leaves the records as they were.
    m_s.view->set_busy_bound_ms(kShortBoundMs);
    m_s.sim->faults().mute_commands.insert(proto::kCmdDeviceInit);
    const DevRect before = device_data.mode_data[3].win_out[0];
    ModalAnswerer boxes(QMessageBox::Yes);
    QTest::mouseClick(ui.initdevBtn, Qt::LeftButton);
    QCOMPARE(boxes.texts, (QStringList{"Initialize the device?", "The device did not respond!!",
                                       "Please restart the device!!"}));
    QCOMPARE(m_s.sim->frame_log(), QStringList{QStringLiteral("3a01040100b0083a")});
    QCOMPARE(device_data.serial_open, uint8_t(0));
    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageCommunication));
    QVERIFY(m_s.view->isEnabled());
    QCOMPARE(device_data.mode_data[3].win_out[0], before);
}

void TestMaintenance::round_trip(bool serial)
{
    if (!start_connected(serial))
        QSKIP("this link cannot be offered here");
    auto &ui = m_s.view->form();
    // What the operator has looked at before: the input cards (Video Input page)
    // and the window picture values and borders (window attribute dialog).
    ui.inputBtn->click();
    QCOMPARE(m_s.view->direct_read(proto::kReadWinAdjust, 0), proto::kWinAdjustReplyLength);
    QVERIFY(codec::decode_win_adjust(m_s.view->rx_reply(), device_data));
    QCOMPARE(m_s.view->direct_read(proto::kReadWinBorders, 0), proto::kWinBordersReplyLength);
    QVERIFY(codec::decode_win_borders(m_s.view->rx_reply(), device_data));
    const sim::SimImage original = m_s.sim->image();

    const QString file = m_s.path(QStringLiteral("backup.txt"));
    {
        FileDialogAnswerer files(m_s.path(QStringLiteral("backup"))); // ".txt" is added
        ProgressWatcher progress(m_s.view.get());
        QTest::mouseClick(ui.exportBtn, Qt::LeftButton);
        QCOMPARE(files.filters, QStringList{QStringLiteral("Files(*.txt)")});
        QCOMPARE(progress.seen.first(), QStringLiteral("1 / 32"));
        QCOMPARE(progress.seen.last(), QStringLiteral("32 / 32"));
    }
    QTRY_VERIFY(!m_s.view->busy_dialog());
    QVERIFY(m_s.view->isEnabled());
    QFile exported(file);
    QVERIFY(exported.open(QIODevice::ReadOnly));
    const QByteArray text = exported.readAll();
    QCOMPARE(text.count('\n'), 2000);
    QCOMPARE(codec::read_config_file(text)[1999], original.out_format);

    // Initialize: the device forgets everything, the program lets go of it.
    {
        ModalAnswerer boxes(QMessageBox::Yes);
        QTest::mouseClick(ui.initdevBtn, Qt::LeftButton);
        QCOMPARE(boxes.texts, (QStringList{QStringLiteral("是否将初始化设备?"),
                                           QStringLiteral("请重启设备！！")}));
    }
    QVERIFY(!device_data.serial_open && !device_data.net_open);
    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageCommunication));
    QCOMPARE(device_data.mode_data[2].win_out[1], (DevRect{1920, 0, 1920, 1080}));
    QVERIFY(!carried_difference(original, m_s.sim->image()).isEmpty());

    // Restore.
    QVERIFY(m_s.connect_link());
    {
        ModalAnswerer boxes(QMessageBox::Yes);
        FileDialogAnswerer files(file);
        ProgressWatcher progress(m_s.view.get());
        QTest::mouseClick(ui.importBtn, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!m_s.view->busy_dialog(), 60000);
        QCOMPARE(boxes.texts, QStringList{QStringLiteral("是否将数据导入至设备?")});
        // On the network the chain outruns the sampling; the end is always seen.
        QCOMPARE(progress.seen.last(), QStringLiteral("19 / 19"));
    }
    QVERIFY(m_s.view->isEnabled());
    const QString difference = carried_difference(original, m_s.sim->image());
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    // The read-back after the import shows the restored device.
    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageMultiWindow));
    QCOMPARE(device_data.switch_effect, original.switch_effect);
}

QTEST_MAIN(TestMaintenance)
#include "tst_maintenance.moc"
