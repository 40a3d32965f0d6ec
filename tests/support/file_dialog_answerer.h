#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

// Answers the file dialogs that a test provokes: records caption, folder and
// filters, then picks the given path, or cancels when it is empty.
class FileDialogAnswerer : public QObject
{
    Q_OBJECT

public:
    explicit FileDialogAnswerer(const QString &path, QObject *parent = nullptr);

    QString path;
    QStringList titles;
    QStringList directories;
    QStringList filters;

private:
    void poll();
    QTimer m_timer;
    QPointer<QObject> m_answered;
};
