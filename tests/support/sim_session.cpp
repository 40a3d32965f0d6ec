#include "support/sim_session.h"

#include "device/device_data.h"
#include "support/link_setup.h"

bool SimSession::start(bool serial_link, const sim::SimImage &image)
{
    serial = serial_link;
    device_data = DeviceData();
    dir = std::make_unique<QTemporaryDir>();
    qputenv("TESSEL_APP_DIR", dir->path().toUtf8());
    sim = std::make_unique<sim::SimServer>(image);
    if (!sim->listen_tcp())
        return false;
    if (serial && sim->open_pty().isEmpty())
        return false;
    view = std::make_unique<TesselView>();
    view->show();
    return true;
}

bool SimSession::connect_link()
{
    return connect_view(*view, sim->tcp_port(), sim->pty_path(), serial);
}

void SimSession::stop()
{
    view.reset();
    sim.reset();
    dir.reset();
}

QList<int> SimSession::written_commands() const
{
    QList<int> commands;
    for (const QString &hex : sim->frame_log()) {
        const int command = hex.midRef(10, 2).toInt(nullptr, 16);
        if (command != proto::kCmdRead)
            commands.append(command);
    }
    return commands;
}
