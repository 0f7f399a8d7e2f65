#include "report/ui/ReportWindow.h"

#include "db/DbError.h"
#include "platform/FileError.h"
#include "platform/Prompts.h"
#include "platform/Twips.h"
#include "platform/WaitCursor.h"
#include "platform/WindowFont.h"
#include "report/AmountText.h"
#include "report/DetailListing.h"
#include "report/MonthlySummary.h"
#include "report/ReportCaptions.h"
#include "report/ReportGridSetup.h"
#include "report/WorkbookExport.h"
#include "report/models/FlexGridModel.h"
#include "report/models/TreeNodesModel.h"
#include "report/ui/ClickableImage.h"
#include "report/ui/FlexGridView.h"
#include "report/ui/NodeTreeView.h"
#include "report/ui/PictureBox.h"
#include "session/SessionState.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QIcon>
#include <QLabel>
#include <QLinearGradient>
#include <QMdiSubWindow>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

const QColor kPanelColor(232, 251, 255);
constexpr int kDesignWidth = 22455;
constexpr int kDesignHeight = 10140;
constexpr int kFirstYear = 2000;
constexpr int kLastYear = 2079;

QRect px(const TwipRect& r) {
    return QRect(twipsToPixels(r.left), twipsToPixels(r.top), twipsToPixels(r.width),
                 twipsToPixels(r.height));
}

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

QPushButton* button(const QString& name, const QString& text, QWidget* parent, int left, int top,
                    int width, int height) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setGeometry(px({left, top, width, height}));
    // Enter presses the focused button, as Space does.
    b->setAutoDefault(true);
    return b;
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

// The detail panel's background: a soft gradient of our own.
QImage detailBackground() {
    QImage image(256, 256, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 0, 256);
    g.setColorAt(0, QColor(232, 251, 255));
    g.setColorAt(1, QColor(208, 232, 246));
    p.fillRect(image.rect(), g);
    return image;
}

} // namespace

ReportWindow::ReportWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(u"frm非预算报销月报"_s);
    setWindowTitle(u"非预算报销月报统计"_s);
    setFont(windowFont());
    m_grid1 = new FlexGridModel(this);
    m_grid1->setObjectName(u"MSFlexGrid1Model"_s);
    m_grid2 = new FlexGridModel(this);
    m_grid2->setObjectName(u"MSFlexGrid2Model"_s);
    m_grid1->setMeasureFont(font());
    m_grid2->setMeasureFont(font());
    m_nodes = new TreeNodesModel(this);
    buildControls();
    resize(twipsToPixels(kDesignWidth), twipsToPixels(kDesignHeight));
    // Below this size the bottom bar's buttons or the status bar's panels
    // would run into each other.
    setMinimumSize(std::max(twipsToPixels(kMinScaleWidth), m_statusBar1->minimumSizeHint().width()),
                   twipsToPixels(kMinScaleHeight));
}

ReportWindow::~ReportWindow() = default;

