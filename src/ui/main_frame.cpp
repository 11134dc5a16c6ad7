#include "ui/main_frame.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QWhatsThis>

#include "app/admin_app.h"
#include "hostlink/host_session.h"
#include "platform/profile_file.h"
#include "ui/admin_frame.h"
#include "ui/app_printer.h"
#include "ui/command_actions.h"
#include "ui/connect_dialog.h"
#include "ui/help_keys.h"
#include "ui/help_window.h"
#include "ui/host_text.h"
#include "ui/object_names.h"
#include "ui/options_dialogs.h"
#include "ui/toolbar_icons.h"
#include "ui/ui_seams.h"
#include "ui/window_geometry.h"
#include "ui_about_dialog.h"
#include "workspace/admin_doc.h"
#include "workspace/command_ids.h"
#include "workspace/command_table.h"
#include "workspace/window_placement.h"

namespace kestra::ui {

namespace cmd = workspace::cmd;

namespace {

// The status bar pane of the selected file.
constexpr int kFilePaneId = 101;
// The MIME type of the private clipboard format.
constexpr const char* kClipboardMime = "application/x-kestra-admin";

std::string settings_path(std::string path) {
    if (!path.empty()) return path;
    if (!app::admin_app().settings_path().empty()) return app::admin_app().settings_path();
    return platform::settings_file_path();
}

}  // namespace

CMainFrame::CMainFrame(std::string ini_path, QWidget* parent)
    : QMainWindow(parent), ini_path_(settings_path(std::move(ini_path))), mdi_(new QMdiArea(this)) {
    setObjectName(QStringLiteral("frame_main"));
    setWindowTitle(QStringLiteral("Admin"));
    mdi_->setObjectName(QStringLiteral("mdi"));
    setCentralWidget(mdi_);
    actions_ = new CommandActions(this);
    connect(actions_, &CommandActions::triggered, this, &CMainFrame::run_command);
    for (int id : {cmd::kToolbar, cmd::kStatusBar}) actions_->action(id)->setCheckable(true);

    build_tool_bar();
    file_pane_ = new QLabel(this);
    set_control_id(file_pane_, kFilePaneId);
    file_pane_->setAccessibleName(QStringLiteral("Selected file"));
    statusBar()->addPermanentWidget(file_pane_);
    statusBar()->showMessage(QStringLiteral("Ready"));

    connect(mdi_, &QMdiArea::subWindowActivated, this, [this] {
        window_count_changed();
        update_commands();
    });
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &CMainFrame::update_commands);
    update_menu_bar();
    update_commands();
    resize(640, 480);
    install_help_keys();
}

CMainFrame::~CMainFrame() {
    // The connection windows go with the MDI area, after this object: they must not call back into it.
    for (QMdiSubWindow* w : mdi_->subWindowList()) w->disconnect(this);
    mdi_->disconnect(this);
}

void CMainFrame::build_tool_bar() {
    tool_bar_ = addToolBar(QStringLiteral("Toolbar"));
    tool_bar_->setObjectName(QStringLiteral("toolbar"));
    tool_bar_->setMovable(false);
    tool_bar_->setIconSize(QSize(16, 16));
    const int layout[] = {cmd::kExit,           0,         cmd::kNewConnection, 0,          cmd::kAddConfigFile,
                          cmd::kSaveConfigFile, cmd::kCut, cmd::kCopy,          cmd::kPaste};
    for (int id : layout) {
        if (id == 0) {
            tool_bar_->addSeparator();
            continue;
        }
        QAction* action = actions_->action(id);
        action->setIcon(toolbar_icon(id));
        // The menu's text, without its mnemonic and keys, is the button's tooltip and accessible name.
        QString tip = QString::fromLatin1(workspace::menu_label(*workspace::find_command(id)).data());
        tip.remove(QLatin1Char('&'));
        action->setToolTip(tip);
        tool_bar_->addAction(action);
    }
}

void CMainFrame::update_menu_bar() {
    const bool with_window = !mdi_->subWindowList().isEmpty();
    if (menus_built_ && with_window == window_menus_) return;
    menus_built_ = true;
    window_menus_ = with_window;
    populate_menu_bar(menuBar(), with_window ? workspace::menu_bar_with_window() : workspace::menu_bar_without_window(),
                      *actions_);
    for (QMenu* menu : menuBar()->findChildren<QMenu*>())
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::update_commands, Qt::UniqueConnection);
    for (QAction* top : menuBar()->actions()) {
        if (top->menu() != nullptr && top->menu()->actions().contains(actions_->action(cmd::kCascade)))
            connect(top->menu(), &QMenu::aboutToShow, this, [this, menu = top->menu()] { list_windows(menu); });
    }
}

void CMainFrame::list_windows(QMenu* menu) {
    // The open connection windows below the arrangement commands, the active one checked.
    for (QAction* old : menu->actions())
        if (old->property("windowEntry").toBool()) delete old;
    const auto windows = mdi_->subWindowList();
    if (windows.isEmpty()) return;
    QAction* separator = menu->addSeparator();
    separator->setProperty("windowEntry", true);
    int number = 1;
    for (QMdiSubWindow* w : windows) {
        QAction* entry = menu->addAction(QStringLiteral("&%1 %2").arg(number++).arg(w->windowTitle()));
        entry->setProperty("windowEntry", true);
        entry->setCheckable(true);
        entry->setChecked(w == mdi_->activeSubWindow());
        connect(entry, &QAction::triggered, mdi_, [this, window = QPointer<QMdiSubWindow>(w)] {
            if (window) mdi_->setActiveSubWindow(window);
        });
    }
}

void CMainFrame::window_count_changed() {
    update_menu_bar();
}

