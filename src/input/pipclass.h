#pragma once

#include <QDialog>

#include "device/device_data.h"
#include "ui_pipclass.h"
#include "widgets/dialog_fields.h"

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
    RectEdits main_edits() const;
    RectEdits sub_edits() const;
    void send_rect(bool main);

    Ui::pipclassClass ui;
    int m_card = 0;
};
