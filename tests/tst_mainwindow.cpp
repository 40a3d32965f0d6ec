// The main window without a link: the language switch, the fixed size and
// icon, and page buttons and drops that must change nothing.

#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

#include "app/tesselview.h"
#include "device/device_data.h"

class TestMainWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_app_dir; // keeps the settings file away from the build tree
    TesselView *m_view = nullptr;

private slots:
    void init()
    {
        qputenv("TESSEL_APP_DIR", m_app_dir.path().toLocal8Bit());
        device_data = DeviceData();
        m_view = new TesselView;
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view));
    }
    void cleanup() { delete m_view; }

    void language_switch()
    {
        auto &ui = m_view->form();
        // Refilling the effects makes the first one current; the record stays.
        const auto check = [&](uint8_t english, const QStringList &expected) {
            QStringList texts{m_view->windowTitle(), ui.treeWidget->headerItem()->text(0),
                              ui.connectBtn->text()};
            for (int i = 0; i < ui.comboBox->count(); ++i)
                texts << ui.comboBox->itemText(i);
            QCOMPARE(texts, expected);
            QCOMPARE(device_data.lang_english, english);
            QCOMPARE(ui.cradioBtn->isChecked(), !english);
            QCOMPARE(ui.comboBox->currentIndex(), 0);
            QCOMPARE(device_data.switch_effect, 2);
        };
        device_data.switch_effect = 2;
        check(0, {"Tessel-4K2K多窗口操控软件(V1.03)", "窗口(右键切换信号源)", "连接", "无缝切换",
                  "淡入淡出1s", "淡入淡出2s", "淡入淡出3s"});
        ui.comboBox->setCurrentIndex(2);
        QTest::mouseClick(ui.eradioBtn, Qt::LeftButton);
        check(1, {"Tessel-4K2K Multi-window control software(V1.03)", "WINS(Right click switch)",
                  "Connect", "Cut", "Fade 1s", "Fade 2s", "Fade 3s"});

        // The connect button follows the link in either language.
        device_data.serial_open = 1;
        m_view->set_connect_button_text();
        QCOMPARE(ui.connectBtn->text(), QStringLiteral("Disconnect"));
        ui.comboBox->setCurrentIndex(3);
        QTest::mouseClick(ui.cradioBtn, Qt::LeftButton);
        check(0, {"Tessel-4K2K多窗口操控软件(V1.03)", "窗口(右键切换信号源)", "断开连接",
                  "无缝切换", "淡入淡出1s", "淡入淡出2s", "淡入淡出3s"});
        device_data.serial_open = 0;
    }

    void fixed_window_ignores_page_buttons_and_drops_without_link()
    {
        QCOMPARE(m_view->minimumSize(), QSize(1225, 690));
        QCOMPARE(m_view->maximumSize(), QSize(1225, 690));
        // A QIcon of a missing file is not "null": ask for an actual image. It is
        // found only when the resources of the static core library are initialised.
        QVERIFY(!m_view->windowIcon().pixmap(32, 32).isNull());

        auto &ui = m_view->form();
        for (QPushButton *page : {ui.inputBtn, ui.winsetBtn, ui.outBtn})
            QTest::mouseClick(page, Qt::LeftButton);
        // Dropped on the top bar, outside any canvas: the event reaches the window.
        QMimeData mime;
        mime.setText(QStringLiteral("WIN1"));
        const QPoint pos = ui.cmclBtn->rect().center();
        const auto actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(pos, actions, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(ui.cmclBtn, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(pos), actions, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(ui.cmclBtn, &drop);

        QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageCommunication));
        QVERIFY(m_view->isEnabled());
        // A read-back would have reset the records (four layers per mode, input
        // adjustment 50) before anything else.
        QVERIFY(device_data.mode_data[0].win_layers.isEmpty());
        QCOMPARE(device_data.in_adjust[0].brightness, 0);
        QCOMPARE(device_data.serial_wait_code + device_data.net_wait_code, 0);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
