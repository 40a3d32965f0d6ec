// Export, import and initialization as the operator meets them: the questions,
// the resolution check, a chain whose acknowledgement never comes, and the
// progress line of the busy dialog. The full round trip has its own tests.

#include <QFile>

#include "maintenance/maintenance_codec.h"
#include "maintenance_session.h"
#include "support/file_dialog_answerer.h"
#include "support/modal_answerer.h"

namespace {

constexpr int kShortBoundMs = 1500;

void add_link_rows()
{
    QTest::addColumn<bool>("serial");
    QTest::newRow("network") << false;
    QTest::newRow("serial") << true;
}

// A configuration file holding the records as they stand, with some lines changed.
QString write_file(const QString &path, const QMap<int, int> &changes)
{
    codec::ConfigValues values = codec::export_values(device_data);
    for (auto it = changes.begin(); it != changes.end(); ++it)
        values[size_t(it.key())] = it.value();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(codec::write_config_file(values));
    return path;
}

} // namespace

class TestMaintenance : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { m_s.stop(); }

    void buttons_need_a_link();
    void export_cancelled_sends_nothing();
    void import_answered_no_changes_nothing();
    void import_resolution_mismatch_data();
    void import_resolution_mismatch();
    void import_missing_ack_ends_at_bound_data();
    void import_missing_ack_ends_at_bound();
    void init_answered_no_sends_nothing();
    void init_without_reply_still_disconnects();
    void progress_line_of_busy_dialog();

private:
    SimSession m_s;
};

void TestMaintenance::buttons_need_a_link()
{
    QVERIFY(m_s.start(false));
    ModalAnswerer boxes(QMessageBox::Yes);
    FileDialogAnswerer files(m_s.path(QStringLiteral("x.txt")));
    auto &ui = m_s.view->form();
    for (QPushButton *button : {ui.exportBtn, ui.importBtn, ui.initdevBtn})
        QTest::mouseClick(button, Qt::LeftButton);
    QTest::qWait(100);
    QVERIFY(files.titles.isEmpty());
    QVERIFY(boxes.texts.isEmpty());
    QVERIFY(!QFile::exists(m_s.path(QStringLiteral("x.txt"))));
    QVERIFY(m_s.sim->frame_log().isEmpty());
}

void TestMaintenance::export_cancelled_sends_nothing()
{
    if (!m_s.start(true))
        QSKIP("no pseudo-terminal here");
    QVERIFY(m_s.connect_link());
    m_s.sim->clear_frame_log();
    FileDialogAnswerer files{QString()};
    QTest::mouseClick(m_s.view->form().exportBtn, Qt::LeftButton);
    QCOMPARE(files.titles, QStringList{QStringLiteral("Export File")});
    // The program's folder, which tests point at their own directory.
    QCOMPARE(files.directories, QStringList{QDir(m_s.dir->path()).absolutePath()});
    QVERIFY(m_s.sim->frame_log().isEmpty());
    QVERIFY(!m_s.view->busy_dialog());
}

void TestMaintenance::import_answered_no_changes_nothing()
{
    if (!m_s.start(true))
        QSKIP("no pseudo-terminal here");
    QVERIFY(m_s.connect_link());
    const QString file = write_file(m_s.path(QStringLiteral("in.txt")), {{0, 7}, {1999, 1}});
    const int brightness = device_data.in_adjust[0].brightness;
    m_s.sim->clear_frame_log();
    ModalAnswerer boxes(QMessageBox::No);
    FileDialogAnswerer files(file);
    QTest::mouseClick(m_s.view->form().importBtn, Qt::LeftButton);
    QCOMPARE(boxes.titles, QStringList{QStringLiteral("提示")});
    QCOMPARE(device_data.in_adjust[0].brightness, brightness);
    QVERIFY(m_s.sim->frame_log().isEmpty());
    QVERIFY(m_s.view->isEnabled());
    QVERIFY(!m_s.view->busy_dialog());
}

void TestMaintenance::import_resolution_mismatch_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("hint");
    // The device runs format 6 with a custom size of 2048 x 1152.
    QTest::newRow("other preset") << 1 << 2048 << 1152
                                  << QStringLiteral("First change the resolution to 1440x1440");
    QTest::newRow("custom of another size")
        << 9 << 1000 << 500 << QStringLiteral("First change the resolution to 1000x500");
    QTest::newRow("code without a row")
        << 7 << 2048 << 1152 << QStringLiteral("First change the resolution to 0x0");
}

void TestMaintenance::import_resolution_mismatch()
{
    QFETCH(int, format);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QString, hint);
    if (!m_s.start(true))
        QSKIP("no pseudo-terminal here");
    m_s.view->form().eradioBtn->click();
    QVERIFY(m_s.connect_link());
    QCOMPARE(device_data.custom_res_w, 2048);
    const QString file = write_file(m_s.path(QStringLiteral("in.txt")),
                                    {{0, 7}, {1997, width}, {1998, height}, {1999, format}});
    m_s.sim->clear_frame_log();
    ModalAnswerer boxes(QMessageBox::Yes);
    FileDialogAnswerer files(file);
    QTest::mouseClick(m_s.view->form().importBtn, Qt::LeftButton);
    QCOMPARE(boxes.texts,
             (QStringList{QStringLiteral("Whether to import data to the device?"), hint}));
    QCOMPARE(boxes.titles.value(1), QStringLiteral("Hint"));
    QVERIFY(m_s.sim->frame_log().isEmpty());
    QVERIFY(m_s.view->isEnabled());
    QVERIFY(!m_s.view->busy_dialog());
    // The records hold the file's values until the next read-back, not its resolution.
    QCOMPARE(device_data.in_adjust[0].brightness, 7);
    QCOMPARE(device_data.out_format, 6);
    QCOMPARE(device_data.custom_res_w, 2048);
}

