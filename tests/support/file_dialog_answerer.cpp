#include "support/file_dialog_answerer.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>

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
    if (dialog == m_answered) {
        // Our answer did not close it: cancel rather than hang the test.
        qWarning("file dialog did not take %s", qPrintable(path));
        dialog->reject();
        return;
    }
    // selectFile() leaves the name field alone while it has the focus, which it
    // has once the dialog is the active window: drop the focus first.
    if (auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        edit->clearFocus();
    dialog->selectFile(path);
    m_answered = dialog;
    static_cast<QDialog *>(dialog)->accept(); // QFileDialog hides it as protected
}
