#pragma once

#include <QDateTime>
#include <QMainWindow>
#include <QPointer>
#include <QSettings>

#include <functional>
#include <memory>
#include <optional>

#include "device/ccwaitdialog.h"
#include "device/device_data.h"
#include "device/protocol.h"
#include "maintenance/maintenance_codec.h"
#include "output/imagequality.h"
#include "output/light.h"
#include "output/mosaic/mosaic.h"
#include "output/wall_coverage.h"
#include "input/pipclass.h"
#include "link/device_link.h"
#include "layout/copymode.h"
#include "layout/mulattribute.h"
#include "layout/trimmingdlg.h"
#include "ui_tesselview.h"
#include "widgets/dialog_fields.h"

class FindDevices;
struct FoundDevice;
class QIPLineEdit;
class QLabel;
class QMessageBox;
class QPushButton;
class QRadioButton;
class BoundedValidator;
class QSlider;
class QSpinBox;
class QTreeWidgetItem;
class cled;
class itemBox;

// How a command waits once its frame has been written in full: the link's
// wait and what the window does meanwhile.
struct TxWait {
    int code = 0;                   // expected-reply code set after a full write
    int delay_ms = 0;               // cooperative delay (when there is no busy text)
    QString busy_text;              // non-empty: modal busy dialog until the engine closes it
    QWidget *busy_parent = nullptr; // the main window when null
    bool disable_window = true;     // main window disabled while the command runs
    bool arm_bound = false;         // (re)start the busy bound: steps of a non-modal chain

    // Commands that are not acknowledged in time: code only, no wait.
    static TxWait none(int code)
    {
        TxWait w;
        w.code = code;
        return w;
    }
    static TxWait delay(int code, int ms)
    {
        TxWait w;
        w.code = code;
        w.delay_ms = ms;
        return w;
    }
    static TxWait busy(int code, const QString &text, QWidget *parent = nullptr)
    {
        TxWait w;
        w.code = code;
        w.busy_text = text;
        w.busy_parent = parent;
        return w;
    }
    // One step of a chain driven by the reply engines under a non-modal busy dialog.
    static TxWait chain_step(int code)
    {
        TxWait w;
        w.code = code;
        w.disable_window = false;
        w.arm_bound = true;
        return w;
    }
};

// The main window: both transports, the four pages and every command slot.
// Members are defined in the folder of their topic.
class TesselView : public QMainWindow
{
    Q_OBJECT

public:
    enum PageIndex {
        kPageMultiWindow = 0,
        kPageCommunication = 1,
        kPageInput = 2,
        kPageOutput = 3
    };
    enum PageButton {
        kButtonCommunication = 0,
        kButtonInput = 1,
        kButtonMultiWindow = 2,
        kButtonOutput = 3
    };

    explicit TesselView(QWidget *parent = nullptr);
    ~TesselView() override;

    // Options for testing and trying the program.
    void set_port_text(const QString &port);
    void set_address_text(const QString &address);
    void add_extra_serial_port(const QString &path);

    // Link (device/): every member below delegates to the link.
    using Transport = DeviceLink::Transport;
    DeviceLink &link() { return m_link; }
    // The serial port when it is open, else the socket when it is open.
    Transport active_transport() const { return m_link.transport(); }

    // The link's transmit routine with the window's part: disable the window,
    // write the frame, set the expected-reply code only after a full write, wait
    // (delay or modal busy dialog), enable the window. True when the whole frame
    // was written.
    bool transmit(uint8_t command, const QByteArray &payload, const TxWait &wait);
    bool transmit_short(uint8_t command, uint8_t a, uint8_t b, const TxWait &wait);

    bool send_read_request(uint8_t selector, uint8_t index);
    bool send_short_command(uint8_t command, uint8_t a, uint8_t b);
    // Builds a frame in tx_buf and writes it; true when the whole frame was accepted.
    bool send_buffer_command(uint8_t command, const QByteArray &payload);
    void set_wait_code(int code);
    // Sends a read request and waits for its reply in rx_buf; returns the bytes obtained.
    int direct_read(const proto::ReadSpec &request, uint8_t index);
    // rx_buf as a byte array for the decoders.
    QByteArray rx_reply() const;
    void load_device_state();
    bool refresh_status();
    void read_input_cards();
    void close_link();
    int status_length() const { return m_link.status_length(); }
    // After a resolution change or an initialization: a real device is let go
    // until the operator restarts it; the offline device is read anew at once.
    void after_device_restart();