void ReportWindow::buildControls() {
    // Top bar.
    m_picture1 = new PictureBox(u"Picture1"_s, this);
    m_picture1->setBackColor(kPanelColor);
    m_label1[9] =
        label(u"Label1(9)"_s, u"部门非预算报销月度统计"_s, QColor(128, 0, 0), m_picture1, 510, 195);
    QFont titleFont = font();
    titleFont.setPointSize(12);
    titleFont.setBold(true);
    m_label1[9]->setFont(titleFont);
    m_label1[9]->adjustSize();
    m_label2 = label(u"Label2"_s, u"说明：点击数据网格可查看月报明细！"_s, QColor(255, 0, 0),
                     m_picture1, 6600, 255);

    // Left panel: year box, select-all, department tree.
    m_picture2 = new PictureBox(u"Picture2"_s, this);
    m_picture2->setBackColor(kPanelColor);
    m_label1[1] = label(u"Label1(1)"_s, u"统计年度"_s, QColor(0, 0, 128), m_picture2, 375, 150);
    m_combo1 = new QComboBox(m_picture2);
    m_combo1->setObjectName(u"Combo1"_s);
    m_combo1->setEditable(false);
    m_combo1->setGeometry(px({1185, 120, 1290, 330}));
    m_label1[3] = label(u"Label1(3)"_s, u"选择部门"_s, QColor(128, 0, 0), m_picture2, 150, 600);
    m_check1 = new QCheckBox(u"全选"_s, m_picture2);
    m_check1->setObjectName(u"Check1"_s);
    m_check1->setGeometry(px({3165, 600, 705, 255}));
    m_treeView1 = new NodeTreeView(m_picture2);
    m_treeView1->setObjectName(u"TreeView1"_s);
    m_treeView1->setModel(m_nodes);

    // Main panel: caption, summary grid, drill-down button, wait box.
    m_picture3 = new PictureBox(u"Picture3"_s, this);
    m_picture3->setBackColor(palette().color(QPalette::Window));
    m_label1[0] = label(u"Label1(0)"_s, u"部门"_s, QColor(0, 0, 128), m_picture3, 225, 150);
    m_label1[2] = label(u"Label1(2)"_s, summaryTitle(), QColor(0, 0, 192), m_picture3, 0, 90);
    m_label1[2]->setAlignment(Qt::AlignCenter);
    m_grid1View = new FlexGridView(m_picture3);
    m_grid1View->setObjectName(u"MSFlexGrid1"_s);
    m_grid1View->setModel(m_grid1);
    m_btnB = new QPushButton(m_picture3);
    m_btnB->setObjectName(u"btnB"_s);
    m_btnB->setAutoDefault(true);
    m_btnB->setIcon(drillDownIcon());
    m_btnB->setIconSize(QSize(11, 11));
    m_btnB->setStyleSheet(
        u"QPushButton { background-color: rgb(128, 128, 255); border: 1px solid rgb(64, 64, 176);"
        u" border-radius: 2px; padding: 0; }"
        u"QPushButton:hover { background-color: rgb(152, 152, 255); }"
        u"QPushButton:pressed { background-color: rgb(96, 96, 224); }"
        u"QPushButton:focus { border: 1px dotted white; }"_s);
    m_btnB->setCursor(Qt::PointingHandCursor);
    m_btnB->setToolTip(u"查看明细"_s);
    m_btnB->hide();
    m_picture6 = new PictureBox(u"Picture6"_s, m_picture3);
    m_picture6->setBackColor(QColor(255, 192, 192));
    m_picture6->resize(twipsToPixels(5805), twipsToPixels(885));
    m_label4 = label(u"Label4"_s, u"正在进行数据统计，请稍等......"_s, QColor(192, 0, 0),
                     m_picture6, 600, 150);
    // The second line of the wait box: what the run is doing now.
    m_label5 = label(u"Label5"_s, QString(), QColor(128, 0, 0), m_picture6, 600, 480);
    m_label5->setGeometry(px({600, 480, 5805 - 1200, 285}));
    m_picture6->hide();

    // Bottom bar.
    m_picture4 = new PictureBox(u"Picture4"_s, this);
    m_picture4->setBackColor(kPanelColor);
    m_command3 = button(u"Command3"_s, u"开始统计"_s, m_picture4, 1155, 105, 1290, 345);
    m_command2 = button(u"Command2"_s, u"导出Excel"_s, m_picture4, 3705, 105, 1290, 345);
    m_command1 = button(u"Command1"_s, u"退出"_s, m_picture4, 16125, 135, 1155, 345);
    m_progressBar1 = new QProgressBar(m_picture4);
    m_progressBar1->setObjectName(u"ProgressBar1"_s);
    m_progressBar1->hide();

    // Detail panel, hidden until a listing is opened.
    m_picture7 = new PictureBox(u"Picture7"_s, this);
    m_picture7->setBackgroundImage(detailBackground());
    m_label14 = label(u"Label14"_s, u"明细"_s, QColor(0, 0, 0), m_picture7, 105, 75);
    m_label1[4] = label(u"Label1(4)"_s, detailTitle(), QColor(0, 0, 192), m_picture7, 0, 75);
    QFont panelTitle = font();
    panelTitle.setPointSize(11);
    panelTitle.setBold(true);
    m_label1[4]->setFont(panelTitle);
    m_label1[4]->adjustSize();
    m_label1[5] = label(u"Label1(5)"_s, u"部门"_s, QColor(0, 0, 0), m_picture7, 135, 465);
    m_image1 = new ClickableImage(0, m_picture7);
    m_image1->setPixmap(closePicture());
    m_image1->adjustSize();
    m_grid2View = new FlexGridView(m_picture7);
    m_grid2View->setObjectName(u"MSFlexGrid2"_s);
    m_grid2View->setModel(m_grid2);
    m_picture5 = new PictureBox(u"Picture5"_s, m_picture7);
    m_picture5->setBackColor(kPanelColor);
    m_command5 = button(u"Command5"_s, u"导出明细"_s, m_picture5, 1875, 120, 1155, 345);
    m_command4 = button(u"Command4"_s, u"关闭"_s, m_picture5, 15255, 120, 1155, 345);
    m_progressBar2 = new QProgressBar(m_picture5);
    m_progressBar2->setObjectName(u"ProgressBar2"_s);
    m_progressBar2->hide();
    m_picture7->hide();

    // Status bar: operator, department, position, a fixed text, date and time.
    m_statusBar1 = new QStatusBar(this);
    m_statusBar1->setObjectName(u"StatusBar1"_s);
    m_statusBar1->setSizeGripEnabled(false);
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
        m_panels[size_t(i)] = new QLabel(fixedTexts[i], m_statusBar1);
        m_panels[size_t(i)]->setObjectName(u"Panel%1"_s.arg(i + 1));
        m_panels[size_t(i)]->setMinimumWidth(i % 2 == 1 && i < 6 ? 120 : 40);
        m_statusBar1->addWidget(m_panels[size_t(i)], i == 6 ? 1 : 0);
    }
    // The fixed text gives way first when the window is narrow.
    m_panels[6]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* clock = new QTimer(this);
    auto tick = [this] {
        const QDateTime now = QDateTime::currentDateTime();
        m_panels[7]->setText(now.date().toString(u"yyyy-MM-dd"_s));
        m_panels[8]->setText(now.time().toString(u"HH:mm:ss"_s));
    };
    connect(clock, &QTimer::timeout, this, tick);
    tick();
    clock->start(1000);

    connect(m_command1, &QPushButton::clicked, this, &ReportWindow::onCommand1Clicked);
    connect(m_command2, &QPushButton::clicked, this, &ReportWindow::onCommand2Clicked);
    connect(m_command3, &QPushButton::clicked, this, &ReportWindow::onCommand3Clicked);
    connect(m_command4, &QPushButton::clicked, this, &ReportWindow::onCommand4Clicked);
    connect(m_command5, &QPushButton::clicked, this, &ReportWindow::onCommand5Clicked);
    connect(m_btnB, &QPushButton::clicked, this, &ReportWindow::onBtnBClicked);
    connect(m_image1, &ClickableImage::clicked, this, &ReportWindow::onImage1Clicked);
    connect(m_check1, &QCheckBox::clicked, this, &ReportWindow::onCheck1Clicked);
    connect(m_nodes, &TreeNodesModel::nodeCheck, this, &ReportWindow::onNodeCheck);
    connect(m_nodes, &TreeNodesModel::nodeClick, this, &ReportWindow::onNodeClick);
    connect(m_grid1, &FlexGridModel::click, this, &ReportWindow::onGrid1Clicked);
    connect(m_grid2, &FlexGridModel::click, this, &ReportWindow::onGrid2Clicked);
    connect(m_picture7, &PictureBox::resized, this, &ReportWindow::layoutDetail);
    // btnB follows its cell wherever the grid shows it.
    for (QScrollBar* bar : {m_grid1View->horizontalScrollBar(), m_grid1View->verticalScrollBar()}) {
        connect(bar, &QScrollBar::valueChanged, this, &ReportWindow::placeBtnB);
        connect(bar, &QScrollBar::rangeChanged, this, &ReportWindow::placeBtnB);
    }
    connect(m_grid1, &FlexGridModel::colWidthChanged, this, &ReportWindow::placeBtnB);
    connect(m_grid1, &FlexGridModel::currentCellChanged, this, [this] {
        if (m_btnBCell && (m_btnBCell->row != m_grid1->row() || m_btnBCell->col != m_grid1->col()))
            hideBtnB();
    });
}

