#pragma once

#include <QLineEdit>

// An IPv4 address typed into four octet fields, with dots painted in the gaps.
// The outer edit only frames the fields; it is read-only.
class QIPLineEdit : public QLineEdit
{
    Q_OBJECT

public:
    static constexpr int kOctetCount = 4;

    explicit QIPLineEdit(QWidget *parent = nullptr);

    // Hide the base versions: the address lives in the octet fields.
    void setText(const QString &text);
    QString text() const;

    QLineEdit *octet(int index) const { return m_octets[index]; }

    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    void charge();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int octet_index(const QObject *object) const;
    void handle_key(int index, const QKeyEvent *event);
    void focus_octet(int index, int cursor);

    QLineEdit *m_octets[kOctetCount] = {};
};
