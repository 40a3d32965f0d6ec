#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// Starts the simulator program as a process of its own and reads the port it
// listens on and, when `pty` is given, the pseudo-terminal it made. False when
// it does not tell them in time.
bool start_sim_process(QProcess &device, const QString &program, const QStringList &args,
                       quint16 &port, QString *pty = nullptr);
// The options of a simulator on a free TCP port and a pseudo-terminal, then `extra`.
QStringList sim_on_both_links(const QStringList &extra = {});