void ReportWindow::load() {
    const SessionState& s = sessionState();
    m_panels[1]->setText(s.employeeName);
    m_panels[3]->setText(s.departmentName);
    m_panels[5]->setText(s.positionName);

    setUpReportGrid(*m_grid1, summaryFormatString());
    setUpReportGrid(*m_grid2, detailFormatString());

    try {
        const WaitCursor wait;
        LoadYearList();
        LoadDeptTree(*m_nodes, m_deptRows);
    } catch (const DbError& e) {
        // The window opens all the same; the user learns why departments are missing.
        reportError(e);
    }
}

void ReportWindow::LoadYearList() {
    m_combo1->clear();
    for (int y = kFirstYear; y <= kLastYear; ++y)
        m_combo1->addItem(QString::number(y) + u'年');
    // A year outside the list selects its nearest end.
    const int year = std::clamp(QDate::currentDate().year(), kFirstYear, kLastYear);
    m_combo1->setCurrentIndex(year - kFirstYear);
}

QString ReportWindow::yearText() const {
    return m_combo1->currentText().left(4);
}

QString ReportWindow::statusPanelText(int panel) const {
    return m_panels.at(size_t(panel - 1))->text();
}

void ReportWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutMain();
}

void ReportWindow::layoutMain() {
    applyMainLayout(m_geometry, pixelsToTwips(width()), pixelsToTwips(height()));
    const MainGeometry& g = m_geometry;
    m_picture1->setGeometry(px(g.picture1));
    m_picture2->setGeometry(px(g.picture2));
    m_treeView1->setGeometry(px(g.treeView1));
    m_picture3->setGeometry(px(g.picture3));
    m_label1[2]->setGeometry(px(g.label1_2));
    m_grid1View->setGeometry(px(g.msFlexGrid1));
    m_picture4->setGeometry(px(g.picture4));
    m_command1->setGeometry(px(g.command1));
    m_progressBar1->setGeometry(px(g.progressBar1));
    m_statusBar1->setGeometry(px(g.statusBar1));
    placeDetailPanel();
    placeBtnB();
}

