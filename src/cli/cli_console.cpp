#include "cli/cli_console.h"

#include <QMutexLocker>

#include <cstdio>
#include <iostream>
#include <string>

#if defined(Q_OS_WIN)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace cli {

namespace {

void write(std::FILE *to, const QString &text)
{
    const QByteArray bytes = (text + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), to);
    std::fflush(to);
}

} // namespace

void Console::line(const QString &label, const QString &text)
{
    if (m_json)
        return;
    QMutexLocker lock(&m_mutex);
    write(stdout, label + QStringLiteral(": ") + text);
}

void Console::error(const QString &label, const QString &text)
{
    QMutexLocker lock(&m_mutex);
    write(stderr, label + QStringLiteral(": ") + text);
}

void Console::plain(const QString &text)
{
    QMutexLocker lock(&m_mutex);
    write(stdout, text);
}

bool Console::ask(const QString &question)
{
    QMutexLocker lock(&m_mutex);
    const QByteArray bytes = (question + QLatin1Char(' ')).toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer))
        return false;
    const QString a = QString::fromStdString(answer).trimmed().toLower();
    return a == QLatin1String("y") || a == QLatin1String("yes");
}

bool Console::interactive()
{
#if defined(Q_OS_WIN)
    return _isatty(_fileno(stdin)) != 0;
#else
    return isatty(fileno(stdin)) != 0;
#endif
}

} // namespace cli
