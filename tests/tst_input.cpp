// The Video Input page against the simulated device: the PIP dialog, the
// connector switch on both links, the bytes of every input and PIP command, and
// a refresh after changes on both sides.

#include <QApplication>
#include <QtTest>

#include "app/tesselview.h"
#include "device/ccwaitdialog.h"
#include "device/device_data.h"
#include "support/modal_answerer.h"
#include "support/sim_session.h"

namespace {

// Notes the text and parent of every busy dialog as it is shown.
struct BusyProbe : QObject {
    QStringList texts;
    QList<QWidget *> parents;
    BusyProbe() { qApp->installEventFilter(this); }
    bool eventFilter(QObject *object, QEvent *event) override
    {
        auto *busy = qobject_cast<CCWaitDialog *>(object);
        if (busy && event->type() == QEvent::Show) {
            texts << busy->message();
            parents << busy->parentWidget();
        }
        return false;
    }
};

QString colour_of(const QRadioButton *b)
{
    for (const char *c : {"green", "red", "white"}) {
        if (b->styleSheet().contains(QStringLiteral("background-color:%1;").arg(c)))
            return QString::fromLatin1(c);
    }
    return QString();
}

// Radio buttons take clicks on their indicator, not on the empty rest.
void click_radio(QRadioButton *b)
{
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
}

} // namespace

class TestInput : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { m_s.stop(); }
    void pip_dialog();
    void connector_switch_data();
    void connector_switch();
    void commands_then_refresh();

private:
    // Connected on the Video Input page.
    bool open(bool serial);
    SimSession m_s;
};

bool TestInput::open(bool serial)
{
    if (!m_s.start(serial) || !m_s.connect_link())
        return false;
    QTest::mouseClick(m_s.view->form().inputBtn, Qt::LeftButton);
    return m_s.view->form().stackedWidget->currentIndex() == TesselView::kPageInput;
}

void TestInput::pip_dialog()
{
    QVERIFY(m_s.start(false));
    pipclass &dlg = m_s.view->pip_dialog();
    auto &d = dlg.form();
    const QList<QRadioButton *> pip_buttons[] = {{d.cvbs1Btn, d.hdmi1Btn, d.sdi1Btn},
                                                 {d.cvbs2Btn, d.hdmi4Btn, d.sdi2Btn}};
    // The PIP connector has the input's codes; code 2 names and checks nothing.
    const struct {
        int card, code, vga;
        const char *main;
    } rows[] = {{0, 3, 0, "HDMI-1"}, {0, 3, 1, "VGA-1"}, {1, 3, 0, "HDMI-4"},
                {1, 3, 7, "VGA-2"},  {1, 4, 1, "SDI-2"}, {0, 2, 0, "old"}};
    for (const auto &r : rows) {
        device_data.in_source[r.card] = device_data.pip_param[r.card] = r.code;
        device_data.in_vga[r.card] = r.vga;
        d.mianEdit->setText(QStringLiteral("old"));
        dlg.setup_for_card(r.card);
        QCOMPARE(d.mianEdit->text(), QString::fromLatin1(r.main));
        QCOMPARE(d.inBBox->isEnabled(), r.card == 1);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(pip_buttons[r.card][i]->isChecked(), QVector<int>({1, 3, 4})[i] == r.code);
    }

    // A position and its size share the 1920 x 1080 frame; Save with an empty
    // edit focuses it and sends nothing.
    dlg.setup_for_card(1);
    dlg.show();
    d.sonyEdit->setText(QStringLiteral("80"));
    d.sonhEdit->clear();
    QTest::keyClicks(d.sonhEdit, QStringLiteral("1001"));
    QCOMPARE(d.sonhEdit->text(), QStringLiteral("100"));
    QSignalSpy sizes(&dlg, &pipclass::set_signal_size);
    d.sonxEdit->setText(QStringLiteral("100"));
    d.sonwEdit->setText(QStringLiteral("640"));
    d.sonyEdit->clear();
    QTest::mouseClick(d.sonsetBtn, Qt::LeftButton);
    QCOMPARE(sizes.count(), 0);
    QCOMPARE(dlg.focusWidget(), d.sonyEdit);
    d.sonyEdit->setText(QStringLiteral("20"));
    QTest::mouseClick(d.sonsetBtn, Qt::LeftButton);
    QCOMPARE(sizes.at(0), (QList<QVariant>{1, 0}));
    QVERIFY(device_data.pip_rect[1].sub == (DevRect{100, 20, 640, 100}));
}

