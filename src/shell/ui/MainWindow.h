#pragma once
// MDIForm1: the program's frame window. A banner strip across the top, the
// stretched background picture MDI.BMP, the fixed menu that opens the report,
// logs out or leaves, and the host of the report window. main() makes it
// hidden; the first login loads and shows it.

#include <QEvent>
#include <QImage>
#include <QMainWindow>
#include <QPointer>

class QMdiArea;
class QMdiSubWindow;
class QAction;

namespace nbr {

struct AppContext;
class LoginWindow;
class ReportWindow;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(AppContext& context);

    // Loads the frame the first time, shows it and brings it to the front.
    void showAndActivate();
    // Opens the frame when this login window logs a user in.
    void follow(LoginWindow& login);
    // Whether a login has opened the frame.
    bool isOpen() const { return m_loaded; }

    QMdiArea* mdiArea() const { return m_mdi; }
    // The open report window, or nullptr.
    ReportWindow* reportWindow() const;

    // Menu actions.
    void openReportWindow();
    void logout();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load();
    void loadAuditFlag();
    void buildMenu();
    void updateBackground();
    QRect restoredReportRect(const ReportWindow& report) const;
    void rememberReportPlace(QEvent::Type type);

    AppContext& m_context;
    QMdiArea* m_mdi; // MDIClient: hosts the report window over the background picture
    QPointer<QMdiSubWindow> m_reportSubWindow;
    QImage m_background;
    bool m_loaded = false;
    bool m_leaving = false;
};

} // namespace nbr
