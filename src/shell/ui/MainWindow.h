#pragma once
// MDIForm1: the program's frame window. A banner strip across the top, the
// stretched background picture MDI.BMP, the fixed menu that opens the report,
// logs out or leaves, and the host of the report window.

#include <QImage>
#include <QMainWindow>
#include <QPointer>

class QMdiArea;
class QMdiSubWindow;
class QAction;

namespace nbr {

class LoginWindow;
class ReportWindow;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The one frame window, or nullptr before the first login.
    static MainWindow* instance();
    // Creates (and loads) the frame on first use, shows it and brings it to the front.
    static void showAndActivate();
    // Opens the frame when the start-up login window logs a user in.
    static void followLogin(LoginWindow& login);
    // Ends the frame (tests; the program ends with it otherwise).
    static void destroyInstance();

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
    MainWindow();
    void load();
    void buildMenu();
    void updateBackground();

    QMdiArea* m_mdi; // MDIClient: hosts the report window over the background picture
    QPointer<QMdiSubWindow> m_reportSubWindow;
    QImage m_background;
    bool m_leaving = false;
};

} // namespace nbr
