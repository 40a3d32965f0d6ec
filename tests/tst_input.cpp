// The Video Input page without a device: the pure rules of connectors, PIP
// rectangles and names, the page refresh and indicators from the records, the
// slider and spin box coupling, and the PIP settings dialog.

#include <QtTest>

#include <memory>

#include "app/tesselview.h"
#include "device/codec.h"
#include "device/device_data.h"
#include "input/input_codec.h"

namespace {

const QString kGreen = QStringLiteral("background-color:green;");
const QString kRed = QStringLiteral("background-color:red;");
const QString kWhite = QStringLiteral("background-color:white;");

QString colour_of(const QRadioButton *b)
{
    for (const QString &c : {kGreen, kRed, kWhite}) {
        if (b->styleSheet().contains(c))
            return c;
    }
    return QString();
}

// Radio buttons react to clicks on their indicator and text, not on the
// empty rest of their geometry.
void click_radio(QRadioButton *b)
{
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
}

} // namespace

class TestInput : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void connector_indicator_positions();
    void main_signal_names_data();
    void main_signal_names();

    void refresh_shows_cards_data();
    void refresh_shows_cards();
    void refresh_loads_adjust_and_pip_state();
    void refresh_without_link_changes_nothing();
    void slider_and_spin_follow_each_other();
    void without_link_records_still_change();

    void pip_dialog_for_card();
    void pip_dialog_bounds_and_refuses();

private:
    // All twelve connector buttons in indicator order: InA, InB, InC, InD.
    QList<QRadioButton *> connectors() const;
    std::unique_ptr<TesselView> m_view;
};

void TestInput::init()
{
    device_data = DeviceData();
    m_view = std::make_unique<TesselView>();
    m_view->show();
}

void TestInput::cleanup()
{
    m_view.reset();
}

QList<QRadioButton *> TestInput::connectors() const
{
    auto &ui = m_view->form();
    return {ui.sdi1radioBtn,  ui.hdmi1radioBtn, ui.cvbs1radioBtn, ui.sdi2radioBtn,
            ui.hdmi4radioBtn, ui.cvbs2radioBtn, ui.hdmi2radioBtn, ui.hdmi3radioBtn,
            ui.dp1radioBtn,   ui.hdmi5radioBtn, ui.hdmi6radioBtn, ui.dp2radioBtn};
}

void TestInput::connector_indicator_positions()
{
    // InA/InB lists are SDI, HDMI/VGA, CVBS; InC/InD first HDMI, second HDMI, DP.
    const int expected[4][8] = {
        // codes 0..7
        {-1, 2, -1, 1, 0, -1, -1, -1},
        {-1, 2, -1, 1, 0, -1, -1, -1},
        {-1, -1, -1, -1, -1, 0, 1, 2},
        {-1, -1, -1, -1, -1, 0, 1, 2},
    };
    for (int card = 0; card < 4; ++card) {
        for (int code = 0; code < 8; ++code)
            QCOMPARE(codec::indicator_index(card, code), expected[card][code]);
        QCOMPARE(codec::indicator_index(card, 15), -1);
    }
    QCOMPARE(codec::indicator_index(4, 5), -1);
}

void TestInput::main_signal_names_data()
{
    QTest::addColumn<int>("card");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("vga");
    QTest::addColumn<QString>("name");
    QTest::newRow("InA CVBS") << 0 << 1 << 1 << "CVBS-1";
    QTest::newRow("InA HDMI") << 0 << 3 << 0 << "HDMI-1";
    QTest::newRow("InA VGA") << 0 << 3 << 1 << "VGA-1";
    QTest::newRow("InA SDI") << 0 << 4 << 0 << "SDI-1";
    QTest::newRow("InB CVBS") << 1 << 1 << 0 << "CVBS-2";
    QTest::newRow("InB HDMI") << 1 << 3 << 0 << "HDMI-4";
    QTest::newRow("InB VGA") << 1 << 3 << 7 << "VGA-2";
    QTest::newRow("InB SDI") << 1 << 4 << 1 << "SDI-2";
    QTest::newRow("code 2 has no name") << 0 << 2 << 0 << "";
    QTest::newRow("InC code on InA") << 0 << 5 << 0 << "";
}