    // Working offline (device/offline.cpp): a device inside the program.
    void clicked_offline_btn();
    // Asks whether to export unexported offline changes; true when the link
    // may close (nothing to export, exported, or discarded).
    bool confirm_offline_close();
    // "Offline: FILE" in the interface language.
    QString offline_state_text() const;

    // The system's serial ports in the order reported, then the extra ones.
    QStringList serial_port_names() const;
    // Fills in the communication page for a device the search found and connects to it.
    void connect_found_device(const FoundDevice &device);

    // Busy dialog: run modally until the reply engine closes it or the bound runs out.
    void run_busy_dialog(const QString &text, QWidget *parent = nullptr);
    // Non-modal busy dialog (export, import); unbounded unless a chain step arms the bound.
    CCWaitDialog *show_busy_dialog(const QString &text);
    void close_busy_dialog();
    CCWaitDialog *busy_dialog() const { return m_busy_dialog; }
    // The bound on an awaited acknowledgement; tests shorten it.
    void set_busy_bound_ms(int ms) { m_link.set_bound_ms(ms); }
    int busy_bound_ms() const { return m_link.bound_ms(); }

    // Page switching (app/)
    void highlight_page_button(int index);

    // Video input page (input/)
    // Status read, both input card reads and the page; false when the status
    // did not come (the page is left as it was).
    bool read_input_status();
    void refresh_input_page();
    void check_current_source(int card);
    void paint_signal_indicators();
    void load_card_adjust(int card);
    pipclass &pip_dialog() { return m_pip_dialog; }

    // Languages (app/languages.cpp)
    void apply_texts();
    void set_connect_button_text();

    // The link as the operator sees it (app/link_status.cpp): the status line,
    // a lost link, the read-only connection.
    void apply_link_status_texts();
    void show_link_state();
    // The controls that only write, disabled while the connection is read-only.
    QList<QWidget *> writing_controls() const;

    // ---- Multi-window layout (layout/) ----
    // One slot of the item table: the item of an open window on its mode's canvas.
    struct ItemSlot {
        uint8_t present = 0;
        QPointer<itemBox> item;
        // Closes the item and empties the slot.
        void remove();
    };
    void create_window(int mode);
    void rebuild_items(int mode);
    void apply_layers(int mode);
    void close_all_items();
    void to_canvas(int mode, int win);
    // Also resets the window's crop to the full picture of its input.
    void to_device(int mode, int win);
    void send_window_rect(int mode, int win);
    bool send_open_mask();
    void send_sources();
    bool send_layer_select(int win);
    void send_layer_move(int direction);
    void compute_layer_code(int mode);
    void select_mode(int mode);
    bool read_window_rects(int mode);
    void read_window_attributes();
    void refresh_window_tree();
    void highlight_mode_button(int mode);
    // The multi-window part of a full read-back: canvases, items, effect, tree.
    void rebuild_layout_page();
    // Replaces the sixteen canvases and shows the one of `mode`.
    void build_canvases(int mode);
    void show_canvas(int mode);
    cled *canvas(int mode) const;
    itemBox *window_item(int mode, int win) const;
    copymode &mode_copy_dialog() { return m_copy_mul; }
    copymode &output_copy_dialog() { return m_copy_out; }
    trimmingDlg &trimming_dialog() { return m_trimming; }
    mulAttribute &attribute_dialog() { return m_attribute; }
    const QList<QPushButton *> &mode_buttons() const { return m_mode_buttons; }
    // Wiring of the multi-window page, its dialogs and mode buttons.
    void setup_layout_page();
    void apply_layout_texts();

    QIPLineEdit *ip_editor() const { return m_ip_editor; }
    Ui::TesselViewClass &form() { return ui; }
    mosaic &mosaic_dialog() { return m_mosaic; }
    QSerialPort &serial_port() { return m_link.serial_port(); }
    QTcpSocket &socket() { return m_link.socket(); }