void TestInput::connector_switch_data()
{
    QTest::addColumn<bool>("serial");
    QTest::newRow("network") << false;
    QTest::newRow("serial") << true;
}

void TestInput::connector_switch()
{
    QFETCH(bool, serial);
    QVERIFY(open(serial));
    TesselView &view = *m_s.view;
    auto &ui = view.form();
    QCOMPARE(colour_of(ui.hdmi1radioBtn), QStringLiteral("green"));

    // Unacknowledged: the code is stored before sending, the bound ends the wait.
    m_s.sim->faults().mute_commands.insert(proto::kCmdInputSource);
    view.set_busy_bound_ms(800);
    ModalAnswerer boxes;
    click_radio(ui.dp1radioBtn);
    QCOMPARE(boxes.texts, QStringList{QStringLiteral("设备无响应！！")});
    QCOMPARE(QVector<int>({device_data.in_source[2], m_s.sim->image().in_source[2]}),
             QVector<int>({7, 7}));
    m_s.sim->faults().mute_commands.clear();

    // The whole road: InA's SDI has no signal, which only the status re-read
    // after the acknowledgement can tell.
    BusyProbe probe;
    m_s.sim->image().in_signal_ok[0] = 0;
    m_s.sim->clear_frame_log();
    click_radio(ui.sdi1radioBtn);
    QCOMPARE(probe.texts, QStringList{"切换输入信号。。。"});
    QCOMPARE(probe.parents.value(0), &view);
    QCOMPARE(boxes.texts.size(), 1); // closed by the engine, not by the bound
    QVERIFY(view.isEnabled() && !view.busy_dialog());
    QCOMPARE(m_s.sim->frame_log(), (QStringList{"3a01040100810a00043a", "3a01040100fe0a00003a"}));
    QCOMPARE(m_s.sim->image().in_source[0], 4);
    QVERIFY(ui.sdi1radioBtn->isChecked());
    QCOMPARE(colour_of(ui.sdi1radioBtn), QStringLiteral("red"));
    QCOMPARE(colour_of(ui.hdmi1radioBtn), QStringLiteral("white"));
}