CAdminFrame* CMainFrame::active_connection() const {
    if (auto* frame = qobject_cast<CAdminFrame*>(mdi_->activeSubWindow())) return frame;
    // While the main window itself is inactive (a dialog open) the MDI area reports none; take the top one.
    const auto windows = mdi_->subWindowList(QMdiArea::ActivationHistoryOrder);
    return windows.isEmpty() ? nullptr : qobject_cast<CAdminFrame*>(windows.back());
}

bool CMainFrame::clipboard_has_data() const {
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    return mime != nullptr && (mime->hasFormat(QString::fromLatin1(kClipboardMime)) || mime->hasText());
}

void CMainFrame::update_commands() {
    const bool downloads = app::admin_app().allow_downloads != 0;
    CAdminFrame* frame = active_connection();
    workspace::CommandState state;
    state.allow_downloads = downloads;
    if (frame != nullptr) state = frame->doc().command_state(clipboard_has_data(), downloads);
    actions_->update(state);
    actions_->action(cmd::kToolbar)->setChecked(tool_bar_->isVisible() || !isVisible());
    actions_->action(cmd::kStatusBar)->setChecked(statusBar()->isVisible() || !isVisible());
    const QString text = frame != nullptr ? from_host(frame->doc().status_text()) : QString();
    file_pane_->setText(text);
    file_pane_->setVisible(!text.isEmpty());
}

void CMainFrame::run_command(int id) {
    switch (id) {
        case cmd::kNewConnection:
            new_connection();
            break;
        case cmd::kPrintSetup:
            print_setup();
            break;
        case cmd::kExit:
            close();
            break;
        case cmd::kToolbar:
            tool_bar_->setVisible(!tool_bar_->isVisible());
            break;
        case cmd::kStatusBar:
            statusBar()->setVisible(!statusBar()->isVisible());
            break;
        case cmd::kCascade:
            mdi_->cascadeSubWindows();
            break;
        case cmd::kTile:
            mdi_->tileSubWindows();
            break;
        case cmd::kArrangeIcons:
            arrange_icons();
            break;
        case cmd::kAbout:
            about();
            break;
        case cmd::kPreferences:
            run_preferences_dialog(this);
            break;
        case cmd::kHelpContents:
        case cmd::kHelp:
            CHelpWindow::instance().show_contents();
            break;
        case cmd::kHelpSearch:
            CHelpWindow::instance().show_search();
            break;
        case cmd::kContextHelp:
            QWhatsThis::enterWhatsThisMode();
            break;
        default:
            if (CAdminFrame* frame = active_connection()) frame->handle_command(id);
            break;
    }
    update_commands();
}

CAdminFrame* CMainFrame::new_connection() {
    for (;;) {
        // Each try gets a session of its own; only a logged-in one is handed to a document.
        auto session = std::make_unique<hostlink::CHostSession>();
        std::string user, scrambled, chargecode;
        {
            CConnectDlg dialog(*session, ini_path_, this);
            if (seams().exec_dialog(dialog) != QDialog::Accepted) return nullptr;
            user = dialog.model().user_id;
            scrambled = dialog.model().scrambled_password();
            chargecode = dialog.model().chargecode;
        }
        const std::int16_t rc = session->host_login(user, scrambled, chargecode);
        scrambled.assign(scrambled.size(), '\0');
        if (rc != 0) {
            session->show_errors();
            continue;
        }
        auto* frame = new CAdminFrame(std::make_unique<workspace::CAdminDoc>(std::move(session)), ini_path_);
        connect(frame, &CAdminFrame::commands_changed, this, &CMainFrame::update_commands);
        connect(frame, &QObject::destroyed, this, [this] {
            window_count_changed();
            update_commands();
        });
        mdi_->addSubWindow(frame);
        frame->show();
        frame->restore_placement();
        window_count_changed();
        update_commands();
        return frame;
    }
}

void CMainFrame::about() {
    QDialog dialog(this);
    Ui::AboutDialog form;
    form.setupUi(&dialog);
    set_control_id(form.buttons->button(QDialogButtonBox::Ok), kOkId);
    connect(form.buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    seams().exec_dialog(dialog);
}

void CMainFrame::print_setup() { seams().print_setup_dialog(this, application_printer()); }

void CMainFrame::arrange_icons() {
    // Minimised windows in a row along the bottom of the area.
    int x = 0;
    for (QMdiSubWindow* w : mdi_->subWindowList()) {
        if (!w->isMinimized()) continue;
        w->move(x, mdi_->viewport()->height() - w->height());
        x += w->width();
    }
}

void CMainFrame::show_with_placement() {
    const auto placement = workspace::read_placement(ini_path_, workspace::kWindowPosKey);
    if (!placement) {
        show();
        return;
    }
    const QRect normal = fit_to_screens(to_qrect(placement->normal));
    setGeometry(normal);
    normal_geometry_ = normal;
    // A window saved minimised comes back as it was before it was minimised.
    if (placement->maximized() || (placement->flags & workspace::WindowPlacement::kRestoreToMaximized) != 0)
        showMaximized();
    else
        show();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // Each connection window saves its own placement and logs out as it closes.
    mdi_->closeAllSubWindows();
    if (!mdi_->subWindowList().isEmpty()) {
        event->ignore();
        return;
    }
    const QRect normal = normal_geometry_.isValid() ? normal_geometry_ : normalGeometry();
    workspace::write_placement(ini_path_, workspace::kWindowPosKey, current_placement(this, normal));
    app::admin_app().save_preferences();
    QMainWindow::closeEvent(event);
}

void CMainFrame::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    if (!isMaximized() && !isMinimized() && isVisible()) normal_geometry_ = geometry();
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (!isMaximized() && !isMinimized() && isVisible()) normal_geometry_ = geometry();
}

}  // namespace kestra::ui
