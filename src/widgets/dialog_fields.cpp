#include "widgets/dialog_fields.h"

#include <QLabel>
#include <QLineEdit>

#include "app/texts.h"
#include "widgets/bounded_validator.h"

void show_rect(const RectEdits &edits, const DevRect &rect)
{
    edits.x->setText(QString::number(rect.x));
    edits.y->setText(QString::number(rect.y));
    edits.w->setText(QString::number(rect.w));
    edits.h->setText(QString::number(rect.h));
}

DevRect read_rect(const RectEdits &edits)
{
    return DevRect{edits.x->text().toInt(), edits.y->text().toInt(), edits.w->text().toInt(),
                   edits.h->text().toInt()};
}

void set_rect_captions(QLabel *x, QLabel *y, QLabel *w, QLabel *h)
{
    x->setText(pick_text("H_Start", "水平起始"));
    y->setText(pick_text("V_Start", "垂直起始"));
    w->setText(pick_text("Width", "宽度"));
    h->setText(pick_text("Height", "高度"));
}

void set_picture_captions(QLabel *gray, QLabel *brightness, QLabel *color)
{
    gray->setText(pick_text("Gray", "低灰偏置"));
    brightness->setText(pick_text("Brightness", "亮度"));
    color->setText(pick_text("Color", "颜色"));
}

void bind_bounded_edits(QObject *context, std::initializer_list<QLineEdit *> edits,
                        const std::function<void()> &update)
{
    for (QLineEdit *edit : edits) {
        set_edit_range(edit, 0, 0);
        QObject::connect(edit, &QLineEdit::textChanged, context, [update] { update(); });
    }
    update();
}
