// The Video Input page against tessel-sim on each link: a connector switch, the bytes
// of every input and PIP command, a refresh after changes, the PIP dialog's rules.

#include <QtTest>

#include "device/ccwaitdialog.h"
#include "support/link_setup.h"
#include "support/modal_answerer.h"
#include "support/sim_session.h"
#include "support/when_shown.h"

// Each indicator's colour (white: none, green: signal, red: no signal) and check.
static QStringList states(std::initializer_list<const QRadioButton *> buttons)
{
    QStringList out;
    for (const QRadioButton *b : buttons)
        out << QRegularExpression("background-color:(\\w+);").match(b->styleSheet()).captured(1) +
                   (b->isChecked() ? " checked" : "");
    return out;
}

// Near the left edge: radio buttons take clicks on their indicator only.
static void click(QWidget *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

class TestInput : public QObject
{
    Q_OBJECT

private slots:
    void input_page_data() { add_link_rows(); }
    void input_page();
};

void TestInput::input_page()
{
    QFETCH(bool, serial);
    SimSession session;
    QVERIFY(session.start(serial) && session.connect_link());
    TesselView &view = *session.view;
    sim::SimServer &sim = *session.sim;
    auto &ui = view.form();
    click(ui.inputBtn);
    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageInput));
    QCOMPARE(states({ui.hdmi1radioBtn}), QStringList{"green checked"});

    // Unacknowledged: the code is stored before sending, the bound ends the wait.
    sim.faults().mute_commands.insert(proto::kCmdInputSource);
    view.set_busy_bound_ms(800);
    ModalAnswerer boxes;
    click(ui.dp1radioBtn);
    QCOMPARE(boxes.texts, QStringList{QStringLiteral("设备无响应！！")});
    QVERIFY(device_data.in_source[2] == 7 && sim.image().in_source[2] == 7);
    sim.faults().mute_commands.clear();

    // Every busy dialog as it is shown: its text and the class it sits over.
    QStringList busy;
    OnBusyShown probe([&busy](CCWaitDialog *d) {
        busy << d->message() + " over " +
                    (d->parent() ? d->parent()->metaObject()->className() : "nothing");
    });

    // The whole road: InA's SDI has no signal, which only the status re-read
    // after the acknowledgement can tell.
    sim.image().in_signal_ok[0] = 0;
    sim.clear_frame_log();
    click(ui.sdi1radioBtn);
    QCOMPARE(busy, QStringList{"切换输入信号。。。 over TesselView"});
    QCOMPARE(boxes.texts.size(), 1); // closed by the engine, not by the bound
    QCOMPARE(sim.frame_log(), (QStringList{"3a01040100810a00043a", "3a01040100fe0a00003a"}));
    QCOMPARE(states({ui.sdi1radioBtn, ui.hdmi1radioBtn}), (QStringList{"red checked", "white"}));

    // Slider and spin box follow each other; only Save sends. "ALD" names the page's
    // inALDSlider, inAspinLDBox and inALDButton (an image dialog has the same names).
    const char *const pairs[][2] = {
        {"ALD", "3a01040100080a000f3a"},    {"ACT", "3a01040100090a000f3a"},
        {"AColor", "3a010401000a0a000f3a"}, {"BLD", "3a01040100080a010f3a"},
        {"BCT", "3a01040100090a010f3a"},    {"BColor", "3a010401000a0a010f3a"}};
    QWidget *page = ui.stackedWidget->widget(TesselView::kPageInput);
    for (const auto &p : pairs) {
        const QString n = QString::fromLatin1(p[0]);
        auto *slider = page->findChild<QSlider *>("in" + n + "Slider");
        auto *spin = page->findChild<QSpinBox *>("in" + n.left(1) + "spin" + n.mid(1) + "Box");
        auto *save = page->findChild<QPushButton *>("in" + n + "Button");
        QVERIFY2(slider && spin && save, p[0]);
        sim.clear_frame_log();
        QTest::keySequence(slider, QKeySequence(Qt::Key_Home, Qt::Key_Right));
        QCOMPARE(spin->value(), 1);
        spin->selectAll();
        QTest::keyClicks(spin, "150"); // the last digit cannot be typed
        QCOMPARE(slider->value(), 15);
        QVERIFY(sim.frame_log().isEmpty());
        click(save);
        QTRY_COMPARE(sim.frame_log(), QStringList{p[1]});
    }

    // Connectors: card, then code (1 CVBS, 3 HDMI or VGA, 4 SDI; 5, 6 the HDMIs of
    // InC and InD, 7 DisplayPort). "card:name" is a button of the PIP dialog for that
    // card; the demo's PIP rectangles: InA main (10, 20, 1600, 900), sub (1200, 700,
    // 480, 270), InB each + 1, on channels 2 x card + 1 and 2 x card.
    const char *const rows[][2] = {
        {"cvbs1radioBtn", "3a01040100810a00013a"}, {"hdmi1radioBtn", "3a01040100810a00033a"},
        {"cvbs2radioBtn", "3a01040100810a01013a"}, {"hdmi4radioBtn", "3a01040100810a01033a"},
        {"sdi2radioBtn", "3a01040100810a01043a"},  {"hdmi2radioBtn", "3a01040100810a02053a"},
        {"hdmi3radioBtn", "3a01040100810a02063a"}, {"hdmi5radioBtn", "3a01040100810a03053a"},
        {"hdmi6radioBtn", "3a01040100810a03063a"}, {"dp2radioBtn", "3a01040100810a03073a"},
        {"0:mainsetBtn", "3a01040100061101000a0640001403843a"},
        {"0:sonsetBtn", "3a0104010006110004b001e002bc010e3a"},
        {"1:mainsetBtn", "3a01040100061103000b063f001503833a"},
        {"1:sonsetBtn", "3a0104010006110204b101e102bd010f3a"},
        {"0:hdmi1Btn", "3a01040100830a00033a"},    {"1:sdi2Btn", "3a01040100830a01043a"},
        {"inBCloseradioBtn", "3a01040100820a01003a"}, {"auto2Btn", "3a010401000d09013a"}};
    pipclass &dlg = view.pip_dialog();
    for (const auto &row : rows) {
        const QString action = QString::fromLatin1(row[0]);
        QWidget *target = view.findChild<QWidget *>(action);
        if (action.contains(':')) {
            dlg.setup_for_card(action.section(':', 0, 0).toInt());
            dlg.show();
            target = dlg.findChild<QWidget *>(action.section(':', 1));
        }
        QVERIFY2(target, row[0]);
        sim.clear_frame_log();
        click(target);
        QTRY_COMPARE(sim.frame_log().value(0), QString::fromLatin1(row[1]));
        QVERIFY(view.isEnabled() && !view.busy_dialog());
        dlg.hide();
    }
    QVERIFY(busy.contains("切换PIP信号。。。 over pipclass"));
    QCOMPARE(device_data.pip_param[1], 4);
    sim::SimImage &s = sim.image();

    // A refresh after changes on both sides.
    ui.inACTSlider->setValue(90); // moved, not saved
    s.in_source[0] = 2;           // a code of no connector
    s.in_source[1] = 1;           // InB switched elsewhere
    s.in_signal_ok[2] = 0;        // InC lost its signal
    s.in_card_present[3] = 0;     // InD pulled out
    s.in_adjust[1].brightness = 3;
    click(ui.updata_btn);
    QVERIFY(ui.inACTSlider->value() == 15 && ui.inBspinLDBox->value() == 3);
    QVERIFY(ui.inASBox->isEnabled() && !ui.inDBox->isEnabled() && ui.inBCloseradioBtn->isChecked());
    QVERIFY(ui.pip1Btn->isEnabled() && !ui.pip2Btn->isEnabled());
    // InA: nothing; InB: CVBS green; InC: second HDMI red; InD missing: nothing,
    // though it keeps its check.
    QCOMPARE(states({ui.sdi1radioBtn, ui.hdmi1radioBtn, ui.cvbs1radioBtn, ui.cvbs2radioBtn,
                     ui.hdmi3radioBtn, ui.dp2radioBtn}),
             (QStringList{"white", "white", "white", "green checked", "red checked", "white checked"}));

    // The PIP dialog names the card's connector by the input's codes and checks
    // its button; code 2 names and checks nothing.
    auto &d = dlg.form();
    const QList<QRadioButton *> pip_buttons[] = {{d.cvbs1Btn, d.hdmi1Btn, d.sdi1Btn},
                                                 {d.cvbs2Btn, d.hdmi4Btn, d.sdi2Btn}};
    // Card, connector code, VGA flag, the main connector's name.
    const std::tuple<int, int, int, const char *> names[] = {
        {0, 3, 0, "HDMI-1"}, {0, 3, 1, "VGA-1"}, {1, 3, 0, "HDMI-4"},
        {1, 3, 7, "VGA-2"},  {0, 2, 0, "old"},   {1, 4, 1, "SDI-2"}};
    for (const auto &[card, code, vga, main] : names) {
        device_data.in_source[card] = device_data.pip_param[card] = code, device_data.in_vga[card] = vga;
        d.mianEdit->setText("old");
        dlg.setup_for_card(card);
        QCOMPARE(d.mianEdit->text(), QString::fromLatin1(main));
        QCOMPARE(d.inBBox->isEnabled(), card == 1);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(pip_buttons[card][i]->isChecked(), QVector<int>({1, 3, 4})[i] == code);
    }
    // A position and its size share the 1920 x 1080 frame; Save with an empty
    // edit focuses it and sends nothing.
    dlg.show();
    d.sonyEdit->setText("80");
    d.sonhEdit->clear();
    QTest::keyClicks(d.sonhEdit, QStringLiteral("1001"));
    QCOMPARE(d.sonhEdit->text(), QStringLiteral("100"));
    QSignalSpy sizes(&dlg, &pipclass::set_signal_size);
    d.sonxEdit->setText("100"), d.sonwEdit->setText("640"), d.sonyEdit->clear();
    click(d.sonsetBtn);
    QCOMPARE(dlg.focusWidget(), d.sonyEdit);
    d.sonyEdit->setText("20");
    click(d.sonsetBtn);
    QCOMPARE(static_cast<QList<QList<QVariant>> &>(sizes), (QList<QList<QVariant>>{{1, 0}}));
    QVERIFY(device_data.pip_rect[1].sub == (DevRect{100, 20, 640, 100}));
}

QTEST_MAIN(TestInput)
#include "tst_input.moc"
