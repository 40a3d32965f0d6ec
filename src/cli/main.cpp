// tessel-cli: the device from a shell, one or many at once, over the same link
// and codec as the window.

#include <QCoreApplication>
#include <QDir>

#include "cli/cli_console.h"
#include "cli/cli_options.h"
#include "cli/cli_runner.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tessel-cli"));

    cli::Parsed parsed = cli::parse_arguments(QCoreApplication::arguments());
    cli::Console console(parsed.request.json);
    if (parsed.help) {
        console.plain(parsed.message.trimmed());
        return cli::kExitDone;
    }
    const QString name = QStringLiteral("tessel-cli");
    if (parsed.exit != cli::kExitDone) {
        console.error(name, parsed.message);
        return parsed.exit;
    }
    cli::Request &request = parsed.request;

    // Everything that can fail without a device fails before one is contacted.
    if (request.command == cli::Command::Import) {
        if (!request.yes && !cli::Console::interactive()) {
            console.error(name, QStringLiteral("import needs --yes when no one can answer "
                                               "\"Import? [y/N]\"; nothing was sent"));
            return cli::kExitUsage;
        }
        const QString problem = cli::load_config_file(request.file, request.values);
        if (!problem.isEmpty()) {
            console.error(name, problem + QStringLiteral("; nothing was sent"));
            return cli::kExitFile;
        }
    }
    if (request.command == cli::Command::Export && request.export_dir &&
        !QDir().mkpath(request.file)) {
        console.error(name, QStringLiteral("cannot create the folder %1").arg(request.file));
        return cli::kExitFile;
    }
    return cli::run_request(request, console);
}
