#include "report/ui/ReportControls.h"

#include "platform/Twips.h"
#include "platform/WindowFont.h"
#include "platform/ui/DrawnIcon.h"
#include "report/ReportCaptions.h"
#include "report/ReportColours.h"
#include "report/ReportLayout.h"
#include "report/models/DeptTreeModel.h"
#include "report/models/ReportGridModel.h"
#include "report/ui/ClickableImage.h"
#include "report/ui/DeptSearchBox.h"
#include "report/ui/DeptTreeView.h"
#include "report/ui/PictureBox.h"
#include "report/ui/ReportGridView.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QIcon>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

QLabel* label(const QString& name, const QString& text, const QColor& color, QWidget* parent,
              int left, int top) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, color);
    l->setPalette(p);
    l->adjustSize();
    l->move(twipsToPixels(left), twipsToPixels(top));
    return l;
}

QPushButton* button(const QString& name, const QString& text, QWidget* parent,
                    const TwipRect& design) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setGeometry(pixelRect(design));
    // Enter presses the focused button, as Space does.
    b->setAutoDefault(true);
    return b;
}

PictureBox* panel(const QString& name, QWidget* parent, const QColor& backColor) {
    auto* box = new PictureBox(name, parent);
    box->setBackColor(backColor);
    return box;
}

// A label font of the window font's family: bigger, bold.
void setTitleFont(QLabel* l, int pointSize) {
    QFont font = l->font();
    font.setPointSize(pointSize);
    font.setBold(true);
    l->setFont(font);
    l->adjustSize();
}

// The close image of the detail panel: a small cross of our own, 18 pixels
// square at 96 DPI.
constexpr QSize kClosePictureSize(18, 18);
QIcon closePicture() {
    return drawnIcon(kClosePictureSize, [](QPainter& p) {
        p.setBrush(QColor(192, 64, 64));
        p.setPen(Qt::NoPen);
        p.drawEllipse(1, 1, 16, 16);
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(6, 6, 12, 12);
        p.drawLine(12, 6, 6, 12);
    });
}

// The drill-down button's picture: a small white magnifier of our own.
QIcon drillDownIcon() {
    return drawnIcon(QSizeF(11, 11), [](QPainter& p) {
        p.setPen(QPen(Qt::white, 1.6));
        p.drawEllipse(QRectF(1, 1, 6, 6));
        p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(7, 7), QPointF(9.5, 9.5));
    });
}

// The detail panel's background: a soft gradient of our own, from the
// panels' colour down to a slightly deeper blue.
QImage detailBackground() {
    QImage image(256, 256, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 0, 256);
    g.setColorAt(0, ReportColour::kPanel);
    g.setColorAt(1, QColor(208, 232, 246));
    p.fillRect(image.rect(), g);
    return image;
}

QPushButton* makeDrillDownButton(QWidget* parent) {
    auto* b = new QPushButton(parent);
    b->setObjectName(u"drillDownButton"_s);
    b->setAutoDefault(true);
    b->setIcon(drillDownIcon());
    b->setIconSize(QSize(11, 11));
    b->setStyleSheet(u"QPushButton { background-color: %1; border: 1px solid %2;"
                     u" border-radius: 2px; padding: 0; }"
                     u"QPushButton:hover { background-color: %3; }"
                     u"QPushButton:pressed { background-color: %4; }"
                     u"QPushButton:focus { border: 1px dotted white; }"_s.arg(
                         ReportColour::kDrillDown.name(), ReportColour::kDrillDownBorder.name(),
                         ReportColour::kDrillDownHover.name(),
                         ReportColour::kDrillDownPressed.name()));
    b->setCursor(Qt::PointingHandCursor);
    b->setToolTip(u"查看明细"_s);
    b->hide();
    return b;
}

QProgressBar* progressBar(const QString& name, QWidget* parent) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(name);
    bar->hide();
    return bar;
}

} // namespace

