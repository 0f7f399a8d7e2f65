#include "shell/ui/BannerStrip.h"

#include "platform/Twips.h"
#include "shell/BannerLayout.h"

#include <QPainter>

using namespace Qt::StringLiterals;

// The banner is compiled into the static ui library, whose resources must
// be registered by hand.
static void registerAssets() {
    Q_INIT_RESOURCE(assets);
}

namespace nbr {

BannerStrip::BannerStrip(QWidget* parent) : QWidget(parent) {
    registerAssets();
    m_picture.load(u":/nbreport/banner.png"_s);
    setObjectName(u"Picture1"_s);
    setFixedHeight(twipsToPixels(810));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void BannerStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (m_picture.isNull())
        return;
    // The picture is designed at 15 twips per pixel; the strip at the screen's DPI.
    const double pictureTwipsPerPixel = 15.0;
    painter.drawPixmap(0, 0, m_picture);
    for (const BannerCopy& copy : bannerCopies(pixelsToTwips(width()))) {
        const int sx = int(copy.sourceLeft / pictureTwipsPerPixel);
        const int sw = copy.sourceWidth < 0 ? m_picture.width() - sx
                                            : int(copy.sourceWidth / pictureTwipsPerPixel);
        painter.drawPixmap(
            QRect(twipsToPixels(copy.destLeft), 0, twipsToPixels(copy.destWidth), height()),
            m_picture, QRect(sx, 0, sw, m_picture.height()));
    }
}

} // namespace nbr
