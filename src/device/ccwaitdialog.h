#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QMovie;
class QProgressBar;

// Frameless busy dialog: a rounded blue panel with the wait animation and a
// message. It never closes itself and ignores Esc and close requests; whoever
// shows it ends it with done().
class CCWaitDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CCWaitDialog(const QString &text, QWidget *parent = nullptr);
    ~CCWaitDialog() override;

    QString message() const;

    // Long work (export, import) shows how far it is under the message, as a
    // bar reading "step / total". Hidden until first set.
    void set_progress(int step, int total);
    QString progress_text() const;

    // The first of the candidate files that holds a readable animation; the
    // last candidate when none does.
    static QString first_readable_animation(const QStringList &candidates);

private:
    QMovie *m_movie = nullptr;
    QLabel *m_movie_label = nullptr;
    QLabel *m_text_label = nullptr;
    QFrame *m_frame = nullptr;
    QProgressBar *m_progress = nullptr;
};
