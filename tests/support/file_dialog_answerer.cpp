#include "support/file_dialog_answerer.h"

#include <QApplication>
#include <QFileDialog>

FileDialogAnswerer::FileDialogAnswerer(const QString &path_, QObject *parent)
    : QObject(parent), path(path_)
{
    connect(&m_timer, &QTimer::timeout, this, &FileDialogAnswerer::poll);
    m_timer.start(20);
}

void FileDialogAnswerer::poll()
{
    auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible())
        return;
    titles.append(dialog->windowTitle());
    directories.append(dialog->directory().absolutePath());
    filters.append(dialog->nameFilters().join(QLatin1Char(';')));
    if (path.isEmpty()) {
        dialog->reject();
        return;
    }
    dialog->selectFile(path);
    static_cast<QDialog *>(dialog)->accept(); // QFileDialog hides it as protected
}
