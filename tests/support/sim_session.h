#pragma once

#include <QTemporaryDir>

#include <memory>

#include "app/tesselview.h"
#include "sim_server.h"

// One test's world: a fresh app directory (settings file, exports), fresh
// device records, an in-process simulated device on TCP and, for the serial
// link, a pseudo-terminal, and a main window shown on screen.
struct SimSession {
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<sim::SimServer> sim;
    std::unique_ptr<TesselView> view;
    bool serial = false;

    // False when the link kind cannot be offered here (no pseudo-terminal).
    bool start(bool serial_link, const sim::SimImage &image = sim::SimImage::demo());
    // Connects as an operator would; true when the link is open afterwards.
    bool connect_link();
    void stop();

    QString path(const QString &name) const { return dir->filePath(name); }
    // Command bytes of the write frames the device received, in order.
    QList<int> written_commands() const;
};
