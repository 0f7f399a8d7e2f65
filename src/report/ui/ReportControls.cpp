#include "report/ui/ReportControls.h"

#include "platform/Twips.h"
#include "platform/WindowFont.h"
#include "report/ReportCaptions.h"
#include "report/ReportColours.h"
#include "report/ReportLayout.h"
#include "report/models/FlexGridModel.h"
#include "report/models/TreeNodesModel.h"
#include "report/ui/ClickableImage.h"
#include "report/ui/FlexGridView.h"
#include "report/ui/NodeTreeView.h"
#include "report/ui/PictureBox.h"

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

// The close image of the detail panel: a small cross of our own.
QPixmap closePicture() {
    QPixmap pixmap(18, 18);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(192, 64, 64));
    p.setPen(Qt::NoPen);
    p.drawEllipse(1, 1, 16, 16);
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(6, 6, 12, 12);
    p.drawLine(12, 6, 6, 12);
    return pixmap;
}

// The drill-down button's picture: a small white magnifier of our own.
QIcon drillDownIcon() {
    QPixmap pixmap(11, 11);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 1.6));
    p.drawEllipse(QRectF(1, 1, 6, 6));
    p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(7, 7), QPointF(9.5, 9.5));
    return QIcon(pixmap);
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

QPushButton* drillDownButton(QWidget* parent) {
    auto* b = new QPushButton(parent);
    b->setObjectName(u"btnB"_s);
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

ReportControls::ReportControls(QWidget* window, TreeNodesModel* nodes, FlexGridModel* summary,
                               FlexGridModel* detail) {
    using namespace ReportColour;
    // The design's font first: the controls' sizes follow it.
    window->setFont(windowFont());

    picture1 = panel(u"Picture1"_s, window, kPanel);
    label1[9] = label(u"Label1(9)"_s, u"部门非预算报销月度统计"_s, kTitleText, picture1, 510, 195);
    setTitleFont(label1[9], 12);
    label2 =
        label(u"Label2"_s, u"说明：点击数据网格可查看月报明细！"_s, kHintText, picture1, 6600, 255);

    picture2 = panel(u"Picture2"_s, window, kPanel);
    label1[1] = label(u"Label1(1)"_s, u"统计年度"_s, kCaptionText, picture2, 375, 150);
    combo1 = new QComboBox(picture2);
    combo1->setObjectName(u"Combo1"_s);
    combo1->setEditable(false);
    combo1->setGeometry(pixelRect({1185, 120, 1290, 330}));
    label1[3] = label(u"Label1(3)"_s, u"选择部门"_s, kTitleText, picture2, 150, 600);
    check1 = new QCheckBox(u"全选"_s, picture2);
    check1->setObjectName(u"Check1"_s);
    check1->setGeometry(pixelRect({3165, 600, 705, 255}));
    treeView1 = new NodeTreeView(picture2);
    treeView1->setObjectName(u"TreeView1"_s);
    treeView1->setModel(nodes);

    picture3 = panel(u"Picture3"_s, window, window->palette().color(QPalette::Window));
    label1[0] = label(u"Label1(0)"_s, u"部门"_s, kCaptionText, picture3, 225, 150);
    label1[2] = label(u"Label1(2)"_s, summaryTitle(), kGridTitleText, picture3, 0, 90);
    label1[2]->setAlignment(Qt::AlignCenter);
    msFlexGrid1 = new FlexGridView(picture3);
    msFlexGrid1->setObjectName(u"MSFlexGrid1"_s);
    msFlexGrid1->setModel(summary);
    btnB = drillDownButton(picture3);
    picture6 = panel(u"Picture6"_s, picture3, kWaitBox);
    picture6->resize(twipsToPixels(5805), twipsToPixels(885));
    label4 = label(u"Label4"_s, u"正在进行数据统计，请稍等......"_s, kWaitText, picture6, 600, 150);
    label5 = label(u"Label5"_s, QString(), kTitleText, picture6, 600, 480);
    label5->setGeometry(pixelRect({600, 480, 5805 - 1200, 285}));
    picture6->hide();

    picture4 = panel(u"Picture4"_s, window, kPanel);
    command3 = button(u"Command3"_s, u"开始统计"_s, picture4, {1155, 105, 1290, 345});
    command2 = button(u"Command2"_s, u"导出Excel"_s, picture4, {3705, 105, 1290, 345});
    command1 = button(u"Command1"_s, u"退出"_s, picture4, {16125, 135, 1155, 345});
    progressBar1 = progressBar(u"ProgressBar1"_s, picture4);

    picture7 = new PictureBox(u"Picture7"_s, window);
    picture7->setBackgroundImage(detailBackground());
    label14 = label(u"Label14"_s, u"明细"_s, Qt::black, picture7, 105, 75);
    label1[4] = label(u"Label1(4)"_s, detailTitle(), kGridTitleText, picture7, 0, 75);
    setTitleFont(label1[4], 11);
    label1[5] = label(u"Label1(5)"_s, u"部门"_s, Qt::black, picture7, 135, 465);
    image1 = new ClickableImage(0, picture7);
    image1->setPixmap(closePicture());
    image1->adjustSize();
    msFlexGrid2 = new FlexGridView(picture7);
    msFlexGrid2->setObjectName(u"MSFlexGrid2"_s);
    msFlexGrid2->setModel(detail);
    picture5 = panel(u"Picture5"_s, picture7, kPanel);
    command5 = button(u"Command5"_s, u"导出明细"_s, picture5, {1875, 120, 1155, 345});
    command4 = button(u"Command4"_s, u"关闭"_s, picture5, {15255, 120, 1155, 345});
    progressBar2 = progressBar(u"ProgressBar2"_s, picture5);
    picture7->hide();

    statusBar1 = new QStatusBar(window);
    statusBar1->setObjectName(u"StatusBar1"_s);
    statusBar1->setSizeGripEnabled(false);
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
        panels[size_t(i)] = new QLabel(fixedTexts[i], statusBar1);
        panels[size_t(i)]->setObjectName(u"Panel%1"_s.arg(i + 1));
        panels[size_t(i)]->setMinimumWidth(i % 2 == 1 && i < 6 ? 120 : 40);
        statusBar1->addWidget(panels[size_t(i)], i == 6 ? 1 : 0);
    }
    // The fixed text gives way first when the window is narrow.
    panels[6]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* clock = new QTimer(statusBar1);
    QLabel* date = panels[7];
    QLabel* time = panels[8];
    auto tick = [date, time] {
        const QDateTime now = QDateTime::currentDateTime();
        date->setText(now.date().toString(u"yyyy-MM-dd"_s));
        time->setText(now.time().toString(u"HH:mm:ss"_s));
    };
    QObject::connect(clock, &QTimer::timeout, statusBar1, tick);
    tick();
    clock->start(1000);
}