    // ---- Outputs and LED walls (output/) ----
    // The wall of each unit screen (led_screen) lives in the settings file,
    // group "M<mode>", keys "LED<card * 4 + port>Screen".
    void load_led_screen(int mode);
    void store_led_screen(int mode, int index);
    void copy_led_screen(int source, int target);
    void reset_led_screen();
    ImageQuality &image_quality_dialog() { return m_image_quality; }
    light &light_dialog() { return m_light; }
    // Page refresh pieces, also used by the fast mosaic editor.
    void show_manual_rect_fields();
    void show_led_fields();
    void refresh_output_preview();
    void set_output_texts();
    // Coverage map and the question before a unit change (output/coverage_page.cpp).
    WallCoverage &coverage_dialog() { return m_coverage; }
    void refresh_coverage();
    void apply_coverage_texts();
    // True when the unit of (card, port) may become `unit` on `wall`: the
    // change opens no new gap or overlap, or the operator says send anyway.
    bool confirm_unit_change(QWidget *parent, int card, int port, const DevRect &unit, int wall);

public slots:
    // ---- Outputs and LED walls (output/) ----
    void clicked_out_mode_btn(int mode);
    void clicked_out_port_btn(int card, int port);
    void activated_fromatBox(int index);
    void change_resolution_row(const QString &text);
    void change_resolution_column(const QString &text);
    void clicked_dpi_set_btn();
    void clicked_pushBtn_set();
    void clicked_copy_out_btn();
    void copy_out_mode(int _source_mode, int _target_mode);
    void text_changed(const QString &text);
    void activated_comboBo_select(int index);
    void clicked_size_set_btn();
    void set_combox_select_lau();
    void save_led_screen_size();
    void rev_total_size_signal(int _index);
    void send_select_port(int _out_id, int _win_id);
    void send_size_led(int _out_id, int _win_id, int _num);
    void clicked_btn_picture();
    void set_out_LD_command();
    void set_out_CT_command();
    void set_out_Color_command();
    void clicked_pushBtn_LD();
    void set_outA_outB_LD();
    void clicked_fast_splicing_btn();
    void clicked_coverage_btn();

public slots:
    void connectSeralPort();
    void getSerial();
    void setInputCard();
    void connectSetBtn();
    void wins_set_clicked();
    void output_card_set();
    void revData();
    void readDataSocket();
    void select_chinese();
    void select_english();
    void clicked_serial_btn();
    void clicked_web_btn();
    void clicked_find_btn();

    // Video input page (input/): connectors and signal status
    void clicked_cvbs1_btn();
    void clicked_hdmi1_btn();
    void clicked_sdi1_btn();
    void clicked_cvbs2_btn();
    void clicked_hdmi4_btn();
    void clicked_sdi2_btn();
    void clicked_hdmi2_btn();
    void clicked_hdmi3_btn();
    void clicked_dp1_btn();
    void clicked_hdmi5_btn();
    void clicked_hdmi6_btn();
    void clicked_dp2_btn();
    void clicked_updata_btn();
    // Input adjustment: slider and spin box coupling, Save
    void setSpinBoxInALDvalue(int value);
    void setSliderInALDvalue(int value);
    void setSpinBoxInBLDvalue(int value);
    void setSliderInBLDvalue(int value);
    void setSpinBoxInACTvalue(int value);
    void setSliderInACTvalue(int value);
    void setSpinBoxInBCTvalue(int value);
    void setSliderInBCTvalue(int value);
    void setSpinBoxInAColorvalue(int value);
    void setSliderInAColorvalue(int value);
    void setSpinBoxInBColorvalue(int value);
    void setSliderInBColorvalue(int value);
    void clicked_light_set_1btn();
    void clicked_constrbut_set_1btn();
    void clicked_color_set_1btn();
    void clicked_light_set_2btn();
    void clicked_constrbut_set_2btn();
    void clicked_color_set_2btn();
    // Picture-in-picture
    void clicked_open1_btn();
    void clicked_close1_btn();
    void clicked_open2_btn();
    void clicked_close2_btn();
    void clicked_pip1_btn();
    void clicked_pip2_btn();
    void clicked_auto1_btn();
    void clicked_auto2_btn();
    void set_pip_size(int _id, int flag);
    void pip_source(int _id, int flag);

