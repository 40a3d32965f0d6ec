// The main window: its form, the fixed size and icon, the language switch
// and the page buttons without a link.

#include <QAbstractButton>
#include <QComboBox>
#include <QDataStream>
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

// Every field of the shared records, so that "nothing changed" can be checked.
QByteArray fingerprint(const DeviceData &d)
{
    QByteArray bytes;
    QDataStream s(&bytes, QIODevice::WriteOnly);
    const auto rect = [&s](const DevRect &r) { s << r.x << r.y << r.w << r.h; };
    const auto adjust = [&s](const Adjust &a) { s << a.brightness << a.contrast << a.colour; };

    s << d.serial_open << d.net_open << d.lang_english << d.serial_chosen;
    s.writeRawData(reinterpret_cast<const char *>(d.rx_buf), kBufferSize);
    s.writeRawData(reinterpret_cast<const char *>(d.tx_buf), kBufferSize);
    s << d.serial_wait_code << d.net_wait_code << d.serial_port_no << d.device_ip << d.device_id;
    s << d.out_rate_60hz << d.full_format_list << d.mosaic_on << d.aux_card_present;
    for (int i = 0; i < kInputCardCount; ++i)
        s << d.in_card_present[i] << d.in_signal_ok[i] << d.in_source[i];
    for (int i = 0; i < kOutputCardCount; ++i)
        s << d.out_card_present[i];
    for (int i = 0; i < 2; ++i) {
        s << d.pip_param[i] << d.in_vga[i] << d.pip_state[i];
        adjust(d.in_adjust[i]);
        rect(d.pip_rect[i].main);
        rect(d.pip_rect[i].sub);
    }
    s << d.cur_mul_mode << d.cur_out_mode << d.switch_effect << d.out_format << d.out_port_sel
      << d.out_card_sel << d.custom_res_w << d.custom_res_h;
    for (const ModeData &m : d.mode_data) {
        for (int w = 0; w < kWindowCount; ++w) {
            rect(m.win_in[w]);
            rect(m.win_out[w]);
            rect(m.win_canvas[w]);
            s << m.win_source[w] << m.win_open[w];
        }
        s << m.win_layers << m.layer_code << m.out_total_w << m.out_total_h;
        for (int c = 0; c < kOutputCardCount; ++c) {
            for (int p = 0; p < kPortCount; ++p) {
                rect(m.mosaic_rects[c][p]);
                rect(m.led_in_rect[c][p]);
                rect(m.led_out_rect[c][p]);
                rect(m.unit_rect[c][p]);
                s << m.led_screen[c * kPortCount + p];
            }
        }
        for (const SizePair &size : m.wall_size)
            s << size.w << size.h;
    }
    for (const Adjust &a : d.win_adjust)
        adjust(a);
    for (const WinFrame &f : d.win_frame)
        s << f.on << f.red << f.green << f.blue << f.size;
    for (int c = 0; c < kOutputCardCount; ++c) {
        adjust(d.out_light[c]);
        for (int p = 0; p < kPortCount; ++p)
            for (int v = 0; v < 9; ++v)
                s << d.port_quality[c][p][v];
    }
    s << d.canvas_ref_w << d.canvas_ref_h << d.canvas_w << d.canvas_h << d.out_res_w << d.out_res_h
      << d.in_frame_w << d.in_frame_h;
    s << d.single_canvas.w << d.single_canvas.h;
    for (const SizePair &size : d.wall_canvas)
        s << size.w << size.h;
    for (const MosaicUnit &u : d.unit_list) {
        s << u.id << u.wall;
        rect(u.wall_rect);
        rect(u.canvas_rect);
    }
    return bytes;
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
    void captions_follow_language_data();
    void captions_follow_language();
    void switch_effect_combo_is_refilled();
    void connect_button_follows_link_and_language();
    void window_is_fixed_with_icon();
    void form_object_exists_data();
    void form_object_exists();
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

// The fixed captions of every page in both languages.
void TestMainWindow::captions_follow_language_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("chinese");

    const auto row = [](const char *name, const char *english, const char *chinese) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(english)
                            << QString::fromUtf8(chinese);
    };
    // A sample from the top bar and every page; the tricky rows have different words.
    row("pushBtn_LD", "Output Brightness", "输出亮度");
    row("cmclBtn", "Communication", "通讯");
    row("input_label", "Video Input", "视频输入");
    row("initdevBtn", "Device Initialize", "设备初始化");
    row("lauBox", "语言(Language)", "语言(Language)");
    row("connetlabel", "Connection", "连接方式");
    row("webradioBtn", "Network", "网口");
    row("getBtn", "Getting", "获取");
    row("dev_no", "Device ID", "设备号");
    row("inCBox", "Input card: InC signal selection", "输入卡：InC信号切换");
    row("label_tip",
        "Notice: Red means no signal input, green means input signal available. Click Refresh "
        "button to get real time input card status",
        "提示：红色为无信号，绿色为有信号。实时查看信号状态，请点击“刷新”按钮。");
    row("inBColorBox", "Color", "颜色");
    row("InBpipBox", "InB:PIP switch", "InB:PIP开关");
    row("inACloseradioBtn", "Off", "关");
    row("copyBtn_mul", "Duplicate", "模式复制");
    row("btn_dpi", "Setting", "保存");
    row("groupBox_8", "Manual stitching", "手动拼接");
    row("outlabel_y", "Out V_Start", "输出垂直起始");
    row("hlabel_2", "LED Total Height", "LED总高度");
    row("btn_fast_splicing", "Fast Mosaic", "快速拼接");
    row("ylabel", "Unit V_Start", "单元屏垂直起始");
}

