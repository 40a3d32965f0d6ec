// The main window without a link: the language switch, the fixed size and
// icon, and page buttons and drops that must change nothing.

#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "app/tesselview.h"
#include "device/device_data.h"

namespace {

const QString kChineseTitle = QStringLiteral("Tessel-4K2K多窗口操控软件(V1.03)");
const QString kEnglishTitle = QStringLiteral("Tessel-4K2K Multi-window control software(V1.03)");

QStringList combo_items(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_view.reset(); }

    void language_switch();
    void window_is_fixed_with_icon();
    void without_link_page_buttons_and_drops_change_nothing();

private:
    QTemporaryDir m_app_dir; // keeps the settings file away from the build tree
    std::unique_ptr<TesselView> m_view;
};

void TestMainWindow::init()
{
    qputenv("TESSEL_APP_DIR", m_app_dir.path().toLocal8Bit());
    device_data = DeviceData();
    m_view = std::make_unique<TesselView>();
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

// The texts the switch builds itself, and a fixed caption of a page.
void TestMainWindow::language_switch()
{
    auto &ui = m_view->form();
    const QStringList english_effects{"Cut", "Fade 1s", "Fade 2s", "Fade 3s"};
    const QStringList chinese_effects{QStringLiteral("无缝切换"), QStringLiteral("淡入淡出1s"),
                                      QStringLiteral("淡入淡出2s"), QStringLiteral("淡入淡出3s")};
    const auto verify = [&](bool english, const char *connect) {
        QCOMPARE(device_data.lang_english, uint8_t(english));
        QCOMPARE(m_view->windowTitle(), english ? kEnglishTitle : kChineseTitle);
        QCOMPARE(ui.treeWidget->headerItem()->text(0),
                 english ? QStringLiteral("WINS(Right click switch)")
                         : QStringLiteral("窗口(右键切换信号源)"));
        // Refilled: the selection goes back to the first row, the record stays.
        QCOMPARE(combo_items(ui.comboBox), english ? english_effects : chinese_effects);
        QCOMPARE(ui.comboBox->currentIndex(), 0);
        QCOMPARE(device_data.switch_effect, 2);
        QCOMPARE(ui.connectBtn->text(), QString::fromUtf8(connect));
    };
    QVERIFY(ui.cradioBtn->isChecked());
    QCOMPARE(m_view->windowTitle(), kChineseTitle);
    QCOMPARE(ui.connectBtn->text(), QStringLiteral("连接"));
    device_data.switch_effect = 2;
    ui.comboBox->setCurrentIndex(2);
    QTest::mouseClick(ui.eradioBtn, Qt::LeftButton);
    verify(true, "Connect");

    // The connect button follows the link in either language.
    device_data.serial_open = 1;
    m_view->set_connect_button_text();
    QCOMPARE(ui.connectBtn->text(), QStringLiteral("Disconnect"));
    ui.comboBox->setCurrentIndex(3);
    QTest::mouseClick(ui.cradioBtn, Qt::LeftButton);
    verify(false, "断开连接");
    device_data.serial_open = 0;
}

void TestMainWindow::window_is_fixed_with_icon()
{
    QCOMPARE(m_view->minimumSize(), QSize(1225, 690));
    QCOMPARE(m_view->maximumSize(), QSize(1225, 690));
    // A QIcon of a missing file is not "null": ask for an actual image. It is
    // found only when the resources of the static core library are initialised.
    QVERIFY(!m_view->windowIcon().pixmap(32, 32).isNull());
}

void TestMainWindow::without_link_page_buttons_and_drops_change_nothing()
{
    auto &ui = m_view->form();
    for (QPushButton *page : {ui.inputBtn, ui.winsetBtn, ui.outBtn})
        QTest::mouseClick(page, Qt::LeftButton);
    // Dropped on the top bar, outside any canvas: the event reaches the window.
    QWidget *target = ui.cmclBtn;
    QMimeData mime;
    mime.setText(QStringLiteral("WIN1"));
    const QPoint pos = target->rect().center();
    QDragEnterEvent enter(pos, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(pos), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                    Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);

    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageCommunication));
    QVERIFY(m_view->isEnabled());
    // A read-back would have reset the records (four layers per mode, input
    // adjustment 50) before anything else.
    QVERIFY(device_data.mode_data[0].win_layers.isEmpty());
    QCOMPARE(device_data.in_adjust[0].brightness, 0);
    QCOMPARE(device_data.serial_wait_code + device_data.net_wait_code, 0);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