void ReportControls::place(const MainGeometry& g) {
    picture1->setGeometry(pixelRect(g.picture1));
    picture2->setGeometry(pixelRect(g.picture2));
    treeView1->setGeometry(pixelRect(g.treeView1));
    picture3->setGeometry(pixelRect(g.picture3));
    label1[2]->setGeometry(pixelRect(g.label1_2));
    msFlexGrid1->setGeometry(pixelRect(g.msFlexGrid1));
    picture4->setGeometry(pixelRect(g.picture4));
    command1->setGeometry(pixelRect(g.command1));
    progressBar1->setGeometry(pixelRect(g.progressBar1));
    statusBar1->setGeometry(pixelRect(g.statusBar1));
}

void ReportControls::place(const DetailGeometry& g) {
    picture5->setGeometry(pixelRect(g.picture5));
    command4->setGeometry(pixelRect(g.command4));
    msFlexGrid2->setGeometry(pixelRect(g.msFlexGrid2));
    progressBar2->setGeometry(pixelRect(g.progressBar2));
}

void ReportControls::placeDetailPanel() {
    picture7->setGeometry(picture3->x(), picture3->y(), picture3->width(),
                          picture3->height() + picture4->height());
    label1[4]->move((picture7->width() - label1[4]->width()) / 2, label1[4]->y());
    image1->move(picture7->width() - label14->x() - image1->width(), label14->y());
}

} // namespace nbr
