#pragma once
// Picture1 of the main window: the 810-twip banner strip across the top,
// redrawn from the banner picture on every resize (see BannerLayout).

#include <QPixmap>
#include <QWidget>

namespace nbr {

class BannerStrip : public QWidget {
    Q_OBJECT
public:
    explicit BannerStrip(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
};

} // namespace nbr