ReportControls::ReportControls(QWidget* window, DeptTreeModel* departments,
                               ReportGridModel* summary, ReportGridModel* detail) {
    using namespace ReportColour;
    const MainGeometry mainDesign;
    const DetailGeometry detailDesign;
    // The design's font first: the controls' sizes follow it.
    window->setFont(windowFont());

    topBar = panel(u"topBar"_s, window, kPanel);
    titleLabel = label(u"titleLabel"_s, u"部门非预算报销月度统计"_s, kTitleText, topBar, 510, 195);
    setTitleFont(titleLabel, 12);
    hintLabel = label(u"hintLabel"_s, u"说明：点击数据网格可查看月报明细！"_s, kHintText, topBar,
                      6600, 255);

    leftPanel = panel(u"leftPanel"_s, window, kPanel);
    yearLabel = label(u"yearLabel"_s, u"统计年度"_s, kCaptionText, leftPanel, 375, 150);
    yearBox = new QComboBox(leftPanel);
    yearBox->setObjectName(u"yearBox"_s);
    yearBox->setEditable(false);
    yearBox->setGeometry(pixelRect({1185, 120, 1290, 330}));
    treeLabel = label(u"treeLabel"_s, u"选择部门"_s, kTitleText, leftPanel, 150, 600);
    selectAllBox = new QCheckBox(u"全选"_s, leftPanel);
    selectAllBox->setObjectName(u"selectAllBox"_s);
    selectAllBox->setGeometry(pixelRect({3165, 600, 705, 255}));
    deptTree = new DeptTreeView(leftPanel);
    deptTree->setObjectName(u"deptTree"_s);
    deptTree->setModel(departments);
    deptSearch = new DeptSearchBox(departments, deptTree, leftPanel);
    deptSearch->setObjectName(u"deptSearch"_s);
    deptSearch->setAccessibleName(u"查找部门"_s);
    deptSearch->setGeometry(pixelRect(mainDesign.deptSearch));
    QWidget::setTabOrder(selectAllBox, deptSearch);
    QWidget::setTabOrder(deptSearch, deptTree);

    mainPanel = panel(u"mainPanel"_s, window, window->palette().color(QPalette::Window));
    deptLabel = label(u"deptLabel"_s, u"部门"_s, kCaptionText, mainPanel, 225, 150);
    summaryTitle = label(u"summaryTitle"_s, nbr::summaryTitle(), kGridTitleText, mainPanel, 0, 90);
    summaryTitle->setAlignment(Qt::AlignCenter);
    runLabel = label(u"runLabel"_s, QString(), kCaptionText, mainPanel, 0, 90);
    summaryGrid = new ReportGridView(mainPanel);
    summaryGrid->setObjectName(u"summaryGrid"_s);
    summaryGrid->setModel(summary);
    // The grid's context menu lists its own actions after the copy entries.
    exportLinesAction = new QAction(u"导出全部明细…"_s, summaryGrid);
    exportLinesAction->setObjectName(u"exportLinesAction"_s);
    summaryGrid->addAction(exportLinesAction);
    drillDownButton = makeDrillDownButton(mainPanel);
    waitBox = panel(u"waitBox"_s, mainPanel, kWaitBox);
    waitBox->resize(twipsToPixels(5805), twipsToPixels(885));
    waitLabel =
        label(u"waitLabel"_s, u"正在进行数据统计，请稍等......"_s, kWaitText, waitBox, 600, 150);
    waitPhaseLabel = label(u"waitPhaseLabel"_s, QString(), kTitleText, waitBox, 600, 480);
    waitPhaseLabel->setGeometry(pixelRect({600, 480, 5805 - 1200, 285}));
    waitBox->hide();

    bottomBar = panel(u"bottomBar"_s, window, kPanel);
    runButton = button(u"runButton"_s, u"开始统计"_s, bottomBar, mainDesign.runButton);
    exportButton = button(u"exportButton"_s, u"导出Excel"_s, bottomBar, mainDesign.exportButton);
    exitButton = button(u"exitButton"_s, u"退出"_s, bottomBar, mainDesign.exitButton);
    exportProgress = progressBar(u"exportProgress"_s, bottomBar);

    detailPanel = new PictureBox(u"detailPanel"_s, window);
    detailPanel->setBackgroundImage(detailBackground());
    listingLabel = label(u"listingLabel"_s, u"明细"_s, Qt::black, detailPanel, 105, 75);
    detailTitle = label(u"detailTitle"_s, nbr::detailTitle(), kGridTitleText, detailPanel, 0, 75);
    setTitleFont(detailTitle, 11);
    detailDeptLabel = label(u"detailDeptLabel"_s, u"部门"_s, Qt::black, detailPanel, 135, 465);
    closeDetailImage = new ClickableImage(0, detailPanel);
    closeDetailImage->setObjectName(u"closeDetailImage"_s);
    closeDetailImage->setIcon(closePicture(), kClosePictureSize);
    detailGrid = new ReportGridView(detailPanel);
    detailGrid->setObjectName(u"detailGrid"_s);
    detailGrid->setModel(detail);
    detailBottomBar = panel(u"detailBottomBar"_s, detailPanel, kPanel);
    exportDetailButton =
        button(u"exportDetailButton"_s, u"导出明细"_s, detailBottomBar, detailDesign.exportButton);
    closeDetailButton =
        button(u"closeDetailButton"_s, u"关闭"_s, detailBottomBar, detailDesign.closeButton);
    detailExportProgress = progressBar(u"detailExportProgress"_s, detailBottomBar);
    detailPanel->hide();

    statusBar = new QStatusBar(window);
    statusBar->setObjectName(u"statusBar"_s);
    statusBar->setSizeGripEnabled(false);
    const QString fixedTexts[9] = {u"操作员"_s,
                                   QString(),
                                   u"部门"_s,
                                   QString(),
                                   u"岗位"_s,
                                   QString(),
                                   u"Corvale 非预算报销月报"_s,
                                   QString(),
                                   QString()};
    for (int i = 0; i < 9; ++i) {
        statusPanels[size_t(i)] = new QLabel(fixedTexts[i], statusBar);
        statusPanels[size_t(i)]->setObjectName(u"statusPanel%1"_s.arg(i + 1));
        statusPanels[size_t(i)]->setMinimumWidth(i % 2 == 1 && i < 6 ? 120 : 40);
        statusBar->addWidget(statusPanels[size_t(i)], i == 6 ? 1 : 0);
    }
    // The fixed text gives way first when the window is narrow.
    statusPanels[6]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* clock = new QTimer(statusBar);
    QLabel* date = statusPanels[7];
    QLabel* time = statusPanels[8];
    auto tick = [date, time] {
        const QDateTime now = QDateTime::currentDateTime();
        date->setText(now.date().toString(u"yyyy-MM-dd"_s));
        time->setText(now.time().toString(u"HH:mm:ss"_s));
    };
    QObject::connect(clock, &QTimer::timeout, statusBar, tick);
    tick();
    clock->start(1000);
    nameForScreenReaders();
}