void TestMaintenance::import_missing_ack_ends_at_bound_data()
{
    add_link_rows();
}

void TestMaintenance::import_missing_ack_ends_at_bound()
{
    QFETCH(bool, serial);
    if (!m_s.start(serial))
        QSKIP("no pseudo-terminal here");
    QVERIFY(m_s.connect_link());
    m_s.view->set_busy_bound_ms(kShortBoundMs);
    // Format 9 with the device's own custom size passes the check, whatever the
    // device's format (6): only the custom size is compared.
    const QString file =
        write_file(m_s.path(QStringLiteral("in.txt")), {{1997, 2048}, {1998, 1152}, {1999, 9}});
    m_s.sim->faults().mute_commands.insert(proto::kCmdImportMode);
    m_s.sim->clear_frame_log();
    ModalAnswerer boxes(QMessageBox::Yes);
    FileDialogAnswerer files(file);
    ProgressWatcher progress(m_s.view.get());
    QTest::mouseClick(m_s.view->form().importBtn, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(boxes.texts.size() == 2, 20000);
    QCOMPARE(boxes.texts.value(1), QStringLiteral("设备无响应！！"));
    QCOMPARE(m_s.written_commands(), (QList<int>{192, 193, 194}));
    // The dialog stood at the first mode block when the device fell silent.
    QCOMPARE(progress.seen.last(), QStringLiteral("3 / 19"));
    QTRY_VERIFY(!m_s.view->busy_dialog());
    QVERIFY(m_s.view->isEnabled());
    QCOMPARE(device_data.serial_wait_code, 0);
    QCOMPARE(device_data.net_wait_code, 0);
    // Nothing more leaves, and the link stays usable.
    QTest::qWait(800);
    QCOMPARE(m_s.written_commands().size(), 3);
    QVERIFY(device_data.serial_open || device_data.net_open);
}

void TestMaintenance::init_answered_no_sends_nothing()
{
    if (!m_s.start(true))
        QSKIP("no pseudo-terminal here");
    QVERIFY(m_s.connect_link());
    m_s.view->form().eradioBtn->click();
    m_s.sim->clear_frame_log();
    ModalAnswerer boxes(QMessageBox::No);
    QTest::mouseClick(m_s.view->form().initdevBtn, Qt::LeftButton);
    QCOMPARE(boxes.texts, QStringList{QStringLiteral("Initialize the device?")});
    QCOMPARE(boxes.titles, QStringList{QStringLiteral("Reminder")});
    QVERIFY(m_s.sim->frame_log().isEmpty());
    QCOMPARE(device_data.serial_open, uint8_t(1));
    QCOMPARE(m_s.view->form().stackedWidget->currentIndex(), int(TesselView::kPageMultiWindow));
}

void TestMaintenance::init_without_reply_still_disconnects()
{
    if (!m_s.start(true))
        QSKIP("no pseudo-terminal here");
    QVERIFY(m_s.connect_link());
    m_s.view->set_busy_bound_ms(kShortBoundMs);
    m_s.sim->faults().mute_commands.insert(proto::kCmdDeviceInit);
    m_s.sim->clear_frame_log();
    const DevRect before = device_data.mode_data[3].win_out[0];
    ModalAnswerer boxes(QMessageBox::Yes);
    QTest::mouseClick(m_s.view->form().initdevBtn, Qt::LeftButton);
    QCOMPARE(boxes.texts,
             (QStringList{QStringLiteral("是否将初始化设备?"), QStringLiteral("设备无响应！！"),
                          QStringLiteral("请重启设备！！")}));
    QCOMPARE(m_s.sim->frame_log(), QStringList{QStringLiteral("3a01040100b0083a")});
    QCOMPARE(device_data.serial_open, uint8_t(0));
    QCOMPARE(m_s.view->form().stackedWidget->currentIndex(), int(TesselView::kPageCommunication));
    QVERIFY(m_s.view->isEnabled());
    // Unconfirmed: the records were not reset.
    QCOMPARE(device_data.mode_data[3].win_out[0], before);
}

void TestMaintenance::progress_line_of_busy_dialog()
{
    QVERIFY(m_s.start(false));
    CCWaitDialog plain(QStringLiteral("Switching input signal...."), m_s.view.get());
    QCOMPARE(plain.progress_text(), QString());
    CCWaitDialog dialog(QStringLiteral("Exporting data, please wait a moment...."), m_s.view.get());
    dialog.set_progress(12, 32);
    QCOMPARE(dialog.progress_text(), QStringLiteral("12 / 32"));
    dialog.set_progress(40, 32);
    QCOMPARE(dialog.progress_text(), QStringLiteral("32 / 32"));
    QCOMPARE(dialog.message(), QStringLiteral("Exporting data, please wait a moment...."));
}

QTEST_MAIN(TestMaintenance)
#include "tst_maintenance.moc"
