// Working offline: the device inside the program as a transport, a show edited
// through the pages and exported, factory values, and the question about
// changes not exported when the link or the window closes.

#include <QFile>
#include <QSignalSpy>
#include <QtTest>

#include "device/codec.h"
#include "layout/itembox.h"
#include "link/device_link.h"
#include "link/offline_device.h"
#include "maintenance/maintenance_codec.h"
#include "support/file_dialog_answerer.h"
#include "support/modal_answerer.h"
#include "support/sim_session.h"
#include "support/when_shown.h"

namespace {

QByteArray file_bytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Line number -> (old value, new value) of every line that differs.
QMap<int, QPair<int, int>> changed_lines(const QString &a, const QString &b)
{
    const codec::ConfigValues x = codec::read_config_file(file_bytes(a));
    const codec::ConfigValues y = codec::read_config_file(file_bytes(b));
    QMap<int, QPair<int, int>> out;
    for (int i = 0; i < codec::kConfigLineCount; ++i)
        if (x[size_t(i)] != y[size_t(i)])
            out.insert(i, {x[size_t(i)], y[size_t(i)]});
    return out;
}

} // namespace

class TestOffline : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { m_s.stop(); }
    void transport();
    void edit_and_export();
    void factory_values();
    void closing_with_changes_data();
    void closing_with_changes();

private:
    // Presses "Work offline" and answers its question (and the file dialog).
    bool go_offline(QMessageBox::StandardButton answer, const QString &file = {});
    bool export_to(const QString &path);
    SimSession m_s;
};

bool TestOffline::go_offline(QMessageBox::StandardButton answer, const QString &file)
{
    ModalAnswerer boxes(answer);
    FileDialogAnswerer files(file);
    QTest::mouseClick(m_s.view->form().offlineBtn, Qt::LeftButton);
    return m_s.view->active_transport() == DeviceLink::Transport::Offline;
}

bool TestOffline::export_to(const QString &path)
{
    FileDialogAnswerer files(path);
    QTest::mouseClick(m_s.view->form().exportBtn, Qt::LeftButton);
    // The busy dialog goes once the event loop deletes it.
    return QTest::qWaitFor([this] { return !m_s.view->busy_dialog(); }, 10000) &&
           m_s.view->isEnabled() && QFile::exists(path);
}

void TestOffline::transport()
{
    DeviceData records;
    DeviceLink link(records);
    link.set_full_timing(true);
    QVERIFY(link.open_offline(nullptr, 3, {}));
    QCOMPARE(int(records.net_open), 1);
    OfflineDevice *device = link.offline_device();
    // A reply never comes inside write(): the engines see a line's order of events.
    QSignalSpy ready(device, &QIODevice::readyRead);
    QVERIFY(link.send_read_request(proto::kReadStatusBoot.selector, 0));
    QCOMPARE(device->bytesAvailable(), qint64(0));
    QVERIFY(ready.wait(1000));
    QVERIFY(link.read_back(QSize(1000, 500)));
    QVERIFY(!link.offline_changed()); // reads are no changes

    QVERIFY(link.send_short_command(proto::kCmdSelectMode, 0, 4));
    QVERIFY(link.offline_changed());

    // A damaged file still gives a device; an unknown format leaves the factory one.
    codec::ConfigValues junk;
    junk.fill(-123456);
    junk[codec::kLineFormat] = 1000;
    QVERIFY(link.open_offline(&junk, 1, QStringLiteral("junk.txt")));
    QVERIFY(!link.offline_changed());
    QVERIFY(link.read_back(QSize(1000, 500)) && link.read_input_card(0));
    QCOMPARE(records.out_format, 6);
    QCOMPARE(records.pip_rect[0].main.x, 0);

    // The operator's full timing waits for the next real link.
    link.close();
    QVERIFY(link.full_timing() && !records.net_open && !link.is_open());
}