// The detail panel covers the main panel and the bottom bar, at every size.
void ReportWindow::placeDetailPanel() {
    m_picture7->setGeometry(m_picture3->x(), m_picture3->y(), m_picture3->width(),
                            m_picture3->height() + m_picture4->height());
    m_label1[4]->move((m_picture7->width() - m_label1[4]->width()) / 2, m_label1[4]->y());
    m_image1->move(m_picture7->width() - m_label14->x() - m_image1->width(), m_label14->y());
}

void ReportWindow::layoutDetail() {
    const QRect r = m_picture7->geometry();
    m_detailGeometry.picture7 = {pixelsToTwips(r.x()), pixelsToTwips(r.y()),
                                 pixelsToTwips(r.width()), pixelsToTwips(r.height())};
    applyDetailLayout(m_detailGeometry);
    const DetailGeometry& g = m_detailGeometry;
    m_picture5->setGeometry(px(g.picture5));
    m_command4->setGeometry(px(g.command4));
    m_grid2View->setGeometry(px(g.msFlexGrid2));
    m_progressBar2->setGeometry(px(g.progressBar2));
}

void ReportWindow::onCommand1Clicked() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

void ReportWindow::onImage1Clicked(int index) {
    if (index == 0)
        closeDetailPanel();
}

void ReportWindow::onCommand4Clicked() {
    closeDetailPanel();
}

void ReportWindow::closeDetailPanel() {
    m_picture7->hide();
    m_picture2->setEnabled(true);
    hideBtnB();
}

