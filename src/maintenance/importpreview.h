#pragma once

#include <QDialog>
#include <QVector>

#include "maintenance/config_diff.h"
#include "ui_importpreview.h"

// What a configuration file would change on the device, area by area, before
// anything is sent. Import goes on only from acceptBtn; Cancel, Esc and closing
// the window leave everything as it was.
class ImportPreview : public QDialog
{
    Q_OBJECT

public:
    // compare_only: the dialog only shows; its Import button is hidden.
    explicit ImportPreview(bool compare_only, QWidget *parent = nullptr);

    // Fills the tree: one row per area that changes, with its count, and one
    // row per change under it; a single "No changes" row when nothing differs.
    void set_changes(const QVector<codec::ConfigChange> &changes);
    // A non-empty hint says why the file cannot be imported and disables Import.
    void set_hint(const QString &hint);

    Ui::ImportPreview &form() { return ui; }

private:
    void apply_texts();

    Ui::ImportPreview ui;
    bool m_compare_only;
};
