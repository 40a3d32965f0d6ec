// The import preview against the simulated device: a backup edited by hand
// shows exactly its edits, Cancel and a refused file send nothing but reads and
// leave the records, Import sends the upload chain, Compare never imports.

#include <QFile>
#include <QtTest>

#include "device/codec.h"
#include "import_preview_answerer.h"
#include "maintenance/maintenance_codec.h"
#include "support/file_dialog_answerer.h"
#include "support/modal_answerer.h"
#include "support/sim_session.h"

namespace {

// Three hand edits of a backup of the demo device, one per area.
const QMap<int, QByteArray> kEdits{
    {12, "55"},  // InB contrast, 73 on the device
    {341, "140"}, // OutA DVI-2 grey red, 12
    {742, "0"},  // M3 WIN2 output x, 120
};
const QStringList kEditedAreas{"Input cards (1)", "Display modes (1)",
                               "Output modes and ports (1)"};
const QStringList kEditedRows{
    "InB · picture · contrast | 73 | 55",
    "M3 · WIN2 · output rectangle | (120, 80, 1656, 936) | (0, 80, 1656, 936)",
    "OutA DVI-2 · grey level red | 12 | 140",
};

// Replaces whole lines of a text file, as an operator's editor would.
bool edit_lines(const QString &path, const QMap<int, QByteArray> &edits)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QList<QByteArray> lines = file.readAll().split('\n');
    file.close();
    for (auto it = edits.begin(); it != edits.end(); ++it) {
        if (it.key() >= lines.size())
            return false;
        lines[it.key()] = it.value();
    }
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(lines.join('\n')) > 0;
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

    void edited_backup_compared_and_cancelled();
    void import_sends_the_chain();
    void other_resolution_refused();
    void silent_device_during_the_read();

private:
    bool start_connected(bool serial);
    // A file of the device's values as they are now, with edits.
    QString device_file(const QString &name, const QMap<int, QByteArray> &edits);
    PreviewSeen run_preview(QPushButton *button, const QString &file, bool import);

    SimSession m_s;
};

bool TestImportPreview::start_connected(bool serial)
{
    if (!m_s.start(serial) || !m_s.connect_link())
        return false;
    m_s.view->form().eradioBtn->click();
    return true;
}

QString TestImportPreview::device_file(const QString &name, const QMap<int, QByteArray> &edits)
{
    const std::optional<codec::ConfigValues> values = m_s.view->read_configuration();
    const QString path = m_s.path(name);
    QFile file(path);
    if (!values || !file.open(QIODevice::WriteOnly) ||
        file.write(codec::write_config_file(*values)) <= 0)
        return QString();
    file.close();
    return edit_lines(path, edits) ? path : QString();
}

PreviewSeen TestImportPreview::run_preview(QPushButton *button, const QString &file, bool import)
{
    PreviewAnswerer preview(import);
    FileDialogAnswerer files(file);
    QTest::mouseClick(button, Qt::LeftButton);
    return preview.seen.value(0);
}

void TestImportPreview::edited_backup_compared_and_cancelled()
{
    if (!start_connected(true))
        QSKIP("no pseudo-terminal here");
    auto &ui = m_s.view->form();
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
    QVERIFY(edit_lines(file, kEdits));

    const sim::SimImage device = m_s.sim->image();
    const QVector<int32_t> records = record_state();
    m_s.sim->clear_frame_log();

    const PreviewSeen compared = run_preview(ui.compareBtn, file, true);
    QCOMPARE(compared.title, QStringLiteral("Compare"));
    QVERIFY(!compared.import_shown);
    QCOMPARE(compared.areas, kEditedAreas);
    QCOMPARE(compared.rows, kEditedRows);

    const PreviewSeen cancelled = run_preview(ui.importBtn, file, false);
    QCOMPARE(cancelled.title, QStringLiteral("Reminder"));
    QCOMPARE(cancelled.question, QStringLiteral("Whether to import data to the device?"));
    QVERIFY(cancelled.import_shown && cancelled.import_enabled);
    QVERIFY(cancelled.hint.isEmpty());
    QCOMPARE(cancelled.rows, kEditedRows);

    // Both read the device in full, and that is all they sent.
    QVERIFY(m_s.written_commands().isEmpty());
    QCOMPARE(m_s.sim->frame_log().size(), 2 * 38);
    QCOMPARE(record_state(), records);
    QCOMPARE(m_s.sim->image().to_json(), device.to_json());
    QVERIFY(m_s.view->isEnabled() && !m_s.view->busy_dialog());
}