    // Maintenance (maintenance/): export, import with its upload chain, initialization.
public slots:
    void clicked_export_btn();
    void clicked_import_btn();
    void clicked_compare_btn();
    void clicked_init_dev_btn();

public:
    // The export with its dialog; true when the file was written in full.
    bool export_configuration();
    // Refreshes the window and LED rectangles of all modes under the busy dialog;
    // false when the link was lost meanwhile.
    bool prepare_export();
    // Copies the file's values into the records; keeps the file's resolution pending.
    void parse_import(const codec::ConfigValues &values);
    void show_resolution_hint(int format);
    // Asks for a configuration file and reads it as the import does; nothing
    // when the dialog is cancelled or the file cannot be opened.
    std::optional<codec::ConfigValues> read_import_file(const QString &caption);
    // Reads every value the configuration file holds from the device, with the
    // step and the number of steps; nothing when a read goes unanswered. The
    // records are left alone.
    std::optional<codec::ConfigValues>
    read_configuration(const std::function<void(int step, int steps)> &progress = {});
    // Reads the device, compares it with the file and shows the preview; true
    // when the operator chose Import (never in compare_only).
    bool preview_import(const codec::ConfigValues &file, bool compare_only);
    void apply_preview_texts();
    // Steps of the upload chain; the reply engines send all but the first.
    bool upload_input_block();
    bool upload_global_block();
    bool upload_mode_block(int mode);
    bool upload_finish();
    void send_device_init();
    // Asks before an action that cannot be taken back: "Reminder", Yes and No.
    bool confirm(const QString &text, bool question_icon = false);
    // Gives the window back to the operator, then after_device_restart().
    void release_for_restart();

private:
    void finish_import();
    void show_import_step(int step);

public slots:
    // ---- Multi-window layout (layout/) ----
    void new_create();
    void new_win();
    void del_mul_win(int win_id);
    void del_all_mul_win();
    void change_wins_size(int win_id);
    void set_win_size(int win_id);
    void Up_Win(int win_id);
    void Down_Win(int win_id);
    void change_source_in(int win_id);
    void set_mul_frame(int win_id);
    void set_mul_light(int win_id);
    void set_mul_contrast(int win_id);
    void set_mul_color(int win_id);
    void mul_trimming_wins(int win_id);
    void mul_attribute(int win_id);
    void clicked_m0_btn() { clicked_mode_btn(0); }
    void clicked_m1_btn() { clicked_mode_btn(1); }
    void clicked_m2_btn() { clicked_mode_btn(2); }
    void clicked_m3_btn() { clicked_mode_btn(3); }
    void clicked_m4_btn() { clicked_mode_btn(4); }
    void clicked_m5_btn() { clicked_mode_btn(5); }
    void clicked_m6_btn() { clicked_mode_btn(6); }
    void clicked_m7_btn() { clicked_mode_btn(7); }
    void clicked_m8_btn() { clicked_mode_btn(8); }
    void clicked_m9_btn() { clicked_mode_btn(9); }
    void clicked_m10_btn() { clicked_mode_btn(10); }
    void clicked_m11_btn() { clicked_mode_btn(11); }
    void clicked_m12_btn() { clicked_mode_btn(12); }
    void clicked_m13_btn() { clicked_mode_btn(13); }
    void clicked_m14_btn() { clicked_mode_btn(14); }
    void clicked_m15_btn() { clicked_mode_btn(15); }
    void itemPressedSlot(QTreeWidgetItem *pressedItem, int column);
    void up_win();
    void down_win();
    void triggered_inA();
    void triggered_inB();
    void triggered_inC();
    void triggered_inD();
    void clicked_copy_mul_btn();
    void copy_mul_mode(int _source_mode, int _target_mode);

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    bool open_link();
    // The device number of the checked radio button.
    int checked_device_id() const;
    void show_window_title();
    void show_connect_failed();
    void read_settings();
    void write_settings();
    // What the pages do once an engine accepted the acknowledgement of `code`.
    void on_reply_accepted(int code);
    void on_busy_bound_expired();
    void on_link_lost();
    void set_full_timing(bool on);
    void setup_link_status();
    void set_read_only(bool on);
    void on_write_refused();
    void finish_refused_action();
    void show_link_notice(const QString &text);
    bool run_transmit(const std::function<DeviceLink::Outcome(const LinkWait &,
                                                              const std::function<void()> &)> &send,
                      const TxWait &wait);
    // Layout helpers (layout/)
    void clicked_mode_btn(int mode);
    void move_window_layer(int win_id, bool to_top);
    void set_tree_source(int card);
    int tree_window() const;
    void connect_item(itemBox *item);
    itemBox *make_item(int mode, int win);

