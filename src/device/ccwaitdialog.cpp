#include "device/ccwaitdialog.h"

#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMovie>

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

    // Without a parent: the destructor owns the movie. A missing file only
    // leaves the image area empty.
    m_movie = new QMovie(tessel_app_dir() + QStringLiteral("/image/wait.gif"));
    m_movie_label->setMovie(m_movie);

    m_text_label = new QLabel(m_frame);
    m_text_label->setGeometry(20, 70, 300, 40);
    m_text_label->setText(text);
    m_text_label->setAlignment(Qt::AlignHCenter);
    m_text_label->setStyleSheet(QStringLiteral("color: white;background-color: transparent;"));
    m_text_label->setWordWrap(true);

    m_movie->start();
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