void TestImportPreview::import_sends_the_chain()
{
    if (!start_connected(true))
        QSKIP("no pseudo-terminal here");
    auto &ui = m_s.view->form();
    const QString file = device_file(QStringLiteral("edited.txt"), kEdits);
    QVERIFY(!file.isEmpty());
    m_s.sim->clear_frame_log();

    const PreviewSeen imported = run_preview(ui.importBtn, file, true);
    QCOMPARE(imported.rows, kEditedRows);
    QTRY_VERIFY_WITH_TIMEOUT(!m_s.view->busy_dialog(), 60000);
    QVERIFY(m_s.view->isEnabled());

    QList<int> chain{proto::kCmdImportInput, proto::kCmdImportGlobal};
    for (int mode = 0; mode < kModeCount; ++mode)
        chain << proto::kCmdImportMode;
    chain << proto::kCmdImportEnd;
    QCOMPARE(m_s.written_commands(), chain);
    const sim::SimImage &device = m_s.sim->image();
    QCOMPARE(device.in_adjust[1].contrast, 55);
    QCOMPARE(device.port_quality[0][1][1], 140);
    QCOMPARE(device.mode_data[3].win_out[1].x, 0);
    QCOMPARE(device.mode_data[3].win_out[1].w, 1656);

    // The device now holds the file: nothing left to change.
    const PreviewSeen again = run_preview(ui.compareBtn, file, false);
    QCOMPARE(again.areas, QStringList{QStringLiteral("No changes")});
    QVERIFY(again.rows.isEmpty());
}

void TestImportPreview::other_resolution_refused()
{
    if (!start_connected(false))
        QSKIP("no network link here");
    auto &ui = m_s.view->form();
    ui.cradioBtn->click();
    // The device runs 1920x1080@60Hz (code 6); the file was made at 1440x1440.
    const QString file = device_file(QStringLiteral("other.txt"), {{1999, "1"}, {12, "55"}});
    QVERIFY(!file.isEmpty());
    const QVector<int32_t> records = record_state();
    m_s.sim->clear_frame_log();

    const PreviewSeen refused = run_preview(ui.importBtn, file, true);
    QCOMPARE(refused.question, QStringLiteral("是否将数据导入至设备?"));
    QCOMPARE(refused.hint, QStringLiteral("请先将分辨率切换至1440x1440！！"));
    QVERIFY(refused.import_shown && !refused.import_enabled);
    QCOMPARE(refused.areas, (QStringList{"输入卡 (1)", "分辨率 (1)"}));
    QCOMPARE(refused.rows.last(),
             QStringLiteral("输出分辨率 | 1920x1080@60Hz | 1440x1440@60Hz"));

    QVERIFY(m_s.written_commands().isEmpty());
    QCOMPARE(record_state(), records);
    QVERIFY(m_s.view->isEnabled() && !m_s.view->busy_dialog());
}

void TestImportPreview::silent_device_during_the_read()
{
    if (!start_connected(true))
        QSKIP("no pseudo-terminal here");
    auto &ui = m_s.view->form();
    const QString file = device_file(QStringLiteral("same.txt"), {});
    QVERIFY(!file.isEmpty());
    const QVector<int32_t> records = record_state();
    m_s.sim->faults().mute_reads.insert(proto::kSelLedRects);
    m_s.sim->clear_frame_log();

    ModalAnswerer boxes(QMessageBox::Ok);
    const PreviewSeen none = run_preview(ui.importBtn, file, true);
    // No comparison against what could not be read: a message instead, and no preview.
    QVERIFY(none.title.isEmpty());
    QCOMPARE(boxes.texts, QStringList{QStringLiteral("The device did not respond!!")});
    QVERIFY(m_s.written_commands().isEmpty());
    QCOMPARE(record_state(), records);
    QVERIFY(m_s.view->isEnabled() && !m_s.view->busy_dialog());
    QCOMPARE(device_data.serial_open, uint8_t(1));
}

QTEST_MAIN(TestImportPreview)
#include "tst_import_preview.moc"
