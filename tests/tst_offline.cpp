// Working offline: the device inside the program as a transport, a show edited
// through the pages and exported, factory values, and the question about
// changes not exported when the link or the window closes.

#include <QtTest>

#include "device/codec.h"
#include "layout/itembox.h"
#include "link/device_probe.h"
#include "link/offline_device.h"
#include "support/file_dialog_answerer.h"
#include "support/modal_answerer.h"
#include "support/sim_session.h"
#include "support/when_shown.h"

namespace {

codec::ConfigValues file_values(const QString &path)
{
    QFile file(path);
    return codec::read_config_file(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
}

// Line number -> (old value, new value) of every line that differs.
QMap<int, QPair<int, int>> changed_lines(const QString &a, const QString &b)
{
    const codec::ConfigValues x = file_values(a), y = file_values(b);
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
    void session();

private:
    SimSession m_s;
};

void TestOffline::transport()
{
    DeviceData records;
    DeviceLink link(records);
    link.set_full_timing(true);
    QVERIFY(link.open_offline(nullptr, 3, {}) && records.net_open == 1);
    // A reply never comes inside write(): the engines see a line's order of events.
    QSignalSpy ready(link.offline_device(), &QIODevice::readyRead);
    QVERIFY(link.send_read_request(proto::kReadStatusBoot.selector, 0));
    QCOMPARE(link.offline_device()->bytesAvailable(), qint64(0));
    QVERIFY(ready.wait(1000));
    QVERIFY(link.read_back(QSize(1000, 500)));
    QVERIFY(!link.offline_changed()); // reads are no changes
    QVERIFY(link.send_short_command(proto::kCmdSelectMode, 0, 4) && link.offline_changed());

    // A damaged file still gives a device; an unknown format leaves the factory one.
    codec::ConfigValues junk;
    junk.fill(-123456);
    junk[codec::kLineFormat] = 1000;
    QVERIFY(link.open_offline(&junk, 1, QStringLiteral("junk.txt")) && !link.offline_changed());
    QVERIFY(link.read_back(QSize(1000, 500)) && link.read_input_card(0));
    QVERIFY(records.out_format == 6 && records.pip_rect[0].main.x == 0);

    // The operator's full timing waits for the next real link.
    link.close();
    QVERIFY(link.full_timing() && !records.net_open && !link.is_open());
}

// A show edited and exported, then factory values and the question on closing.
void TestOffline::session()
{
    QVERIFY(m_s.start(false));
    TesselView &view = *m_s.view;
    auto &ui = view.form();
    // The busy dialog goes once the event loop deletes it.
    const auto idle = [&] {
        return QTest::qWaitFor([&] { return !view.busy_dialog(); }, 10000) && view.isEnabled();
    };
    // Presses "Work offline" and answers its question (and the file dialog).
    const auto go_offline = [&](QMessageBox::StandardButton answer, const QString &file = {}) {
        ModalAnswerer boxes(answer);
        FileDialogAnswerer files(file);
        QTest::mouseClick(ui.offlineBtn, Qt::LeftButton);
        return view.active_transport() == DeviceLink::Transport::Offline;
    };
    const auto export_to = [&](const QString &path) {
        FileDialogAnswerer files(path);
        QTest::mouseClick(ui.exportBtn, Qt::LeftButton);
        return idle() && QFile::exists(path);
    };
    // Presses Disconnect or closes the window, answering the question about
    // changes not exported and the export's file dialog: what was asked, and
    // whether the session closed or is all still there, changes included.
    const auto close_offline = [&](bool window, QMessageBox::StandardButton answer,
                                   const QString &file = {}) {
        const sim::SimImage before = view.link().offline_device()->device().image();
        ModalAnswerer boxes(answer);
        FileDialogAnswerer files(file);
        if (!window)
            QTest::mouseClick(ui.connectBtn, Qt::LeftButton);
        const bool closed = window ? view.close() : !view.link().is_open();
        const bool kept = !closed && view.link().offline_changed() &&
                          view.active_transport() == DeviceLink::Transport::Offline &&
                          view.link().offline_device()->device().image() == before;
        const char *state = !idle() ? "busy" : closed ? "closed" : kept ? "kept" : "lost";
        return QStringLiteral("%1, %2 file dialogs, %3")
            .arg(boxes.texts.join('|'))
            .arg(files.titles.size())
            .arg(state);
    };

    // An exported file of a real (simulated) device is the starting point.
    ui.eradioBtn->click();
    QVERIFY(m_s.connect_link());
    const QString original = m_s.path(QStringLiteral("show.txt"));
    QVERIFY(export_to(original));
    QTest::mouseClick(ui.connectBtn, Qt::LeftButton);
    QVERIFY(!view.link().is_open());
    m_s.sim->clear_frame_log();
    QVERIFY(go_offline(QMessageBox::Open, original));
    QVERIFY(m_s.sim->frame_log().isEmpty()); // the real device hears nothing
    QVERIFY(view.windowTitle().endsWith(QStringLiteral(" - Offline: show.txt")));
    // Loaded as an import loads it: exported again at once, nothing differs.
    QVERIFY(export_to(m_s.path(QStringLiteral("again.txt"))));
    QCOMPARE(changed_lines(original, m_s.path(QStringLiteral("again.txt"))),
             (QMap<int, QPair<int, int>>{}));

    // A window rectangle, through its size dialog.
    const int mode = device_data.cur_mul_mode;
    const int x = device_data.mode_data[mode].win_out[0].x, new_x = x == 0 ? 8 : x - 1;
    trimmingDlg &trim = view.trimming_dialog();
    when_shown(&trim, [&] {
        trim.form().outxEdit->setText(QString::number(new_x));
        QTest::mouseClick(trim.form().pushButton, Qt::LeftButton);
        trim.reject();
    });
    view.mul_trimming_wins(0);
    // An output port's rectangle, on the output page.
    QTest::mouseClick(ui.outBtn, Qt::LeftButton);
    QTest::mouseClick(ui.btn_outA_dvi2, Qt::LeftButton);
    const int port_x = ui.outputEdit_x->text().toInt(), new_port_x = port_x == 0 ? 4 : port_x - 1;
    ui.outputEdit_x->setText(QString::number(new_port_x));
    QTest::mouseClick(ui.pushBtn_set, Qt::LeftButton);
    // A picture value: InA brightness on the input page.
    QTest::mouseClick(ui.inputBtn, Qt::LeftButton);
    const int brightness = ui.inAspinLDBox->value(), new_brightness = brightness == 40 ? 41 : 40;
    ui.inAspinLDBox->setValue(new_brightness);
    QTest::mouseClick(ui.inALDButton, Qt::LeftButton);

    const QString edited = m_s.path(QStringLiteral("edited.txt"));
    QVERIFY(export_to(edited) && !view.link().offline_changed());
    // 24 lines per mode and index after line 426: win_in, win_out, then the
    // port's led_in_rect and led_out_rect of OutA, then of OutB.
    QCOMPARE(changed_lines(original, edited),
             (QMap<int, QPair<int, int>>{
                 {0, {brightness, new_brightness}},
                 {426 + 96 * mode + 4, {x, new_x}},
                 {426 + 96 * device_data.cur_out_mode + 36, {port_x, new_port_x}}}));
    // Exported: the link closes without a question.
    QCOMPARE(close_offline(false, QMessageBox::Cancel), QStringLiteral(", 0 file dialogs, closed"));
    QVERIFY(!view.windowTitle().contains(QStringLiteral("Offline")));

    // Cancelled, or its file dialog cancelled: nothing opens.
    ui.cradioBtn->click();
    QVERIFY(!go_offline(QMessageBox::Cancel) && !go_offline(QMessageBox::Open, QString()));
    QVERIFY(go_offline(QMessageBox::RestoreDefaults));
    QVERIFY(view.windowTitle().endsWith(QStringLiteral("离线：出厂设置")));
    QVERIFY(view.link().offline_device()->device().image() == sim::SimImage::factory());
    // The factory layout: mode 0, one window filling the canvas.
    QVERIFY(ui.stackedWidget->currentIndex() == TesselView::kPageMultiWindow &&
            device_data.cur_mul_mode == 0);
    QCOMPARE(device_data.mode_data[0].win_out[0], (DevRect{0, 0, 1920, 1080}));
    const DevRect &shown = device_data.mode_data[0].win_canvas[0];
    QVERIFY(view.window_item(0, 0));
    QCOMPARE(view.window_item(0, 0)->geometry(), QRect(shown.x, shown.y, shown.w, shown.h));
    for (int w = 1; w < kWindowCount; ++w)
        QVERIFY(!view.window_item(0, w));

    // Reading is not changing: pages that only read leave nothing to export.
    ui.eradioBtn->click();
    QTest::mouseClick(ui.inputBtn, Qt::LeftButton);
    QVERIFY(!view.link().offline_changed());
    ui.inAspinLDBox->setValue(33);
    QTest::mouseClick(ui.inALDButton, Qt::LeftButton);
    QVERIFY(view.link().offline_changed());
    const QString asked = QStringLiteral(
        "The offline configuration has changes that were not exported. Export them first?, ");
    QCOMPARE(close_offline(false, QMessageBox::Cancel), asked + "0 file dialogs, kept");
    // Yes, and the export's file dialog cancelled.
    QCOMPARE(close_offline(false, QMessageBox::Yes), asked + "1 file dialogs, kept");
    QCOMPARE(close_offline(true, QMessageBox::Cancel), asked + "0 file dialogs, kept");
    // A device chosen in the search asks the same before it replaces the session.
    {
        const sim::SimImage before = view.link().offline_device()->device().image();
        ModalAnswerer boxes(QMessageBox::Cancel);
        FoundDevice found;
        found.link = DeviceLink::Transport::Network;
        found.where = QStringLiteral("127.0.0.1");
        found.device_id = 1;
        view.connect_found_device(found);
        QCOMPARE(boxes.texts.join('|') + ", ", asked);
        QVERIFY(view.active_transport() == DeviceLink::Transport::Offline &&
                view.link().offline_device()->device().image() == before);
    }
    const QString out = m_s.path(QStringLiteral("out.txt"));
    QCOMPARE(close_offline(false, QMessageBox::Yes, out), asked + "1 file dialogs, closed");
    QCOMPARE(file_values(out)[0], 33);

    // A resolution change restarts the device inside the program: it is read
    // anew and the session goes on, with the change still to export.
    QVERIFY(go_offline(QMessageBox::RestoreDefaults));
    QTest::mouseClick(ui.outBtn, Qt::LeftButton);
    ui.formatBox->setCurrentIndex(0);
    {
        ModalAnswerer boxes(QMessageBox::Yes);
        emit ui.formatBox->activated(0);
        QTest::mouseClick(ui.btn_dpi, Qt::LeftButton);
        QCOMPARE(boxes.texts.size(), 1); // the question only, no "Please restart"
    }
    QVERIFY(view.link().offline_changed() && view.isEnabled());
    QCOMPARE(device_data.out_format, view.link().offline_device()->device().image().out_format);
    QVERIFY(device_data.out_format != 6);
    QCOMPARE(close_offline(true, QMessageBox::No), asked + "0 file dialogs, closed");
}

QTEST_MAIN(TestOffline)
#include "tst_offline.moc"
