#include "cli/cli_runner.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QThread>
#include <QVector>

#include <algorithm>
#include <memory>
#include <vector>

#include "cli/cli_console.h"
#include "cli/cli_device.h"

namespace cli {

int run_request(const Request &request, Console &console)
{
    // Targets by bus, in the order given.
    QVector<QVector<int>> buses;
    QStringList keys;
    for (int i = 0; i < request.targets.size(); ++i) {
        const QString key = request.targets[i].bus();
        int b = keys.indexOf(key);
        if (b < 0) {
            b = keys.size();
            keys.append(key);
            buses.append(QVector<int>());
        }
        buses[b].append(i);
    }

    // A plain vector: each thread writes its own elements, nothing is shared or detached.
    std::vector<DeviceResult> results(static_cast<size_t>(request.targets.size()));
    // Each bus has a thread of its own: the link's waits are nested event
    // loops, which in one thread would make every device wait for the others.
    std::vector<std::unique_ptr<QThread>> threads;
    QEventLoop all_done;
    int running = 0;
    for (const QVector<int> &bus : qAsConst(buses)) {
        threads.emplace_back(QThread::create([&request, &console, &results, bus] {
            for (int i : bus)
                results[static_cast<size_t>(i)] = run_device(request, request.targets[i], console);
        }));
        QObject::connect(threads.back().get(), &QThread::finished, &all_done, [&] {
            if (--running == 0)
                all_done.quit();
        });
    }
    for (auto &t : threads) {
        ++running;
        t->start();
    }
    if (running > 0)
        all_done.exec();
    for (auto &t : threads)
        t->wait();

    int exit = kExitDone;
    int failed = 0;
    QJsonArray devices;
    for (const DeviceResult &r : results) {
        exit = std::max(exit, r.exit);
        failed += r.exit != kExitDone;
        devices.append(r.json);
    }
    const int total = static_cast<int>(results.size());
    if (request.json) {
        const QJsonObject doc{{"command", request.name},
                              {"devices", devices},
                              {"done", total - failed},
                              {"failed", failed}};
        console.plain(
            QString::fromUtf8(QJsonDocument(doc).toJson(QJsonDocument::Indented)).trimmed());
    } else if (total > 1) {
        console.plain(QStringLiteral("%1: %2 devices, %3 done, %4 failed")
                          .arg(request.name)
                          .arg(total)
                          .arg(total - failed)
                          .arg(failed));
    }
    return exit;
}

} // namespace cli