void TestMainWindow::captions_follow_language()
{
    QFETCH(QString, name);
    QFETCH(QString, english);
    QFETCH(QString, chinese);

    auto *widget = m_window->findChild<QWidget *>(name);
    QVERIFY(widget);
    auto *cradio = child<QRadioButton>("cradioBtn");
    auto *eradio = child<QRadioButton>("eradioBtn");

    QCOMPARE(caption_of(widget), chinese);

    QTest::mouseClick(eradio, Qt::LeftButton);
    QCOMPARE(device_data.lang_english, uint8_t(1));
    QVERIFY(eradio->isChecked());
    QCOMPARE(caption_of(widget), english);
    QCOMPARE(m_window->windowTitle(), kEnglishTitle);
    QCOMPARE(child<QTreeWidget>("treeWidget")->columnCount(), 1);
    QCOMPARE(child<QTreeWidget>("treeWidget")->headerItem()->text(0),
             QStringLiteral("WINS(Right click switch)"));

    QTest::mouseClick(cradio, Qt::LeftButton);
    QCOMPARE(device_data.lang_english, uint8_t(0));
    QVERIFY(cradio->isChecked());
    QCOMPARE(caption_of(widget), chinese);
    QCOMPARE(m_window->windowTitle(), kChineseTitle);
    QCOMPARE(child<QTreeWidget>("treeWidget")->headerItem()->text(0),
             QStringLiteral("窗口(右键切换信号源)"));
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

// Every object name the main window must carry, with its kind.
void TestMainWindow::form_object_exists_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");

    const auto row = [](const QString &name, const char *kind) {
        QTest::newRow(qPrintable(name)) << name << QString::fromLatin1(kind);
    };
    const auto rows = [&row](std::initializer_list<const char *> names, const char *kind) {
        for (const char *name : names)
            row(QString::fromLatin1(name), kind);
    };

    // top bar and pages
    rows({"cmclBtn", "inputBtn", "winsetBtn", "outBtn", "initdevBtn", "exportBtn", "importBtn",
          "pushBtn_LD"},
         "QPushButton");
    rows({"lauBox"}, "QGroupBox");
    rows({"cradioBtn", "eradioBtn"}, "QRadioButton");
    rows({"stackedWidget"}, "QStackedWidget");
    rows({"page", "page_2", "page_3", "page_4"}, "QWidget");

    // multi-window page
    rows({"label", "label_4"}, "QLabel");
    rows({"treeWidget"}, "QTreeWidget");
    rows({"frame"}, "QFrame");
    for (int i = 0; i < 16; ++i)
        row(QStringLiteral("m%1Btn").arg(i), "QPushButton");
    rows({"copyBtn_mul"}, "QPushButton");
    rows({"comboBox"}, "QComboBox");

    // communication page
    rows({"label_2", "connetlabel", "seiallabel", "devlabel", "dev_no"}, "QLabel");
    rows({"groupBox_5", "groupBox_3"}, "QGroupBox");
    rows({"serialradioBtn", "webradioBtn", "radio_1", "radio_2", "radio_3", "radio_4", "radio_5",
          "radio_6", "radio_7"},
         "QRadioButton");
    rows({"serialBox"}, "QComboBox");
    rows({"getBtn", "connectBtn"}, "QPushButton");
    rows({"lineEdit_port"}, "QLineEdit");

    // video input page
    rows({"input_label", "label_tip"}, "QLabel");
    rows({"inASBox", "inBSBox", "inCBox", "inDBox", "groupBox_7", "inA_box", "InB_box", "inALDBox",
          "inACTBox", "inAColorBox", "inBLDBox", "inBCTBox", "inBColorBox", "InApipBox",
          "InBpipBox"},
         "QGroupBox");
    rows({"cvbs1radioBtn", "hdmi1radioBtn", "sdi1radioBtn", "cvbs2radioBtn", "hdmi4radioBtn",
          "sdi2radioBtn", "hdmi2radioBtn", "hdmi3radioBtn", "dp1radioBtn", "hdmi5radioBtn",
          "hdmi6radioBtn", "dp2radioBtn", "inAOpenradioBtn", "inACloseradioBtn", "inBOpenradioBtn",
          "inBCloseradioBtn"},
         "QRadioButton");
    rows({"updata_btn", "inALDButton", "inACTButton", "inAColorButton", "inBLDButton",
          "inBCTButton", "inBColorButton", "pip1Btn", "pip2Btn", "auto1Btn", "auto2Btn"},
         "QPushButton");
    rows({"inALDSlider", "inACTSlider", "inAColorSlider", "inBLDSlider", "inBCTSlider",
          "inBColorSlider"},
         "QSlider");
    rows({"inAspinLDBox", "inAspinCTBox", "inAspinColorBox", "inBspinLDBox", "inBspinCTBox",
          "inBspinColorBox"},
         "QSpinBox");

    // output page
    rows({"imagelabel",       "formatlab",       "formatlab_2",   "label_3",        "inputlabel_x",
          "inputlabel_w",     "inputlabel_y",    "inputlabel_h",  "outlabel_x",     "outlabel_w",
          "outlabel_y",       "outlabel_h",      "Input_lable",   "output_lable",   "in_size_label",
          "in_pos_labe",      "in_size_label_2", "in_pos_labe_2", "out_size_label", "out_pos_labe",
          "out_size_label_2", "out_pos_labe_2",  "wlabel_2",      "hlabel_2",       "xlabel",
          "ylabel",           "wlabel",          "hlabel"},
         "QLabel");
    rows({"groupBox_dpi", "groupBox_mode", "groupBox_led", "groupBox_8", "groupBox_in",
          "groupBox_out"},
         "QGroupBox");
    rows({"formatBox", "hzBox", "comboBo_select"}, "QComboBox");
    rows({"RowEdit", "ColumnEdit", "inputEdit_x", "inputEdit_w", "inputEdit_y", "inputEdit_h",
          "outputEdit_x", "outputEdit_w", "outputEdit_y", "outputEdit_h", "wEdit", "hEdit",
          "inxEdit", "inyEdit", "inwEdit", "inhEdit"},
         "QLineEdit");
    for (int i = 0; i < 16; ++i)
        row(QStringLiteral("m%1Btn_out").arg(i), "QPushButton");
    for (const char *card : {"A", "B"})
        for (int port = 1; port <= 4; ++port)
            row(QStringLiteral("btn_out%1_dvi%2").arg(QLatin1String(card)).arg(port),
                "QPushButton");
    rows({"btn_dpi", "copyBtn_out", "pushBtn_set", "setButton_size", "btn_fast_splicing",
          "pushButton", "Btn_picture"},
         "QPushButton");
    rows({"frame_in", "frame_out"}, "QFrame");
}

void TestMainWindow::form_object_exists()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);

    const QList<QWidget *> found = m_window->findChildren<QWidget *>(name);
    QCOMPARE(found.size(), 1);
    QVERIFY2(found.first()->inherits(qPrintable(kind)),
             qPrintable(
                 QStringLiteral("%1 is a %2").arg(name, found.first()->metaObject()->className())));
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
    const QByteArray before = fingerprint(device_data);

    QTest::mouseClick(m_window->findChild<QPushButton *>(button), Qt::LeftButton);

    QCOMPARE(stack->currentIndex(), 1);
    QCOMPARE(stack->currentWidget()->objectName(), QStringLiteral("page_2"));
    QVERIFY(m_window->isEnabled());
    QVERIFY(fingerprint(device_data) == before);
}

void TestMainWindow::drop_is_accepted_and_changes_nothing()
{
    QVERIFY(m_window->acceptDrops());
    auto *stack = child<QStackedWidget>("stackedWidget");
    const QByteArray before = fingerprint(device_data);
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
    QVERIFY(fingerprint(device_data) == before);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
