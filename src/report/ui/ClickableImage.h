#pragma once
// A member of an image control array: a small picture that reports clicks
// with its index. The picture is an icon, painted at the screen's pixel
// ratio, so a drawn one stays sharp at any scale.

#include <QIcon>
#include <QLabel>

namespace nbr {

class ClickableImage : public QLabel {
    Q_OBJECT
public:
    ClickableImage(int index, QWidget* parent);
    int index() const { return m_index; }
    // The picture and its size in the window's pixels.
    void setIcon(const QIcon& icon, QSize size);

signals:
    void clicked(int index);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int m_index;
    QIcon m_icon;
};

} // namespace nbr
