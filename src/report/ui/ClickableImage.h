#pragma once
// A member of an image control array: a small picture that reports clicks
// with its index.

#include <QLabel>

namespace nbr {

class ClickableImage : public QLabel {
    Q_OBJECT
public:
    ClickableImage(int index, QWidget* parent);
    int index() const { return m_index; }

signals:
    void clicked(int index);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_index;
};

} // namespace nbr
