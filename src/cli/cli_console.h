#pragma once

// Output shared by the devices' threads: whole lines, never interleaved.

#include <QMutex>
#include <QString>

namespace cli {

class Console
{
public:
    explicit Console(bool json) : m_json(json) {}

    // A line for people on stdout, after the device's label; none with --json.
    void line(const QString &label, const QString &text);
    // What failed, on stderr, after the device's label.
    void error(const QString &label, const QString &text);
    // A line of its own on stdout (the JSON document, the summary).
    void plain(const QString &text);
    // Asks on the terminal; true for "y" or "yes". One question at a time.
    bool ask(const QString &question);

    // Whether a person can answer: stdin is a terminal.
    static bool interactive();

private:
    QMutex m_mutex;
    bool m_json;
};

} // namespace cli