void ReportWindow::onCheck1Clicked() {
    selectAllDepartments(*m_nodes, m_check1->isChecked());
}

void ReportWindow::onNodeCheck(int node) {
    NodeCheck(*m_nodes, node);
}

void ReportWindow::onNodeClick(int) {
    if (m_nodes->count() == 0)
        return;
    m_currentDeptCode.clear();
    m_currentDeptName.clear();
    const int selected = m_nodes->selectedItem();
    if (selected == 0) {
        reportError(Error(91, u"对象变量或 With 块变量未设置"_s));
        return;
    }
    const NodeDepartment dept = splitNodeText(m_nodes->text(selected));
    m_currentDeptCode = dept.code;
    m_currentDeptName = dept.name;
    m_label1[0]->setText(u"部门："_s + m_currentDeptName);
    m_label1[0]->adjustSize();
    m_grid1->setRows(1);
    hideBtnB();
    for (int i = 1; i <= m_nodes->count(); ++i)
        m_nodes->setBackColor(i, QColor());
    for (int i = 1; i <= m_nodes->count(); ++i) {
        if (m_nodes->selected(i)) {
            m_nodes->setBackColor(i, QColor(0, 192, 192));
            break;
        }
    }
}

void ReportWindow::onCommand3Clicked() {
    hideBtnB();
    m_grid1->setRows(1);
    m_runYear = yearText();
    m_label5->clear();
    m_picture6->move((m_picture3->width() - m_picture6->width()) / 2,
                     (m_picture3->height() - m_picture6->height()) / 2);
    m_picture6->show();
    m_picture6->raise();
    // One chance to paint the wait box; no further events until the run ends.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    MonthlySummary run(*m_grid1, *m_nodes);
    QElapsedTimer sincePaint;
    run.setProgress([&](const QString& phase) {
        m_label5->setText(phase);
        // A repaint only, at most every 100 ms: events stay unprocessed.
        if (!sincePaint.isValid() || sincePaint.elapsed() >= 100) {
            m_picture6->repaint();
            sincePaint.start();
        }
    });
    try {
        run.appendTickedDepartments(m_runYear);
        run.appendGrandTotal();
    } catch (const DbError& e) {
        // No partial report may be taken for a complete one.
        m_grid1->setRows(1);
        m_picture6->hide();
        reportError(e);
        return;
    }
    if (!run.currentDeptCode().isEmpty() || !run.currentDeptName().isEmpty()) {
        m_currentDeptCode = run.currentDeptCode();
        m_currentDeptName = run.currentDeptName();
    }
    m_picture6->hide();
}

void ReportWindow::onGrid1Clicked() {
    FlexGridModel& g = *m_grid1;
    if (g.rows() == 1)
        return;
    // Subtotal and grand-total rows have no listing behind their cells.
    if (g.rowKind(g.row()) != FlexGridModel::RowKind::Data) {
        hideBtnB();
        return;
    }
    if (g.col() >= 4 && g.col() <= 15) {
        if (amountValue(g.text()) == 0) {
            hideBtnB();
            return;
        }
        m_btnBCell = GridCell{g.row(), g.col()};
        placeBtnB();
        m_picture7->hide();
        return;
    }
    hideBtnB();
    m_picture7->hide();
}

// btnB sits on the top-left corner of its cell, 200 twips wide and as tall
// as the cell, and shows only while all of it lies in the grid's body.
void ReportWindow::placeBtnB() {
    if (!m_btnBCell) {
        m_btnB->hide();
        return;
    }
    const QRect cell = m_grid1View->cellRect(m_btnBCell->row, m_btnBCell->col);
    const QRect button(m_grid1View->pos() + cell.topLeft(),
                       QSize(twipsToPixels(200), cell.height()));
    const QRect body = m_grid1View->viewport()->geometry().translated(m_grid1View->pos());
    m_btnB->setGeometry(button);
    m_btnB->setVisible(body.contains(button));
    m_btnB->raise();
}

