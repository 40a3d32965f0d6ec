#pragma once

#include <QProcess>
#include <QStringList>

// Starts tessel-sim (`program`) as a process of its own on TCP and a
// pseudo-terminal; false when it does not tell its port and pseudo-terminal in time.
bool start_sim_process(QProcess &device, const QString &program, const QStringList &extra,
                       quint16 &port, QString &pty);
