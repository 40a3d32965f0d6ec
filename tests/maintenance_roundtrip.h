#pragma once

// Back up a device, initialize it, restore the file: the device ends where it
// started in every field the file carries. With the real waits this takes
// about a minute per link, so each link is its own test executable.

#include <QFile>

#include "device/codec.h"
#include "maintenance_session.h"
#include "support/file_dialog_answerer.h"
#include "support/modal_answerer.h"

inline void run_round_trip(bool serial)
{
    SimSession s;
    if (!s.start(serial))
        QSKIP("this link cannot be offered here");
    QVERIFY(s.connect_link());
    auto &ui = s.view->form();

    // What the operator has looked at before: the input cards (Video Input page)
    // and the window picture values and borders (window attribute dialog).
    ui.inputBtn->click();
    QCOMPARE(s.view->direct_read(proto::kReadWinAdjust, 0), proto::kWinAdjustReplyLength);
    QVERIFY(codec::decode_win_adjust(s.view->rx_reply(), device_data));
    QCOMPARE(s.view->direct_read(proto::kReadWinBorders, 0), proto::kWinBordersReplyLength);
    QVERIFY(codec::decode_win_borders(s.view->rx_reply(), device_data));
    const sim::SimImage original = s.sim->image();

    // Export.
    const QString file = s.path(QStringLiteral("backup.txt"));
    {
        FileDialogAnswerer files(file);
        ProgressWatcher progress(s.view.get());
        QTest::mouseClick(ui.exportBtn, Qt::LeftButton);
        QCOMPARE(files.titles, QStringList{QStringLiteral("Export File")});
        QCOMPARE(files.filters, QStringList{QStringLiteral("Files(*.txt)")});
        QCOMPARE(progress.seen.first(), QStringLiteral("1 / 32"));
        QCOMPARE(progress.seen.last(), QStringLiteral("32 / 32"));
        QVERIFY(progress.seen.size() > 16);
    }
    QTRY_VERIFY(!s.view->busy_dialog());
    QVERIFY(s.view->isEnabled());
    QFile exported(file);
    QVERIFY(exported.open(QIODevice::ReadOnly));
    const QByteArray text = exported.readAll();
    QCOMPARE(text.count('\n'), 2000);
    const codec::ConfigValues values = codec::read_config_file(text);
    // Spot checks against the device itself; the restore below checks the rest.
    QCOMPARE(values[0], original.in_adjust[0].brightness);
    QCOMPARE(values[37], 0);
    QCOMPARE(values[1999], original.out_format);
    QCOMPARE(values[1961], original.mode_data[15].led_out_rect[1][3].h);

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
    QVERIFY(!carried_difference(original, s.sim->image()).isEmpty());

    // Restore.
    QVERIFY(s.connect_link());
    s.sim->clear_frame_log();
    {
        ModalAnswerer boxes(QMessageBox::Yes);
        FileDialogAnswerer files(file);
        ProgressWatcher progress(s.view.get());
        QTest::mouseClick(ui.importBtn, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!s.view->busy_dialog(), 60000);
        QCOMPARE(files.titles, QStringList{QStringLiteral("Import File")});
        QCOMPARE(boxes.texts, QStringList{QStringLiteral("是否将数据导入至设备?")});
        // On the network the chain outruns the sampling; the end is always seen.
        QCOMPARE(progress.seen.last(), QStringLiteral("19 / 19"));
    }
    QVERIFY(s.view->isEnabled());
    QList<int> chain{192, 193};
    for (int m = 0; m < kModeCount; ++m)
        chain.append(194);
    chain.append(195);
    QCOMPARE(s.written_commands(), chain);
    const QString difference = carried_difference(original, s.sim->image());
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    // The read-back after the import shows the restored device.
    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageMultiWindow));
    QCOMPARE(device_data.switch_effect, original.switch_effect);
    QCOMPARE(device_data.mode_data[5].layer_code, original.mode_data[5].layer_code);
}