void TestInput::main_signal_names()
{
    QFETCH(int, card);
    QFETCH(int, code);
    QFETCH(int, vga);
    QFETCH(QString, name);
    QCOMPARE(codec::main_signal_name(card, code, vga), name);
}

void TestInput::refresh_shows_cards_data()
{
    QTest::addColumn<int>("card");
    QTest::addColumn<bool>("fitted");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("signal");
    QTest::addColumn<int>("checked"); // indicator index, -1 none
    QTest::addColumn<QString>("colour");
    QTest::newRow("InA HDMI with signal") << 0 << true << 3 << true << 1 << kGreen;
    QTest::newRow("InA CVBS without signal") << 0 << true << 1 << false << 2 << kRed;
    QTest::newRow("InB SDI without signal") << 1 << true << 4 << false << 0 << kRed;
    QTest::newRow("InC DP with signal") << 2 << true << 7 << true << 2 << kGreen;
    QTest::newRow("InD second HDMI without") << 3 << true << 6 << false << 1 << kRed;
    QTest::newRow("InA code 2") << 0 << true << 2 << true << -1 << QString();
    QTest::newRow("InB code of InC") << 1 << true << 5 << true << -1 << QString();
    QTest::newRow("InC code of InA") << 2 << true << 3 << true << -1 << QString();
    QTest::newRow("InD code 0") << 3 << true << 0 << false << -1 << QString();
    QTest::newRow("InA missing") << 0 << false << 3 << true << -1 << QString();
    QTest::newRow("InD missing") << 3 << false << 5 << false << -1 << QString();
}

void TestInput::refresh_shows_cards()
{
    QFETCH(int, card);
    QFETCH(bool, fitted);
    QFETCH(int, code);
    QFETCH(bool, signal);
    QFETCH(int, checked);
    QFETCH(QString, colour);
    auto &ui = m_view->form();
    const QList<QRadioButton *> all = connectors();

    // Every card fitted with a signal and a coloured connector first, so that
    // the refresh under test has to take the colour and the check away.
    for (int c = 0; c < 4; ++c) {
        device_data.in_card_present[c] = 1;
        device_data.in_signal_ok[c] = 1;
        device_data.in_source[c] = c < 2 ? 4 : 5;
        device_data.pip_state[c % 2] = 1;
    }
    m_view->refresh_input_page();
    m_view->paint_signal_indicators();
    QCOMPARE(colour_of(all[card * 3]), kGreen);

    device_data.in_card_present[card] = fitted;
    device_data.in_signal_ok[card] = signal;
    device_data.in_source[card] = code;
    m_view->refresh_input_page();
    m_view->paint_signal_indicators();

    QGroupBox *const boxes[] = {ui.inASBox, ui.inBSBox, ui.inCBox, ui.inDBox};
    QCOMPARE(boxes[card]->isEnabled(), fitted);
    for (int i = 0; i < 3; ++i) {
        QRadioButton *b = all[card * 3 + i];
        QCOMPARE(colour_of(b), i == checked ? colour : kWhite);
        // A missing card keeps whatever check it had; a fitted one shows its code only.
        if (fitted)
            QCOMPARE(b->isChecked(), i == checked);
    }
    // The other cards keep their green indicator.
    for (int c = 0; c < 4; ++c) {
        if (c != card)
            QCOMPARE(colour_of(all[c * 3]), kGreen);
    }
    if (card < 2) {
        QGroupBox *const pip_boxes[] = {ui.InApipBox, ui.InBpipBox};
        QGroupBox *const adjust_boxes[] = {ui.inA_box, ui.InB_box};
        QPushButton *const pips[] = {ui.pip1Btn, ui.pip2Btn};
        QPushButton *const autos[] = {ui.auto1Btn, ui.auto2Btn};
        QCOMPARE(pip_boxes[card]->isEnabled(), fitted);
        QCOMPARE(adjust_boxes[card]->isEnabled(), fitted);
        QCOMPARE(pips[card]->isEnabled(), fitted);
        QCOMPARE(autos[card]->isEnabled(), fitted);
    }
}