void TestOffline::edit_and_export()
{
    // An exported file of a real (simulated) device is the starting point.
    QVERIFY(m_s.start(false));
    auto &ui = m_s.view->form();
    ui.eradioBtn->click();
    QVERIFY(m_s.connect_link());
    const QString original = m_s.path(QStringLiteral("show.txt"));
    QVERIFY(export_to(original));
    QTest::mouseClick(ui.connectBtn, Qt::LeftButton);
    QVERIFY(!m_s.view->link().is_open());

    m_s.sim->clear_frame_log();
    QVERIFY(go_offline(QMessageBox::Open, original));
    QVERIFY(m_s.sim->frame_log().isEmpty()); // the real device hears nothing
    QVERIFY(m_s.view->windowTitle().endsWith(QStringLiteral(" - Offline: show.txt")));
    // Loaded as an import loads it: exported again at once, nothing differs.
    const QString again = m_s.path(QStringLiteral("again.txt"));
    QVERIFY(export_to(again));
    QCOMPARE(changed_lines(original, again), (QMap<int, QPair<int, int>>{}));

    // A window rectangle, through its size dialog.
    const int mode = device_data.cur_mul_mode;
    const DevRect window = device_data.mode_data[mode].win_out[0];
    const int new_x = window.x == 0 ? 8 : window.x - 1;
    trimmingDlg &trim = m_s.view->trimming_dialog();
    when_shown(&trim, [&] {
        trim.form().outxEdit->setText(QString::number(new_x));
        QTest::mouseClick(trim.form().pushButton, Qt::LeftButton);
        trim.reject();
    });
    m_s.view->mul_trimming_wins(0);

    // An output port's rectangle, on the output page.
    QTest::mouseClick(ui.outBtn, Qt::LeftButton);
    QTest::mouseClick(ui.btn_outA_dvi2, Qt::LeftButton);
    const int out_mode = device_data.cur_out_mode;
    const int port_x = ui.outputEdit_x->text().toInt();
    const int new_port_x = port_x == 0 ? 4 : port_x - 1;
    ui.outputEdit_x->setText(QString::number(new_port_x));
    QTest::mouseClick(ui.pushBtn_set, Qt::LeftButton);

    // A picture value: InA brightness on the input page.
    QTest::mouseClick(ui.inputBtn, Qt::LeftButton);
    const int brightness = ui.inAspinLDBox->value();
    const int new_brightness = brightness == 40 ? 41 : 40;
    ui.inAspinLDBox->setValue(new_brightness);
    QTest::mouseClick(ui.inALDButton, Qt::LeftButton);

    const QString edited = m_s.path(QStringLiteral("edited.txt"));
    QVERIFY(export_to(edited));
    QVERIFY(!m_s.view->link().offline_changed());
    const QMap<int, QPair<int, int>> expected = {
        {0, {brightness, new_brightness}},
        // 24 lines per mode and index after line 426: win_in, win_out, then
        // the port's led_in_rect and led_out_rect of OutA, then of OutB.
        {426 + 96 * mode + 4, {window.x, new_x}},
        {426 + 96 * out_mode + 24 + 12, {port_x, new_port_x}},
    };
    QCOMPARE(changed_lines(original, edited), expected);

    // Exported: the link closes without a question.
    ModalAnswerer boxes(QMessageBox::Cancel);
    QTest::mouseClick(ui.connectBtn, Qt::LeftButton);
    QVERIFY(boxes.texts.isEmpty());
    QVERIFY(!m_s.view->link().is_open());
    QVERIFY(!m_s.view->windowTitle().contains(QStringLiteral("Offline")));
}

