#pragma once

// Answers the import preview that a test provokes: records what it shows, then
// presses Import or Cancel. Header-only so that every test file can take it.

#include <QApplication>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QTreeWidgetItem>

#include "maintenance/importpreview.h"

struct PreviewSeen {
    QString title;
    QString question;
    QString hint; // empty when the hint label is hidden
    bool import_shown = false;
    bool import_enabled = false;
    QStringList areas; // the top-level rows
    QStringList rows;  // the changes: "place | device | file"
};

class PreviewAnswerer
{
public:
    explicit PreviewAnswerer(bool import) : m_import(import)
    {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { poll(); });
        m_timer.start(20);
    }

    QList<PreviewSeen> seen;

private:
    void poll()
    {
        auto *dialog = qobject_cast<ImportPreview *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || dialog == m_answered)
            return;
        m_answered = dialog;
        Ui::ImportPreview &ui = dialog->form();
        PreviewSeen s;
        s.title = dialog->windowTitle();
        s.question = ui.questionLabel->text();
        s.hint = ui.hintLabel->isVisible() ? ui.hintLabel->text() : QString();
        s.import_shown = ui.acceptBtn->isVisible();
        s.import_enabled = ui.acceptBtn->isEnabled();
        for (int i = 0; i < ui.changeTree->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *area = ui.changeTree->topLevelItem(i);
            s.areas << area->text(0);
            for (int j = 0; j < area->childCount(); ++j) {
                const QTreeWidgetItem *row = area->child(j);
                s.rows << QStringLiteral("%1 | %2 | %3")
                              .arg(row->text(0), row->text(1), row->text(2));
            }
        }
        seen << s;
        // A disabled Import cannot be pressed: Cancel it is.
        if (m_import && s.import_enabled)
            ui.acceptBtn->click();
        else
            ui.rejectBtn->click();
    }

    bool m_import;
    QTimer m_timer;
    QPointer<ImportPreview> m_answered;
};