// Controls without a caption of their own, or whose caption is a separate
// label, get the name a screen reader says for them.
void ReportControls::nameForScreenReaders() {
    // A combo box's name is its text on Linux: screen readers take the
    // caption from the label's relation instead.
    yearLabel->setBuddy(yearBox);
    deptTree->setAccessibleName(u"部门"_s);
    summaryGrid->setAccessibleName(u"非预算报销月报"_s);
    detailGrid->setAccessibleName(u"明细"_s);
    drillDownButton->setAccessibleName(u"查看明细"_s);
}

void ReportControls::place(const MainGeometry& g) {
    topBar->setGeometry(pixelRect(g.topBar));
    leftPanel->setGeometry(pixelRect(g.leftPanel));
    deptTree->setGeometry(pixelRect(g.deptTree));
    deptSearch->setGeometry(pixelRect(g.deptSearch));
    mainPanel->setGeometry(pixelRect(g.mainPanel));
    summaryTitle->setGeometry(pixelRect(g.summaryTitle));
    runLabel->setGeometry(pixelRect(g.runLabel));
    summaryGrid->setGeometry(pixelRect(g.summaryGrid));
    bottomBar->setGeometry(pixelRect(g.bottomBar));
    exitButton->setGeometry(pixelRect(g.exitButton));
    exportProgress->setGeometry(pixelRect(g.exportProgress));
    statusBar->setGeometry(pixelRect(g.statusBar));
}

void ReportControls::place(const DetailGeometry& g) {
    detailBottomBar->setGeometry(pixelRect(g.bottomBar));
    closeDetailButton->setGeometry(pixelRect(g.closeButton));
    detailGrid->setGeometry(pixelRect(g.grid));
    detailExportProgress->setGeometry(pixelRect(g.exportProgress));
}

void ReportControls::placeDetailPanel() {
    detailPanel->setGeometry(mainPanel->x(), mainPanel->y(), mainPanel->width(),
                             mainPanel->height() + bottomBar->height());
    detailTitle->move((detailPanel->width() - detailTitle->width()) / 2, detailTitle->y());
    closeDetailImage->move(detailPanel->width() - listingLabel->x() - closeDetailImage->width(),
                           listingLabel->y());
}

} // namespace nbr