void TestInput::commands_then_refresh()
{
    QVERIFY(open(true));
    TesselView &view = *m_s.view;
    auto &ui = view.form();
    // Each slider and spin box follow each other; only Save sends the value.
    const struct {
        QSlider *slider;
        QSpinBox *spin;
        QPushButton *save;
        const char *frame;
    } pairs[] = {
        {ui.inALDSlider, ui.inAspinLDBox, ui.inALDButton, "3a01040100080a000f3a"},
        {ui.inACTSlider, ui.inAspinCTBox, ui.inACTButton, "3a01040100090a000f3a"},
        {ui.inAColorSlider, ui.inAspinColorBox, ui.inAColorButton, "3a010401000a0a000f3a"},
        {ui.inBLDSlider, ui.inBspinLDBox, ui.inBLDButton, "3a01040100080a010f3a"},
        {ui.inBCTSlider, ui.inBspinCTBox, ui.inBCTButton, "3a01040100090a010f3a"},
        {ui.inBColorSlider, ui.inBspinColorBox, ui.inBColorButton, "3a010401000a0a010f3a"}};
    for (const auto &p : pairs) {
        m_s.sim->clear_frame_log();
        QTest::keyClick(p.slider, Qt::Key_Home);
        QTest::keyClick(p.slider, Qt::Key_Right);
        QCOMPARE(p.spin->value(), 1);
        p.spin->selectAll();
        QTest::keyClicks(p.spin, "150"); // the last digit cannot be typed
        QCOMPARE(p.slider->value(), 15);
        QVERIFY(m_s.sim->frame_log().isEmpty());
        QTest::mouseClick(p.save, Qt::LeftButton);
        QTRY_COMPARE(m_s.sim->frame_log(), QStringList{p.frame});
    }

    // "card:name" is a button of the PIP dialog set up for that card. The demo
    // device's PIP rectangles: InA main (10, 20, 1600, 900), sub (1200, 700,
    // 480, 270), InB each + 1; main is channel 2 x card + 1, sub 2 x card.
    const char *const rows[][2] = {
        // Connectors: card, then its code (1 CVBS, 3 HDMI or VGA, 4 SDI; 5, 6
        // the first and second HDMI of InC and InD, 7 DisplayPort).
        {"cvbs1radioBtn", "3a01040100810a00013a"},
        {"hdmi1radioBtn", "3a01040100810a00033a"},
        {"cvbs2radioBtn", "3a01040100810a01013a"},
        {"hdmi4radioBtn", "3a01040100810a01033a"},
        {"sdi2radioBtn", "3a01040100810a01043a"},
        {"hdmi2radioBtn", "3a01040100810a02053a"},
        {"hdmi3radioBtn", "3a01040100810a02063a"},
        {"hdmi5radioBtn", "3a01040100810a03053a"},
        {"hdmi6radioBtn", "3a01040100810a03063a"},
        {"dp2radioBtn", "3a01040100810a03073a"},
        {"auto2Btn", "3a010401000d09013a"},
        {"0:mainsetBtn", "3a01040100061101000a0640001403843a"},
        {"0:sonsetBtn", "3a0104010006110004b001e002bc010e3a"},
        {"1:mainsetBtn", "3a01040100061103000b063f001503833a"},
        {"1:sonsetBtn", "3a0104010006110204b101e102bd010f3a"},
        {"0:hdmi1Btn", "3a01040100830a00033a"},
        {"1:sdi2Btn", "3a01040100830a01043a"},
        {"inBCloseradioBtn", "3a01040100820a01003a"},
    };
    pipclass &dlg = view.pip_dialog();
    BusyProbe probe;
    for (const auto &row : rows) {
        const QString action = QString::fromLatin1(row[0]);
        QWidget *target = view.findChild<QWidget *>(action);
        if (action.contains(':')) {
            dlg.setup_for_card(action.section(':', 0, 0).toInt());
            dlg.show();
            target = dlg.findChild<QWidget *>(action.section(':', 1));
        }
        QVERIFY2(target, row[0]);
        m_s.sim->clear_frame_log();
        if (auto *radio = qobject_cast<QRadioButton *>(target))
            click_radio(radio);
        else
            QTest::mouseClick(target, Qt::LeftButton);
        QTRY_VERIFY(!m_s.sim->frame_log().isEmpty());
        QCOMPARE(m_s.sim->frame_log().first(), QString::fromLatin1(row[1]));
        QVERIFY(view.isEnabled() && !view.busy_dialog());
        dlg.hide();
    }
    // The PIP connector's busy dialog sits over the PIP dialog.
    QCOMPARE(probe.parents.value(probe.texts.indexOf(QStringLiteral("切换PIP信号。。。"))), &dlg);
    sim::SimImage &s = m_s.sim->image();
    QCOMPARE(QVector<int>({s.pip_param[1], s.pip_state[1], device_data.pip_param[1]}),
             QVector<int>({4, 0, 4}));

    // A refresh after changes on both sides.
    ui.inACTSlider->setValue(90); // moved, not saved
    s.in_source[0] = 2;           // a code of no connector
    s.in_source[1] = 1;           // InB switched elsewhere
    s.in_signal_ok[2] = 0;        // InC lost its signal
    s.in_card_present[3] = 0;     // InD pulled out
    s.in_adjust[1].brightness = 3;
    QTest::mouseClick(ui.updata_btn, Qt::LeftButton);
    QCOMPARE(ui.inACTSlider->value(), 15);
    QCOMPARE(ui.inBspinLDBox->value(), 3);
    QVERIFY(ui.inBCloseradioBtn->isChecked());
    QVERIFY(!ui.pip2Btn->isEnabled() && ui.pip1Btn->isEnabled());
    // InA: nothing; InB: CVBS green; InC: second HDMI red; InD missing: nothing.
    for (QRadioButton *b : {ui.sdi1radioBtn, ui.hdmi1radioBtn, ui.cvbs1radioBtn, ui.dp2radioBtn}) {
        QCOMPARE(colour_of(b), QStringLiteral("white"));
        QVERIFY(b == ui.dp2radioBtn || !b->isChecked()); // a missing card keeps its check
    }
    QVERIFY(ui.cvbs2radioBtn->isChecked() && ui.hdmi3radioBtn->isChecked());
    QCOMPARE(colour_of(ui.cvbs2radioBtn), QStringLiteral("green"));
    QCOMPARE(colour_of(ui.hdmi3radioBtn), QStringLiteral("red"));
    QVERIFY(ui.inASBox->isEnabled() && !ui.inDBox->isEnabled());
}

QTEST_MAIN(TestInput)
#include "tst_input.moc"
