#include "report/ReportLayout.h"

#include "platform/Twips.h"

namespace nbr {

QRect pixelRect(const TwipRect& r) {
    return QRect(twipsToPixels(r.left), twipsToPixels(r.top), twipsToPixels(r.width),
                 twipsToPixels(r.height));
}

namespace {
void setWidth(TwipRect& r, int w) {
    if (w >= 0)
        r.width = w;
}
void setHeight(TwipRect& r, int h) {
    if (h >= 0)
        r.height = h;
}
} // namespace

void applyMainLayout(MainGeometry& g, int scaleWidth, int scaleHeight) {
    // Picture1 and StatusBar1 are docked: they follow the width by themselves.
    setWidth(g.picture1, scaleWidth);
    setWidth(g.statusBar1, scaleWidth);
    g.statusBar1.top = scaleHeight - g.statusBar1.height;

    g.picture2.top = g.picture1.top + g.picture1.height;
    g.picture2.left = 15;
    setHeight(g.picture2, scaleHeight - g.picture1.height - g.statusBar1.height);

    g.treeView1.left = 30;
    setHeight(g.treeView1, g.picture2.height - g.treeView1.top - 90);

    g.picture3.top = g.picture1.top + g.picture1.height;
    g.picture3.left = g.picture2.left + g.picture2.width;
    setWidth(g.picture3, scaleWidth - g.picture2.width - 30);
    setHeight(g.picture3,
              scaleHeight - g.picture1.height - g.statusBar1.height - g.picture4.height);

    g.label1_2.left = (g.picture3.width - g.label1_2.width) / 2;

    g.msFlexGrid1.left = 15;
    setWidth(g.msFlexGrid1, g.picture3.width - 30 - 60);
    setHeight(g.msFlexGrid1, g.picture3.height - g.msFlexGrid1.top - 60);

    g.picture4.left = g.picture2.left + g.picture2.width;
    g.picture4.top = scaleHeight - g.statusBar1.height - g.picture4.height;
    setWidth(g.picture4, g.picture3.width);

    g.command1.left = g.picture4.width - g.command3.left - g.command1.width;

    setWidth(g.progressBar1, g.picture4.width - 2 * g.progressBar1.left);
}

void applyDetailLayout(DetailGeometry& g) {
    g.picture5.top = g.picture7.height - g.picture5.height;
    setWidth(g.picture5, g.picture7.width - 2 * g.picture5.left);

    g.command4.left = g.picture5.width - g.command5.left - g.command4.width;

    g.msFlexGrid2.top = 780;
    g.msFlexGrid2.left = 30;
    setWidth(g.msFlexGrid2, g.picture7.width - 2 * g.msFlexGrid2.left - 30);
    setHeight(g.msFlexGrid2, g.picture7.height - g.msFlexGrid2.top - g.picture5.height);

    setWidth(g.progressBar2, g.picture5.width - 2 * g.progressBar2.left);
}

} // namespace nbr
