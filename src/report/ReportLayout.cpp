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
    // The top bar and the status bar are docked: they follow the width by themselves.
    setWidth(g.topBar, scaleWidth);
    setWidth(g.statusBar, scaleWidth);
    g.statusBar.top = scaleHeight - g.statusBar.height;

    g.leftPanel.top = g.topBar.top + g.topBar.height;
    g.leftPanel.left = 15;
    setHeight(g.leftPanel, scaleHeight - g.topBar.height - g.statusBar.height);

    g.deptTree.left = 30;
    g.deptSearch.left = g.deptTree.left;
    setHeight(g.deptTree, g.leftPanel.height - g.deptTree.top - 90);

    g.mainPanel.top = g.topBar.top + g.topBar.height;
    g.mainPanel.left = g.leftPanel.left + g.leftPanel.width;
    setWidth(g.mainPanel, scaleWidth - g.leftPanel.width - 30);
    setHeight(g.mainPanel, scaleHeight - g.topBar.height - g.statusBar.height - g.bottomBar.height);

    g.summaryTitle.left = (g.mainPanel.width - g.summaryTitle.width) / 2;
    g.runLabel.left = g.summaryTitle.left + g.summaryTitle.width + 150;
    setWidth(g.runLabel, g.mainPanel.width - g.runLabel.left - 225);

    g.summaryGrid.left = 15;
    setWidth(g.summaryGrid, g.mainPanel.width - 30 - 60);
    setHeight(g.summaryGrid, g.mainPanel.height - g.summaryGrid.top - 60);

    g.bottomBar.left = g.leftPanel.left + g.leftPanel.width;
    g.bottomBar.top = scaleHeight - g.statusBar.height - g.bottomBar.height;
    setWidth(g.bottomBar, g.mainPanel.width);

    g.exitButton.left = g.bottomBar.width - g.runButton.left - g.exitButton.width;

    setWidth(g.exportProgress, g.bottomBar.width - 2 * g.exportProgress.left);
}

void applyDetailLayout(DetailGeometry& g) {
    g.bottomBar.top = g.panel.height - g.bottomBar.height;
    setWidth(g.bottomBar, g.panel.width - 2 * g.bottomBar.left);

    g.closeButton.left = g.bottomBar.width - g.exportButton.left - g.closeButton.width;

    g.grid.top = 780;
    g.grid.left = 30;
    setWidth(g.grid, g.panel.width - 2 * g.grid.left - 30);
    setHeight(g.grid, g.panel.height - g.grid.top - g.bottomBar.height);

    setWidth(g.exportProgress, g.bottomBar.width - 2 * g.exportProgress.left);
}

} // namespace nbr