void ReportWindow::hideBtnB() {
    m_btnBCell.reset();
    m_btnB->hide();
}

void ReportWindow::onBtnBClicked() {
    if (!m_btnBCell)
        return;
    placeDetailPanel();
    m_picture7->show();
    m_picture7->raise();

    // The listing of the cell the button sits on.
    const FlexGridModel& g = *m_grid1;
    const int row = m_btnBCell->row;
    const QString monthHeader = g.textMatrix(0, m_btnBCell->col);
    const QString subjectCode = g.textMatrix(row, 2);
    const QString subjectName = g.textMatrix(row, 3);
    const QString deptCode = g.textMatrix(row, g.cols() - 1);
    m_label14->setText(listingCaption(monthHeader, subjectName));
    m_label14->adjustSize();
    m_listingDeptName = g.textMatrix(row, 1);
    m_label1[5]->setText(deptCaption(m_listingDeptName));
    m_label1[5]->adjustSize();
    try {
        LoadDetailList(*m_grid2, subjectCode, monthHeader.left(2), deptCode, m_runYear);
    } catch (const DbError& e) {
        reportError(e);
    }
    m_picture2->setEnabled(false);
}

void ReportWindow::onCommand2Clicked() {
    if (m_grid1->rows() == 1)
        return;
    const QString year = yearCaption(m_runYear);
    runExport(summaryFileName(year), {m_command1, m_command2, m_command3}, m_progressBar1, *m_grid1,
              u"非预算报销月报导出成功!"_s,
              [&](const QString& path, const ExportProgress& progress) {
                  return ExportMonthlyReport(*m_grid1, m_label1[2]->text(), year, path, progress);
              });
}

void ReportWindow::onCommand5Clicked() {
    // The guard looks at the summary grid: a listing only exists beside one.
    if (m_grid1->rows() == 1)
        return;
    const QString year = yearCaption(m_runYear);
    runExport(detailFileName(year, m_label14->text(), m_listingDeptName), {m_command4, m_command5},
              m_progressBar2, *m_grid2, u"非预算报销明细月报导出成功!"_s,
              [&](const QString& path, const ExportProgress& progress) {
                  return ExportDetailList(*m_grid2, m_label1[4]->text(), m_label1[5]->text(), year,
                                          m_label14->text(), path, progress);
              });
}

void ReportWindow::runExport(const QString& proposedName,
                             std::initializer_list<QPushButton*> buttons, QProgressBar* progressBar,
                             const FlexGridModel& grid, const QString& successText,
                             const ExportWriter& write) {
    for (QPushButton* b : buttons)
        b->hide();
    const auto showButtons = [&] {
        for (QPushButton* b : buttons)
            b->show();
    };
    const std::optional<QString> path =
        Prompts::current().saveFileName(proposedName, u"电子表|*.xls;*.xlsx"_s);
    if (!path) {
        Prompts::current().message(u"您取消了导出操作！"_s, u"系统提示"_s,
                                   MessageIcon::Information);
        showButtons();
        return;
    }
    progressBar->setMinimum(0);
    progressBar->setMaximum(grid.rows());
    progressBar->setValue(0);
    progressBar->show();
    QCoreApplication::processEvents();
    std::optional<ExportResult> result;
    try {
        const WaitCursor wait;
        result = write(*path, [progressBar](int row) { progressBar->setValue(row); });
    } catch (const FileError& e) {
        reportError(e);
    }
    // The buttons come back after the message, whatever the outcome; the
    // progress bar goes only after a success.
    if (result) {
        const QString text =
            result->textsTruncated ? successText + u'\n' + truncationNote() : successText;
        Prompts::current().message(text, u"系统提示"_s, MessageIcon::Information);
        progressBar->hide();
    }
    showButtons();
}

void ReportWindow::onGrid2Clicked() {
    m_grid2->setCol(0);
    m_grid2->setColSel(m_grid2->cols() - 1);
}

void ReportWindow::reportError(const Error& error) {
    Prompts::current().message(errorText(error), u"系统提示"_s, MessageIcon::Information);
}

} // namespace nbr
