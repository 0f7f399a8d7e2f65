#pragma once
// A classic picture box: a plain container with a back colour (or a picture
// drawn stretched over it) that tells when it was resized.

#include <QImage>
#include <QWidget>

namespace nbr {

class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(const QString& name, QWidget* parent);
    void setBackColor(const QColor& color);
    void setBackgroundImage(const QImage& image);

signals:
    void resized();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
};

} // namespace nbr
