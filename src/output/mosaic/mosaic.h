#pragma once

#include <QDialog>
#include <QPointer>
#include <QVector>
#include <functional>

#include "device/device_data.h"
#include "output/mosaic/ledsize.h"
#include "output/mosaic/ledtrim.h"
#include "ui_mosaic.h"

class cframe;
class ledscreen;
class winClass;

// The fast mosaic editor: unit screens of one or four LED walls laid out with
// the mouse on scaled canvases of the walls, for the current output mode. It
// edits the shared records; the main window sends what it asks for.
class mosaic : public QDialog
{
    Q_OBJECT

public:
    struct PortUnit {
        bool shown = true;
        QPointer<ledscreen> item;
        int wall = 0;
        int id = 0;
        int card = 0;
        int port = 0;
    };
    struct CopyUnit {
        QPointer<winClass> item;
        int wall = 0;
        int id = 0;
    };

    explicit mosaic(QWidget *parent = nullptr);

    // Rebuilds canvases, port units and the unit list from the records of the
    // current output mode; run before each opening.
    void prepare_editor();
    // Captions of the current language.
    void apply_texts();

    Ui::mosaicClass &form() { return ui; }
    ledsize &size_dialog() { return m_ledsize; }
    ledtrim &trim_dialog() { return m_ledtrim; }
    // The canvas of a wall (four-wall mode) or of the single wall (index 0).
    cframe *canvas(int wall) const;
    const QVector<PortUnit> &port_units() const { return m_port_units; }
    const QVector<CopyUnit> &copy_units() const { return m_copy_units; }
    int copy_unit_count() const { return m_copy_unit_count; }
    int shown_wall() const { return m_shown_wall; }
    // Asked before an assignment changes anything; false leaves the records
    // and the copy unit as they are and sends nothing.
    using AssignmentCheck =
        std::function<bool(int card, int port, const DevRect &unit, int wall)>;
    void set_assignment_check(AssignmentCheck check) { m_assignment_check = std::move(check); }

signals:
    void total_size_signal(int _num);
    void select_port_signal(int _out_id, int _win_id);
    void send_size_signal(int _out_id, int _win_id, int _num);
    // A port's unit moved to another wall: led_screen[_index] of the current
    // output mode is to be kept in the settings file.
    void led_screen_signal(int _index);

public slots:
    void clicked_size_set_btn();
    void activated_comboBo_select(int index);
    void new_create_copy_led();
    void create_led_copy(int _w, int _h);
    void change_out_2_led_size(int _out_id, int _win_id, int _len);
    void del_out_2_led(int _index);
    void up_copy_win(int _index);
    void del_win_select(int _index);
    void del_all_2_win();
    void rev_trimming_alc_signal(int _out_id, int _win_id, int _index);
    void save_led_size(int _out_id, int _win_id, int _index);

private:
    void clear_items();
    void make_canvases();
    void place_port_units();
    ledscreen *add_port_unit(int card, int port, int wall, const DevRect &wall_rect,
                             const DevRect &canvas_rect);
    void remove_units_of_wall(int wall);
    // Closes the units that match and drops them from their list.
    void remove_port_units(const std::function<bool(const PortUnit &)> &match);
    void remove_copy_units(const std::function<bool(const CopyUnit &)> &match);
    void show_only_canvas(int wall);
    QString wall_name(int wall) const;
    void show_wall_totals();

    Ui::mosaicClass ui;
    ledsize m_ledsize;
    ledtrim m_ledtrim;
    QVector<QPointer<cframe>> m_canvases;
    QVector<PortUnit> m_port_units;
    QVector<CopyUnit> m_copy_units;
    int m_id_counter = 0;
    int m_copy_unit_count = 0;
    int m_shown_wall = 0;
    AssignmentCheck m_assignment_check;
};
