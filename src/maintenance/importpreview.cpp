#include "maintenance/importpreview.h"

#include <QTreeWidgetItem>

#include "app/texts.h"

namespace {

enum Column { kPlaceColumn = 0, kDeviceColumn = 1, kFileColumn = 2 };

} // namespace

ImportPreview::ImportPreview(bool compare_only, QWidget *parent)
    : QDialog(parent), m_compare_only(compare_only)
{
    ui.setupUi(this);
    ui.acceptBtn->setVisible(!compare_only);
    ui.hintLabel->hide();
    connect(ui.acceptBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui.rejectBtn, &QPushButton::clicked, this, &QDialog::reject);
    apply_texts();
}

void ImportPreview::apply_texts()
{
    if (m_compare_only) {
        setWindowTitle(pick_text("Compare", "数据比对"));
        ui.questionLabel->setText(pick_text("What the file would change on the device:",
                                            "导入该文件将改变设备上的以下数据："));
    } else {
        setWindowTitle(pick_text("Reminder", "提示"));
        ui.questionLabel->setText(
            pick_text("Whether to import data to the device?", "是否将数据导入至设备?"));
    }
    ui.changeTree->setHeaderLabels({pick_text("Setting", "设置项"), pick_text("Device", "设备"),
                                    pick_text("File", "文件")});
    ui.acceptBtn->setText(pick_text("Import", "导入"));
    ui.rejectBtn->setText(pick_text("Cancel", "取消"));
}

void ImportPreview::set_changes(const QVector<codec::ConfigChange> &changes)
{
    const bool english = device_data.lang_english != 0;
    ui.changeTree->clear();
    if (changes.isEmpty()) {
        auto *none = new QTreeWidgetItem(ui.changeTree, {pick_text("No changes", "无变化")});
        none->setFirstColumnSpanned(true);
        return;
    }
    for (const codec::AreaChanges &area : codec::changes_by_area(changes)) {
        auto *group = new QTreeWidgetItem(ui.changeTree);
        group->setText(kPlaceColumn, QStringLiteral("%1 (%2)")
                                         .arg(codec::diff_area_name(area.area).pick(english))
                                         .arg(area.changes.size()));
        group->setData(kPlaceColumn, Qt::UserRole, static_cast<int>(area.area));
        group->setFirstColumnSpanned(true);
        for (const codec::ConfigChange &change : area.changes) {
            auto *row = new QTreeWidgetItem(group, {change.place.pick(english),
                                                    change.before.pick(english),
                                                    change.after.pick(english)});
            row->setToolTip(kPlaceColumn, change.line(english));
        }
        group->setExpanded(true);
    }
    // The file's column takes what is left.
    ui.changeTree->resizeColumnToContents(kPlaceColumn);
    ui.changeTree->resizeColumnToContents(kDeviceColumn);
}

void ImportPreview::set_hint(const QString &hint)
{
    ui.hintLabel->setText(hint);
    ui.hintLabel->setVisible(!hint.isEmpty());
    ui.acceptBtn->setEnabled(hint.isEmpty());
}
