#pragma once

#include <QString>

class TesselView;

// Connects the program to a device as an operator would: picks the link kind,
// the pseudo-terminal or the TCP port on 127.0.0.1, and presses Connect.
// True when the chosen link is open afterwards.
bool connect_view(TesselView &view, quint16 tcp_port, const QString &pty, bool serial);

// The rows of a test that runs once on each link kind: a bool column "serial".
void add_link_rows();