void TestOffline::factory_values()
{
    QVERIFY(m_s.start(false));
    auto &ui = m_s.view->form();
    // Cancelled: nothing opens.
    QVERIFY(!go_offline(QMessageBox::Cancel));
    QVERIFY(!go_offline(QMessageBox::Open, QString())); // the file dialog cancelled
    QVERIFY(go_offline(QMessageBox::RestoreDefaults));
    QVERIFY(m_s.view->windowTitle().endsWith(QStringLiteral("离线：出厂设置")));
    QVERIFY(m_s.view->link().offline_device()->device().image() == sim::SimImage::factory());

    // The factory layout: mode 0, one window filling the canvas.
    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageMultiWindow));
    QCOMPARE(device_data.cur_mul_mode, 0);
    QCOMPARE(device_data.mode_data[0].win_out[0], (DevRect{0, 0, 1920, 1080}));
    QVERIFY(m_s.view->window_item(0, 0));
    const DevRect &shown = device_data.mode_data[0].win_canvas[0];
    QCOMPARE(m_s.view->window_item(0, 0)->geometry(), QRect(shown.x, shown.y, shown.w, shown.h));
    for (int w = 1; w < kWindowCount; ++w)
        QVERIFY(!m_s.view->window_item(0, w));

    // A resolution change restarts the device inside the program: it is read
    // anew and the session goes on, with the change still to export.
    QTest::mouseClick(ui.outBtn, Qt::LeftButton);
    ui.formatBox->setCurrentIndex(0);
    {
        ModalAnswerer boxes(QMessageBox::Yes);
        emit ui.formatBox->activated(0);
        QTest::mouseClick(ui.btn_dpi, Qt::LeftButton);
        QCOMPARE(boxes.texts.size(), 1); // the question only, no "Please restart"
    }
    QVERIFY(m_s.view->link().offline_changed() && m_s.view->isEnabled());
    QCOMPARE(device_data.out_format,
             m_s.view->link().offline_device()->device().image().out_format);
    QVERIFY(device_data.out_format != 6);
}

void TestOffline::closing_with_changes_data()
{
    QTest::addColumn<bool>("window"); // close the window, else press Disconnect
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("export_name"); // empty: the export dialog is cancelled
    QTest::addColumn<bool>("closed");
    QTest::newRow("disconnect, cancel") << false << int(QMessageBox::Cancel) << QString() << false;
    QTest::newRow("disconnect, yes, export cancelled")
        << false << int(QMessageBox::Yes) << QString() << false;
    QTest::newRow("disconnect, yes") << false << int(QMessageBox::Yes) << "out.txt" << true;
    QTest::newRow("window, cancel") << true << int(QMessageBox::Cancel) << QString() << false;
    QTest::newRow("window, no") << true << int(QMessageBox::No) << QString() << true;
}

void TestOffline::closing_with_changes()
{
    QFETCH(bool, window);
    QFETCH(int, answer);
    QFETCH(QString, export_name);
    QFETCH(bool, closed);

    QVERIFY(m_s.start(false));
    auto &ui = m_s.view->form();
    ui.eradioBtn->click();
    QVERIFY(go_offline(QMessageBox::RestoreDefaults));
    // Reading is not changing: pages that only read leave nothing to export.
    QTest::mouseClick(ui.inputBtn, Qt::LeftButton);
    QVERIFY(!m_s.view->link().offline_changed());
    ui.inAspinLDBox->setValue(33);
    QTest::mouseClick(ui.inALDButton, Qt::LeftButton);
    QVERIFY(m_s.view->link().offline_changed());

    const QString path = export_name.isEmpty() ? QString() : m_s.path(export_name);
    ModalAnswerer boxes{QMessageBox::StandardButton(answer)};
    FileDialogAnswerer files(path);
    bool window_closed = false;
    if (window)
        window_closed = m_s.view->close();
    else
        QTest::mouseClick(ui.connectBtn, Qt::LeftButton);
    QTRY_VERIFY(!m_s.view->busy_dialog());

    QCOMPARE(boxes.texts, QStringList{"The offline configuration has changes that were not "
                                      "exported. Export them first?"});
    QCOMPARE(window ? window_closed : !m_s.view->link().is_open(), closed);
    QCOMPARE(files.titles.size(), answer == QMessageBox::Yes ? 1 : 0);
    if (!path.isEmpty())
        QCOMPARE(codec::read_config_file(file_bytes(path))[0], 33);
    // Cancelled or not exported: the session and its changes are all still there.
    if (!closed) {
        QCOMPARE(m_s.view->active_transport(), DeviceLink::Transport::Offline);
        QVERIFY(m_s.view->link().offline_changed());
        QCOMPARE(m_s.view->link().offline_device()->device().image().in_adjust[0].brightness, 33);
    }
}

QTEST_MAIN(TestOffline)
#include "tst_offline.moc"
