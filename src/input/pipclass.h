#pragma once

#include <QDialog>

#include "device/device_data.h"
#include "ui_pipclass.h"

class BoundedValidator;
class QLineEdit;
class QRadioButton;

// Picture-in-picture settings of one input card: the main and sub rectangles
// and the sub-channel connector. It only edits; the main window sends.
class pipclass : public QDialog
{
    Q_OBJECT

public:
    explicit pipclass(QWidget *parent = nullptr);

    // Texts in the current language and values from the records of the card.
    void setup_for_card(int card);
    int card() const { return m_card; }
    Ui::pipclassClass &form() { return ui; }

signals:
    // flag 1 = main rectangle, 0 = sub rectangle.
    void set_signal_size(int _id, int flag);
    // flag carries the connector code.
    void switch_son_signal(int _id, int flag);

public slots:
    void set_main_size();
    void set_son_size();
    void clicked_cvbs1_btn();
    void clicked_hdmi1_btn();
    void clicked_sdi1_btn();
    void clicked_cvbs2_btn();
    void clicked_hdmi4_btn();
    void clicked_sdi2_btn();
    void change_text(const QString &text);

private:
    void apply_texts();
    // Reads four edits into a rectangle; false (focus on the first bad edit)
    // when one does not hold an acceptable value.
    bool read_rect(QLineEdit *x, QLineEdit *w, QLineEdit *y, QLineEdit *h, DevRect &rect);
    void send_rect(bool main);

    Ui::pipclassClass ui;
    int m_card = 0;
    // One validator per rectangle edit, in the order x, width, y, height of
    // the main then the sub rectangle; their ranges follow the partner edits.
    BoundedValidator *m_validators[8] = {};
};
