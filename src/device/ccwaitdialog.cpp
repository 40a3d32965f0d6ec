#include "device/ccwaitdialog.h"

#include <QEvent>
#include <QFrame>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QMovie>
#include <QProgressBar>

#include "app/app_paths.h"

namespace {

// Only the reply engine, the bound or the sender ends a busy dialog, with
// done(): Esc and every close request are swallowed.
class OperatorCloseFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
            return true;
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

CCWaitDialog::CCWaitDialog(const QString &text, QWidget *parent) : QDialog(parent)
{
    installEventFilter(new OperatorCloseFilter(this));
    setFixedSize(400, 120);
    setWindowOpacity(0.8);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setStyleSheet(QStringLiteral("background-color:transparent;"));
    setAttribute(Qt::WA_TranslucentBackground);

    m_frame = new QFrame(this);
    m_frame->setGeometry(0, 0, 350, 120);
    m_frame->setStyleSheet(
        QStringLiteral("background-color: rgb(55, 135,215);border-radius:10px;"));

    m_movie_label = new QLabel(m_frame);
    m_movie_label->setGeometry(115, 15, 70, 50);
    m_movie_label->setStyleSheet(QStringLiteral("background-color:transparent;"));
    m_movie_label->setAlignment(Qt::AlignHCenter);
    m_movie_label->setScaledContents(true);

    // Without a parent: the destructor owns the movie. The resources hold a
    // copy, so a missing or damaged file never leaves the image area empty.
    m_movie = new QMovie(first_readable_animation(tessel_wait_animation_candidates()));
    m_movie_label->setMovie(m_movie);

    m_text_label = new QLabel(m_frame);
    m_text_label->setGeometry(20, 70, 300, 40);
    m_text_label->setText(text);
    m_text_label->setAlignment(Qt::AlignHCenter);
    m_text_label->setStyleSheet(QStringLiteral("color: white;background-color: transparent;"));
    m_text_label->setWordWrap(true);

    // Under the message, clear of one line of text; the numbers need no translation.
    m_progress = new QProgressBar(m_frame);
    m_progress->setGeometry(70, 100, 200, 14);
    m_progress->setTextVisible(true);
    m_progress->setAlignment(Qt::AlignCenter);
    m_progress->setFormat(QStringLiteral("%v / %m"));
    m_progress->setStyleSheet(QStringLiteral(
        "QProgressBar{color: white;background-color: transparent;border: 1px solid white;"
        "border-radius:4px;font-size:10px;}"
        "QProgressBar::chunk{background-color: rgb(30, 90, 160);border-radius:3px;}"));
    m_progress->hide();

    m_movie->start();
}

QString CCWaitDialog::first_readable_animation(const QStringList &candidates)
{
    for (const QString &path : candidates) {
        // A damaged or truncated file is passed over like a missing one.
        QImageReader reader(path);
        if (reader.canRead() && reader.supportsAnimation() && !reader.read().isNull())
            return path;
    }
    return candidates.isEmpty() ? QString() : candidates.constLast();
}

CCWaitDialog::~CCWaitDialog()
{
    delete m_movie_label;
    delete m_movie;
    delete m_text_label;
    delete m_frame;
}

QString CCWaitDialog::message() const
{
    return m_text_label->text();
}

void CCWaitDialog::set_progress(int step, int total)
{
    m_progress->setRange(0, qMax(total, 1));
    m_progress->setValue(qBound(0, step, qMax(total, 1)));
    m_progress->show();
}

QString CCWaitDialog::progress_text() const
{
    return m_progress->isHidden() ? QString() : m_progress->text();
}