void TestInput::refresh_loads_adjust_and_pip_state()
{
    auto &ui = m_view->form();
    device_data.in_card_present[0] = 1;
    device_data.in_adjust[0] = {11, 22, 33};
    device_data.in_adjust[1] = {44, 55, 66}; // InB not fitted: loaded all the same
    device_data.pip_state[0] = 0;
    device_data.pip_state[1] = 2; // any non-zero state is On
    m_view->refresh_input_page();
    QCOMPARE(ui.inAspinLDBox->value(), 11);
    QCOMPARE(ui.inACTSlider->value(), 22);
    QCOMPARE(ui.inAspinColorBox->value(), 33);
    QCOMPARE(ui.inBLDSlider->value(), 44);
    QCOMPARE(ui.inBspinCTBox->value(), 55);
    QCOMPARE(ui.inBColorSlider->value(), 66);
    QVERIFY(ui.inACloseradioBtn->isChecked());
    QVERIFY(!ui.pip1Btn->isEnabled());
    QVERIFY(ui.inBOpenradioBtn->isChecked());
    QVERIFY(!ui.pip2Btn->isEnabled()); // InB is not fitted
}

void TestInput::refresh_without_link_changes_nothing()
{
    auto &ui = m_view->form();
    const int page = ui.stackedWidget->currentIndex();
    device_data.in_source[0] = 4;
    QTest::mouseClick(ui.inputBtn, Qt::LeftButton);
    QTest::mouseClick(ui.updata_btn, Qt::LeftButton);
    QCOMPARE(ui.stackedWidget->currentIndex(), page);
    QCOMPARE(device_data.in_source[0], 4);
    QVERIFY(m_view->isEnabled());
    QVERIFY(!ui.sdi1radioBtn->isChecked());
}

void TestInput::slider_and_spin_follow_each_other()
{
    auto &ui = m_view->form();
    device_data.in_card_present[0] = device_data.in_card_present[1] = 1;
    device_data.in_adjust[0] = device_data.in_adjust[1] = {50, 50, 50};
    m_view->refresh_input_page();
    ui.stackedWidget->setCurrentIndex(TesselView::kPageInput);

    const QList<QPair<QSlider *, QSpinBox *>> pairs = {
        {ui.inALDSlider, ui.inAspinLDBox},       {ui.inACTSlider, ui.inAspinCTBox},
        {ui.inAColorSlider, ui.inAspinColorBox}, {ui.inBLDSlider, ui.inBspinLDBox},
        {ui.inBCTSlider, ui.inBspinCTBox},       {ui.inBColorSlider, ui.inBspinColorBox}};
    for (const auto &p : pairs) {
        QTest::keyClick(p.first, Qt::Key_Home);
        QCOMPARE(p.second->value(), 0);
        QTest::keyClick(p.first, Qt::Key_Right);
        QCOMPARE(p.second->value(), 1);
        p.second->selectAll();
        QTest::keyClicks(p.second, "87");
        QCOMPARE(p.first->value(), 87);
        p.second->selectAll();
        QTest::keyClicks(p.second, "150"); // the last digit cannot be typed
        QCOMPARE(p.first->value(), 15);
    }
    // Moving controls stores nothing.
    QCOMPARE(device_data.in_adjust[0].contrast, 50);
    QCOMPARE(device_data.in_adjust[1].colour, 50);
}

void TestInput::without_link_records_still_change()
{
    auto &ui = m_view->form();
    device_data.in_card_present[0] = device_data.in_card_present[1] = 1;
    device_data.pip_state[0] = device_data.pip_state[1] = 1;
    m_view->refresh_input_page();
    ui.stackedWidget->setCurrentIndex(TesselView::kPageInput);

    ui.inBspinColorBox->setValue(7);
    QTest::mouseClick(ui.inBColorButton, Qt::LeftButton);
    QCOMPARE(device_data.in_adjust[1].colour, 7);

    // Turning InB off disables its PIP button only.
    click_radio(ui.inBCloseradioBtn);
    QCOMPARE(device_data.pip_state[1], 0);
    QVERIFY(!ui.pip2Btn->isEnabled());
    QVERIFY(ui.pip1Btn->isEnabled());
    click_radio(ui.sdi2radioBtn);
    QCOMPARE(device_data.in_source[1], 4);
    QCOMPARE(device_data.serial_wait_code + device_data.net_wait_code, 0);
    QVERIFY(m_view->isEnabled());
}