    // ---- Outputs and LED walls (output/) ----
    void setup_output_page();
    void setup_led_page();
    void setup_output_dialogs();
    // Fast mosaic editor (output/mosaic/)
    void setup_mosaic_editor();
    void setup_coverage();
    void setup_output_page_for_mode();
    void fill_resolution_lists();
    void read_led_sizes();
    void send_resolution_follow_up();
    void highlight_out_mode_button(int mode);
    void highlight_out_port_button();
    // The manual port rectangle edits and the unit screen edits.
    RectEdits manual_input_edits() const;
    RectEdits manual_output_edits() const;
    RectEdits unit_edits() const { return {ui.inxEdit, ui.inyEdit, ui.inwEdit, ui.inhEdit}; }

    // Video input page (input/)
    void wire_input_page();
    void setup_input_adjust();
    void build_indicator_lists();
    void select_input_source(int card, int code);
    // The slider and spin box of one value (brightness, contrast, colour) of InA or InB.
    struct AdjustPair {
        QSlider *slider;
        QSpinBox *spin;
    };
    AdjustPair adjust_pair(int card, int value) const;
    void save_input_adjust(int card, int value);
    void switch_pip(int card, bool on);
    void open_pip_dialog(int card);

    // Members in construction order.
    Ui::TesselViewClass ui;
    DeviceLink m_link;
    QList<cled *> m_canvases;
    // The dialogs are owned as members but have no parent widget, so that their
    // object names never mix with the main window's form.
    trimmingDlg m_trimming;
    mulAttribute m_attribute;
    ItemSlot m_items[kModeCount][kWindowCount];
    QPointer<CCWaitDialog> m_busy_dialog;
    QList<QPushButton *> m_mode_buttons;
    QList<QPushButton *> m_out_mode_buttons;
    pipclass m_pip_dialog; // top-level: no parent widget
    ImageQuality m_image_quality{this};
    light m_light{this};
    int m_import_format = 0;
    int m_import_custom_w = 0;
    int m_import_custom_h = 0;
    std::unique_ptr<QSettings> m_settings;
    QIPLineEdit *m_ip_editor = nullptr;
    copymode m_copy_mul;
    copymode m_copy_out;
    QList<QRadioButton *> m_device_buttons;
    mosaic m_mosaic{this};
    WallCoverage m_coverage{this};
    // Connector radio buttons of InA..InD, in indicator order, and all twelve.
    QList<QRadioButton *> m_in_a_list;
    QList<QRadioButton *> m_in_b_list;
    QList<QRadioButton *> m_in_c_list;
    QList<QRadioButton *> m_in_d_list;
    QList<QRadioButton *> m_in_all_list;

    // ---- Outputs and LED walls (output/) ----
    QList<QPushButton *> m_out_port_buttons; // OutA DVI1..4, then OutB DVI1..4
    BoundedValidator *m_custom_w_validator = nullptr;
    BoundedValidator *m_custom_h_validator = nullptr;
    QList<BoundedValidator *> m_rect_validators; // the twelve position and size edits

    QStringList m_extra_serial_ports;
    FindDevices *m_find_dialog = nullptr; // made on first use
    QString m_last_port_name;

    // The status line and the notices about the link (app/link_status.cpp).
    QLabel *m_link_state_label = nullptr;
    QLabel *m_last_reply_label = nullptr;
    QDateTime m_last_reply;
    QPointer<QMessageBox> m_link_notice;
    // A refused command is answered once the operator's action is over: at
    // the event-loop level where its first refusal came, or an outer one.
    bool m_refusal_pending = false;
    int m_refusal_level = 0;
};
