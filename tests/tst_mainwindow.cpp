// The main window: its form, the fixed size and icon, the language switch
// and the page buttons without a link.

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMimeData>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

#include "app/tesselview.h"
#include "device/device_data.h"

namespace {

const QString kChineseTitle = QStringLiteral("Tessel-4K2K多窗口操控软件(V1.03)");
const QString kEnglishTitle = QStringLiteral("Tessel-4K2K Multi-window control software(V1.03)");

// The caption a widget shows: the title of a group box, else its text.
QString caption_of(const QWidget *widget)
{
    if (auto *box = qobject_cast<const QGroupBox *>(widget))
        return box->title();
    if (auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    if (auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    return QString();
}

QStringList combo_items(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

// Untouched records: a read-back would have reset them (four layers per mode,
// input adjustment 50) before anything else.
void verify_records_untouched()
{
    QVERIFY(device_data.mode_data[0].win_layers.isEmpty());
    QCOMPARE(device_data.in_adjust[0].brightness, 0);
    QCOMPARE(device_data.serial_wait_code + device_data.net_wait_code, 0);
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void starts_in_chinese();
    void captions_follow_language();
    void switch_effect_combo_is_refilled();
    void connect_button_follows_link_and_language();
    void window_is_fixed_with_icon();
    void high_mode_buttons_disabled();
    void page_button_without_link_does_nothing_data();
    void page_button_without_link_does_nothing();
    void drop_is_accepted_and_changes_nothing();

private:
    template <typename T> T *child(const char *name) const
    {
        return m_window->findChild<T *>(QLatin1String(name));
    }

    QTemporaryDir m_app_dir;
    std::unique_ptr<TesselView> m_window;
};

void TestMainWindow::initTestCase()
{
    // Keep the settings file of the run away from the build tree.
    QVERIFY(m_app_dir.isValid());
    qputenv("TESSEL_APP_DIR", m_app_dir.path().toLocal8Bit());
}

void TestMainWindow::init()
{
    device_data = DeviceData();
    m_window = std::make_unique<TesselView>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestMainWindow::cleanup()
{
    m_window.reset();
    device_data = DeviceData();
}

void TestMainWindow::starts_in_chinese()
{
    QCOMPARE(device_data.lang_english, uint8_t(0));
    QVERIFY(child<QRadioButton>("cradioBtn")->isChecked());
    QVERIFY(!child<QRadioButton>("eradioBtn")->isChecked());
    QCOMPARE(m_window->windowTitle(), kChineseTitle);
    QCOMPARE(child<QTreeWidget>("treeWidget")->columnCount(), 1);
    QCOMPARE(child<QTreeWidget>("treeWidget")->headerItem()->text(0),
             QStringLiteral("窗口(右键切换信号源)"));
    QCOMPARE(child<QPushButton>("connectBtn")->text(), QStringLiteral("连接"));
    QCOMPARE(child<QLabel>("label_4")->text(), QStringLiteral("切换效果"));
    QCOMPARE(child<QStackedWidget>("stackedWidget")->currentIndex(), 1);
}

// A sample of the fixed captions, from the top bar and every page, in both
// languages; the tricky ones use different words in each.
void TestMainWindow::captions_follow_language()
{
    const struct {
        const char *name, *english, *chinese;
    } captions[] = {
        {"pushBtn_LD", "Output Brightness", "输出亮度"},
        {"lauBox", "语言(Language)", "语言(Language)"},
        {"getBtn", "Getting", "获取"},
        {"inCBox", "Input card: InC signal selection", "输入卡：InC信号切换"},
        {"inACloseradioBtn", "Off", "关"},
        {"copyBtn_mul", "Duplicate", "模式复制"},
        {"btn_dpi", "Setting", "保存"},
        {"groupBox_8", "Manual stitching", "手动拼接"},
        {"ylabel", "Unit V_Start", "单元屏垂直起始"},
    };
    auto *cradio = child<QRadioButton>("cradioBtn");
    auto *eradio = child<QRadioButton>("eradioBtn");
    const auto verify = [&](bool english) {
        for (const auto &c : captions) {
            auto *widget = m_window->findChild<QWidget *>(QLatin1String(c.name));
            QVERIFY2(widget, c.name);
            QCOMPARE(caption_of(widget), QString::fromUtf8(english ? c.english : c.chinese));
        }
        QCOMPARE(m_window->windowTitle(), english ? kEnglishTitle : kChineseTitle);
        QCOMPARE(child<QTreeWidget>("treeWidget")->headerItem()->text(0),
                 english ? QStringLiteral("WINS(Right click switch)")
                         : QStringLiteral("窗口(右键切换信号源)"));
    };

    QTest::mouseClick(eradio, Qt::LeftButton);
    QCOMPARE(device_data.lang_english, uint8_t(1));
    verify(true);
    QTest::mouseClick(cradio, Qt::LeftButton);
    QCOMPARE(device_data.lang_english, uint8_t(0));
    verify(false);
}

void TestMainWindow::switch_effect_combo_is_refilled()
{
    const QStringList english{"Cut", "Fade 1s", "Fade 2s", "Fade 3s"};
    const QStringList chinese{QStringLiteral("无缝切换"), QStringLiteral("淡入淡出1s"),
                              QStringLiteral("淡入淡出2s"), QStringLiteral("淡入淡出3s")};
    auto *combo = child<QComboBox>("comboBox");

    QCOMPARE(combo_items(combo), chinese);
    combo->setCurrentIndex(2);
    device_data.switch_effect = 2;

    QTest::mouseClick(child<QRadioButton>("eradioBtn"), Qt::LeftButton);
    QCOMPARE(combo_items(combo), english);
    QCOMPARE(combo->currentIndex(), 0);
    QCOMPARE(device_data.switch_effect, 2); // the record is left alone

    combo->setCurrentIndex(3);
    QTest::mouseClick(child<QRadioButton>("cradioBtn"), Qt::LeftButton);
    QCOMPARE(combo_items(combo), chinese);
    QCOMPARE(combo->currentIndex(), 0);
}

void TestMainWindow::connect_button_follows_link_and_language()
{
    auto *button = child<QPushButton>("connectBtn");
    device_data.net_open = 1;
    m_window->set_connect_button_text();
    QCOMPARE(button->text(), QStringLiteral("断开连接"));
    m_window->select_english();
    QCOMPARE(button->text(), QStringLiteral("Disconnect"));

    device_data.net_open = 0;
    device_data.serial_open = 1;
    m_window->set_connect_button_text();
    QCOMPARE(button->text(), QStringLiteral("Disconnect"));

    device_data.serial_open = 0;
    m_window->set_connect_button_text();
    QCOMPARE(button->text(), QStringLiteral("Connect"));
    m_window->select_chinese();
    QCOMPARE(button->text(), QStringLiteral("连接"));
}

void TestMainWindow::window_is_fixed_with_icon()
{
    const QSize fixed(1225, 690);
    QCOMPARE(m_window->minimumSize(), fixed);
    QCOMPARE(m_window->maximumSize(), fixed);
    QCOMPARE(m_window->size(), fixed);
    // A QIcon of a missing file is not "null", so ask for an actual image: the
    // icon is found only when the resources of tessel_core are initialised.
    const QIcon icon = m_window->windowIcon();
    QVERIFY(!icon.isNull());
    QVERIFY(!icon.availableSizes().isEmpty());
    QVERIFY(!icon.pixmap(32, 32).isNull());

    auto *frame = child<QFrame>("frame");
    QCOMPARE(frame->pos(), QPoint(5, 30));
    QCOMPARE(frame->minimumSize(), QSize(815, 548));
    QCOMPARE(frame->maximumSize(), QSize(815, 548));
    QCOMPARE(child<QLineEdit>("lineEdit_port")->text(), QStringLiteral("7"));
}

void TestMainWindow::high_mode_buttons_disabled()
{
    for (int mode = 13; mode < 16; ++mode) {
        for (const QString &name : {QStringLiteral("m%1Btn"), QStringLiteral("m%1Btn_out")}) {
            auto *button = m_window->findChild<QPushButton *>(name.arg(mode));
            QVERIFY(button);
            QVERIFY2(!button->isEnabled(), qPrintable(name.arg(mode)));
        }
    }
}

void TestMainWindow::page_button_without_link_does_nothing_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("inputBtn") << QStringLiteral("inputBtn");
    QTest::newRow("winsetBtn") << QStringLiteral("winsetBtn");
    QTest::newRow("outBtn") << QStringLiteral("outBtn");
}

void TestMainWindow::page_button_without_link_does_nothing()
{
    QFETCH(QString, button);

    auto *stack = child<QStackedWidget>("stackedWidget");
    QCOMPARE(stack->currentIndex(), 1);
    QTest::mouseClick(m_window->findChild<QPushButton *>(button), Qt::LeftButton);
    QCOMPARE(stack->currentIndex(), 1);
    QVERIFY(m_window->isEnabled());
    verify_records_untouched();
}

void TestMainWindow::drop_is_accepted_and_changes_nothing()
{
    QVERIFY(m_window->acceptDrops());
    auto *stack = child<QStackedWidget>("stackedWidget");
    const QString title = m_window->windowTitle();

    // Dropped on the top bar, outside any canvas: the event reaches the window.
    auto *target = child<QPushButton>("cmclBtn");
    QMimeData mime;
    mime.setText(QStringLiteral("WIN1"));
    const QPoint pos = target->rect().center();

    QDragEnterEvent enter(pos, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QCOMPARE(enter.dropAction(), enter.proposedAction());

    QDropEvent drop(QPointF(pos), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                    Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);

    QCOMPARE(stack->currentIndex(), 1);
    QCOMPARE(m_window->windowTitle(), title);
    QVERIFY(m_window->isEnabled());
    verify_records_untouched();
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
