// The import preview against the simulated device: a backup edited by hand shows exactly its
// edits; Cancel, a silent device and a refused file send nothing but reads and leave the
// records; Import sends the upload chain; Compare never imports.

#include <QtTest>

#include "import_preview_answerer.h"
#include "support/file_dialog_answerer.h"
#include "support/modal_answerer.h"
#include "support/sim_session.h"

namespace {

// Sets lines of a configuration file: pairs of line number and value.
bool edit_lines(const QString &path, std::initializer_list<int> pairs)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    codec::ConfigValues values = codec::read_config_file(file.readAll());
    for (auto it = pairs.begin(); it != pairs.end(); it += 2)
        values[size_t(*it)] = *(it + 1);
    return file.resize(0) && file.seek(0) && file.write(codec::write_config_file(values)) > 0;
}

// What an import must not touch when it stops: every value the file carries
// and the resolution the check compares.
QVector<int32_t> record_state()
{
    const codec::ConfigValues v = codec::export_values(device_data);
    QVector<int32_t> state(v.begin(), v.end());
    state << device_data.out_format << device_data.custom_res_w << device_data.custom_res_h;
    return state;
}

} // namespace

class TestImportPreview : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { m_s.stop(); }
    void preview_and_import();

private:
    SimSession m_s;
};

void TestImportPreview::preview_and_import()
{
    if (!m_s.start(true) || !m_s.connect_link())
        QSKIP("no pseudo-terminal here");
    auto &ui = m_s.view->form();
    ui.eradioBtn->click();
    const auto run_preview = [](QPushButton *button, const QString &file, bool import) {
        PreviewAnswerer preview(import);
        FileDialogAnswerer files(file);
        QTest::mouseClick(button, Qt::LeftButton);
        return preview.seen.value(0);
    };
    // Nothing written, the records as they were and the window usable again.
    const auto untouched = [this](const QVector<int32_t> &records) {
        return m_s.written_commands().isEmpty() && record_state() == records &&
               m_s.view->isEnabled() && !m_s.view->busy_dialog();
    };
    QCOMPARE(ui.compareBtn->text(), QStringLiteral("Compare"));

    // The records the export writes from: what an operator has looked at.
    ui.inputBtn->click();
    m_s.view->read_window_attributes();
    const QString file = m_s.path(QStringLiteral("show.txt"));
    {
        FileDialogAnswerer files(file);
        QTest::mouseClick(ui.exportBtn, Qt::LeftButton);
    }
    QTRY_VERIFY(!m_s.view->busy_dialog());
    // Three hand edits, one per area: InB contrast (73 on the device), OutA
    // DVI-2 grey red (12), M3 WIN2 output x (120).
    QVERIFY(edit_lines(file, {12, 55, 341, 140, 742, 0}));
    const QStringList edited{
        "InB · picture · contrast | 73 | 55",
        "M3 · WIN2 · output rectangle | (120, 80, 1656, 936) | (0, 80, 1656, 936)",
        "OutA DVI-2 · grey level red | 12 | 140",
    };

    const sim::SimImage device = m_s.sim->image();
    QVector<int32_t> records = record_state();
    m_s.sim->clear_frame_log();
    const PreviewSeen compared = run_preview(ui.compareBtn, file, true);
    QVERIFY(compared.title == QStringLiteral("Compare") && !compared.import_shown);
    QCOMPARE(compared.areas,
             (QStringList{"Input cards (1)", "Display modes (1)", "Output modes and ports (1)"}));
    QCOMPARE(compared.rows, edited);
    const PreviewSeen cancelled = run_preview(ui.importBtn, file, false);
    QCOMPARE(cancelled.title, QStringLiteral("Reminder"));
    QCOMPARE(cancelled.question, QStringLiteral("Whether to import data to the device?"));
    QVERIFY(cancelled.import_shown && cancelled.import_enabled && cancelled.hint.isEmpty());
    QCOMPARE(cancelled.rows, edited);
    // Both read the device in full, and that is all they sent.
    QCOMPARE(m_s.sim->frame_log().size(), 2 * 38);
    QCOMPARE(m_s.sim->image().to_json(), device.to_json());
    QVERIFY(untouched(records));

    QCOMPARE(run_preview(ui.importBtn, file, true).rows, edited);
    QTRY_VERIFY_WITH_TIMEOUT(!m_s.view->busy_dialog(), 60000);
    QVERIFY(m_s.view->isEnabled());
    QCOMPARE(m_s.written_commands(), (QList<int>{proto::kCmdImportInput, proto::kCmdImportGlobal} +
                                      QVector<int>(kModeCount, proto::kCmdImportMode).toList() +
                                      QList<int>{proto::kCmdImportEnd}));
    const sim::SimImage &now = m_s.sim->image();
    const sim::SimRect &win2 = now.mode_data[3].win_out[1];
    QVERIFY(now.in_adjust[1].contrast == 55 && now.port_quality[0][1][1] == 140);
    QVERIFY(win2.x == 0 && win2.y == 80 && win2.w == 1656 && win2.h == 936);
    // The device now holds the file: nothing left to change.
    const PreviewSeen again = run_preview(ui.compareBtn, file, false);
    QVERIFY(again.areas == QStringList{QStringLiteral("No changes")} && again.rows.isEmpty());

    // No comparison against what could not be read: a message instead, and no preview.
    records = record_state();
    m_s.sim->faults().mute_reads.insert(proto::kSelLedRects);
    m_s.sim->clear_frame_log();
    {
        ModalAnswerer boxes(QMessageBox::Ok);
        QVERIFY(run_preview(ui.importBtn, file, true).title.isEmpty());
        QCOMPARE(boxes.texts, QStringList{QStringLiteral("The device did not respond!!")});
    }
    QVERIFY(untouched(records));
    QCOMPARE(device_data.serial_open, uint8_t(1));
    m_s.sim->faults().mute_reads.clear();

    // The device runs 1920x1080@60Hz (code 6); the file was made at 1440x1440.
    ui.cradioBtn->click();
    QVERIFY(edit_lines(file, {1999, 1, 12, 60}));
    const PreviewSeen refused = run_preview(ui.importBtn, file, true);
    QCOMPARE(refused.question, QStringLiteral("是否将数据导入至设备?"));
    QCOMPARE(refused.hint, QStringLiteral("请先将分辨率切换至1440x1440！！"));
    QVERIFY(refused.import_shown && !refused.import_enabled);
    QCOMPARE(refused.areas, (QStringList{"输入卡 (1)", "分辨率 (1)"}));
    QCOMPARE(refused.rows.last(), QStringLiteral("输出分辨率 | 1920x1080@60Hz | 1440x1440@60Hz"));
    QVERIFY(untouched(records));
}

QTEST_MAIN(TestImportPreview)
#include "tst_import_preview.moc"
