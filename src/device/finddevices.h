#pragma once

#include <QDialog>
#include <QStringList>

#include "link/device_probe.h"
#include "ui_finddevices.h"

// Shows what a search of the serial ports and of a network range finds; a
// double-click on a device chooses it. The searching is the probe's.
class FindDevices : public QDialog
{
    Q_OBJECT

public:
    enum Column { kColLink, kColWhere, kColId, kColResolution, kColCards };

    explicit FindDevices(QWidget *parent = nullptr);

    // Where the next search looks: these serial ports and the network port;
    // the range edit shows `range` when the operator has typed none yet.
    void prepare(const QStringList &serial_ports, quint16 tcp_port, const QString &range);
    void apply_texts();
    // Searches the serial ports and the typed range; a bad range is said and
    // nothing is searched, an empty one searches the serial ports only.
    void search();

    DeviceProbe &probe() { return m_probe; }
    Ui::FindDevicesClass &form() { return ui; }
    // The device of a list row.
    static FoundDevice device_of(const QTreeWidgetItem *item);

signals:
    void device_chosen(const FoundDevice &device);

protected:
    void done(int result) override;

private:
    void add_row(const FoundDevice &device);
    void fill_row(QTreeWidgetItem *item, const FoundDevice &device) const;
    void show_state();
    void fit_columns();
    void choose(QTreeWidgetItem *item);

    Ui::FindDevicesClass ui;
    DeviceProbe m_probe;
    QStringList m_serial_ports;
    quint16 m_tcp_port = 7;
    int m_serial_count = 0;
    // A message about the typed range, shown instead of the search state.
    QString m_range_error;
    QString m_offered_range;
};
