#pragma once

#include <QDialog>
#include <QList>

#include "ui_ImageQuality.h"

class QRadioButton;
class QSlider;
class QSpinBox;

// "Image Quality": gray, brightness and colour of the selected output card and
// port. Each Save stores its values in the records and asks the main window to
// send them.
class ImageQuality : public QDialog
{
    Q_OBJECT

public:
    explicit ImageQuality(QWidget *parent = nullptr);

    // Texts of the current language and the values of the selected card and port.
    void prepare();
    Ui::ImageQualityClass &form() { return ui; }

signals:
    void btn_LD_set_signal();
    void btn_CT_set_signal();
    void btn_Color_set_signal();

public slots:
    void clicked_btn_LD_set();
    void clicked_btn_CT_set();
    void clicked_btn_Color_set();

private:
    struct Pair {
        QSlider *slider;
        QSpinBox *spin;
        void set(int value) const;
        int value() const;
    };

    // Keeps a slider and its spin box together; `follow` also takes every value.
    void couple(const Pair &pair, const QList<Pair> &follow);
    void apply_texts();
    void save(const QList<Pair> &ports, const int (&record)[4], const Pair &card, int &card_value);

    Ui::ImageQualityClass ui;
    QList<QRadioButton *> m_port_buttons;
    // Port pairs in the order all, red, green, blue.
    QList<Pair> m_gray;
    QList<Pair> m_bright;
    Pair m_color{};
    Pair m_card_gray{};
    Pair m_card_bright{};
    Pair m_card_color{};
};