void TestInput::pip_dialog_for_card()
{
    pipclass &dlg = m_view->pip_dialog();
    auto &d = dlg.form();
    QVERIFY(!dlg.parent());
    QCOMPARE(dlg.size(), QSize(741, 350));
    device_data.in_source[1] = 3;
    device_data.in_vga[1] = 0;
    device_data.pip_param[1] = 4;
    device_data.pip_rect[1].main = {1, 2, 3, 4};
    device_data.pip_rect[1].sub = {5, 6, 7, 8};
    device_data.lang_english = 1;
    dlg.setup_for_card(1);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("PIP Settings"));
    QCOMPARE(d.inputEdit->text(), QStringLiteral("InB"));
    QCOMPARE(d.mianEdit->text(), QStringLiteral("HDMI-4"));
    QVERIFY(!d.inABox->isEnabled() && d.inBBox->isEnabled());
    QVERIFY(d.sdi2Btn->isChecked());
    const QStringList rect{d.mainxEdit->text(), d.mainwEdit->text(), d.mainyEdit->text(),
                           d.mainhEdit->text(), d.sonxEdit->text(),  d.sonwEdit->text(),
                           d.sonyEdit->text(),  d.sonhEdit->text()};
    QCOMPARE(rect, (QStringList{"1", "3", "2", "4", "5", "7", "6", "8"}));

    // InA in Chinese; a main code without a name leaves the last text, a PIP
    // code without a button checks none.
    device_data.lang_english = 0;
    device_data.in_source[0] = 2;
    device_data.pip_param[0] = 2;
    dlg.setup_for_card(0);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("画中画设置"));
    QCOMPARE(d.mainsetBtn->text(), QStringLiteral("设置"));
    QCOMPARE(d.inputEdit->text(), QStringLiteral("InA"));
    QCOMPARE(d.mianEdit->text(), QStringLiteral("HDMI-4"));
    QVERIFY(d.inABox->isEnabled() && !d.inBBox->isEnabled());
    QVERIFY(!d.cvbs1Btn->isChecked() && !d.hdmi1Btn->isChecked() && !d.sdi1Btn->isChecked());
}

void TestInput::pip_dialog_bounds_and_refuses()
{
    pipclass &dlg = m_view->pip_dialog();
    auto &d = dlg.form();
    device_data.pip_rect[0].sub = {100, 100, 640, 360};
    dlg.setup_for_card(0);
    dlg.show();
    struct Case {
        QLineEdit *partner;
        const char *partner_text;
        QLineEdit *edit;
        const char *typed;
        const char *kept;
    };
    const Case cases[] = {
        {d.mainwEdit, "1920", d.mainxEdit, "50", "0"},
        {d.mainhEdit, "1080", d.mainyEdit, "10", "0"},
        {d.mainxEdit, "1000", d.mainwEdit, "9209", "920"},
        {d.sonyEdit, "80", d.sonhEdit, "1001", "100"},
        {d.sonwEdit, "", d.sonxEdit, "19201", "1920"}, // empty partner counts as 0
    };
    for (const Case &c : cases) {
        c.partner->setText(QString::fromLatin1(c.partner_text));
        c.edit->clear();
        QTest::keyClicks(c.edit, QString::fromLatin1(c.typed));
        QCOMPARE(c.edit->text(), QString::fromLatin1(c.kept));
    }

    // An edit without an acceptable value takes the focus and nothing is sent.
    QSignalSpy sizes(&dlg, &pipclass::set_signal_size);
    d.sonxEdit->setText(QStringLiteral("100"));
    d.sonwEdit->setText(QStringLiteral("640"));
    d.sonhEdit->setText(QStringLiteral("360"));
    d.sonyEdit->clear();
    QTest::mouseClick(d.sonsetBtn, Qt::LeftButton);
    QCOMPARE(sizes.count(), 0);
    QCOMPARE(dlg.focusWidget(), d.sonyEdit);
    QCOMPARE(device_data.pip_rect[0].sub.y, 100);

    d.sonyEdit->setText(QStringLiteral("20"));
    QTest::mouseClick(d.sonsetBtn, Qt::LeftButton);
    QCOMPARE(sizes.count(), 1);
    QCOMPARE(sizes.at(0), (QList<QVariant>{0, 0}));
    QVERIFY(device_data.pip_rect[0].sub == (DevRect{100, 20, 640, 360}));
}

QTEST_MAIN(TestInput)
#include "tst_input.moc"
