// The main window and the Connect dialog against the test host in this process: menus and toolbar with and without
// a connection window, every way out of the Connect dialog, one session per connection, logout on closing, and
// placements that come back. The class logs in once for most of its cases; a login and a logout each drain the
// line for about a second.
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QScrollBar>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <memory>

#include "app/admin_app.h"
#include "corvel/corvel.h"
#include "hostlink/host_session.h"
#include "platform/profile_file.h"
#include "qtest_support.h"
#include "support/fake_provider.h"
#include "support/inprocess_host.h"
#include "support/recording_ui_hooks.h"
#include "ui/admin_frame.h"
#include "ui/command_actions.h"
#include "ui/main_frame.h"
#include "ui/object_names.h"
#include "workspace/admin_doc.h"
#include "workspace/command_ids.h"

using namespace kestra;
namespace cmd = kestra::workspace::cmd;

namespace {

int fake_entry_points(ProviderEntryTable* table) {
    *table = testing::fake_provider().table();
    return 0;
}

QStringList menu_titles(QMenuBar* bar) {
    QStringList out;
    for (QAction* a : bar->actions()) out << a->text();
    return out;
}

QList<int> menu_ids(QMenuBar* bar, const QString& title) {
    QList<int> out;
    for (QAction* a : bar->actions()) {
        if (a->text() != title || a->menu() == nullptr) continue;
        for (QAction* item : a->menu()->actions()) out << (item->isSeparator() ? 0 : ui::command_id(item));
    }
    return out;
}

// Fills the Connect dialog and presses OK.
int log_in(QDialog& d, const QString& user, const QString& password, const QString& provider = "Tavlink") {
    auto* user_edit = d.findChild<QLineEdit*>("ctl_Connect_UserId");
    auto* password_edit = d.findChild<QLineEdit*>("ctl_Connect_Password");
    auto* providers = d.findChild<QComboBox*>("ctl_Connect_Provider");
    if (user_edit == nullptr || password_edit == nullptr || providers == nullptr) return -1;
    user_edit->clear();
    QTest::keyClicks(user_edit, user);
    password_edit->clear();
    QTest::keyClicks(password_edit, password);
    providers->setCurrentIndex(providers->findText(provider));
    if (auto* connections = d.findChild<QComboBox*>("ctl_Connect_Connection"))
        connections->setCurrentIndex(connections->findText("HOST1"));
    QTest::mouseClick(ui::find_control<QPushButton>(&d, ui::kOkId), Qt::LeftButton);
    return d.result();
}

int cancel(QDialog& d) {
    QTest::mouseClick(ui::find_control<QPushButton>(&d, ui::kCancelId), Qt::LeftButton);
    return d.result();
}

}  // namespace

class FrameTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::InProcessHost> host;
    std::unique_ptr<testing::RecordingUiHooks> hooks;
    std::unique_ptr<testing::TestSeams> seams;
    std::unique_ptr<ui::CMainFrame> frame;

    std::string ini_value(const std::string& key) const {
        return platform::get_private_profile_string("admin", key, "", host->ini());
    }
    int windows() const { return static_cast<int>(frame->mdi_area()->subWindowList().size()); }

  private slots:
    void initTestCase() {
        host = std::make_unique<testing::InProcessHost>();
        QVERIFY(host->started());
        testing::fake_provider().reset();
        testing::fake_provider().connection_names = std::string("FAKE1\0", 6);
        corvel_register_static_provider("Fake", fake_entry_points);
        hooks = std::make_unique<testing::RecordingUiHooks>();
        seams = std::make_unique<testing::TestSeams>();
        frame = std::make_unique<ui::CMainFrame>(host->ini());
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
    }

    void cleanupTestCase() {
        frame.reset();
        corvel_register_static_provider(nullptr, nullptr);
        QVERIFY(seams->unexpected_dialogs.isEmpty());
        seams.reset();
        hooks.reset();
        host.reset();
    }

    void withoutAWindowOnlyFileViewAndHelp() {
        QCOMPARE(menu_titles(frame->menuBar()), (QStringList{"&File", "&View", "&Help"}));
        QCOMPARE(menu_ids(frame->menuBar(), "&File"),
                 (QList<int>{cmd::kNewConnection, 0, cmd::kPrintSetup, 0, cmd::kExit}));
        // The toolbar is all there, but only what the application answers is enabled.
        QList<int> toolbar;
        for (QAction* a : frame->tool_bar()->actions()) toolbar << (a->isSeparator() ? 0 : ui::command_id(a));
        QCOMPARE(toolbar, (QList<int>{cmd::kExit, 0, cmd::kNewConnection, 0, cmd::kAddConfigFile, cmd::kSaveConfigFile,
                                      cmd::kCut, cmd::kCopy, cmd::kPaste}));
        QVERIFY(frame->commands().action(cmd::kExit)->isEnabled());
        QVERIFY(frame->commands().action(cmd::kNewConnection)->isEnabled());
        QVERIFY(!frame->commands().action(cmd::kAddConfigFile)->isEnabled());
        QVERIFY(!frame->commands().action(cmd::kPaste)->isEnabled());
        QVERIFY(frame->findChild<QWidget*>("ctl_101") != nullptr);
        const QString problem = testing::compare_screenshot(frame.get(), "frame-without-connection");
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    // There is no document file: Ctrl+O and Ctrl+S do nothing, while Ctrl+N opens the Connect dialog.
    void ctrlOAndCtrlSAreUnbound() {
        for (const auto& [id, action] : frame->commands().all()) {
            QVERIFY(!action->shortcuts().contains(QKeySequence("Ctrl+O")));
            QVERIFY(!action->shortcuts().contains(QKeySequence("Ctrl+S")));
        }
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        const int before = static_cast<int>(seams->dialogs_run.size());
        QTest::keyClick(frame.get(), Qt::Key_O, Qt::ControlModifier);
        QTest::keyClick(frame.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(static_cast<int>(seams->dialogs_run.size()), before);
        seams->next_dialog(cancel);
        QTest::keyClick(frame.get(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(seams->dialogs_run.size(), before + 1);
        QCOMPARE(seams->dialogs_run.back(), QStringLiteral("dlg_Connect"));
        QCOMPARE(windows(), 0);
    }

    void aboutIsDialog100() {
        QString name;
        seams->next_dialog([&](QDialog& d) {
            name = d.objectName();
            QTest::mouseClick(ui::find_control<QPushButton>(&d, ui::kOkId), Qt::LeftButton);
            return d.result();
        });
        frame->run_command(cmd::kAbout);
        QCOMPARE(name, QStringLiteral("dlg_100"));
        QCOMPARE(seams->pending_dialogs(), 0);
    }

    void blankUserIdKeepsTheDialogWithFocusThere() {
        const int beeps = seams->beeps;
        bool focused = false;
        seams->next_dialog([&](QDialog& d) {
            d.activateWindow();
            (void)QTest::qWaitForWindowActive(&d);
            log_in(d, "   ", "SECRET");
            focused = d.focusWidget() == d.findChild<QLineEdit*>("ctl_Connect_UserId");
            if (d.isVisible() && d.result() != QDialog::Accepted) return cancel(d);
            return d.result();
        });
        QVERIFY(frame->new_connection() == nullptr);
        QVERIFY(focused);
        QCOMPARE(seams->beeps, beeps + 1);
        QCOMPARE(app::admin_app().wait_count, 0);
        QCOMPARE(hooks->waiting(), 0);
        QCOMPARE(windows(), 0);
    }

    void configureFollowsTheProvider() {
        bool tavlink = true, fake = false;
        QString look;
        seams->next_dialog([&](QDialog& d) {
            auto* providers = d.findChild<QComboBox*>("ctl_Connect_Provider");
            auto* configure = d.findChild<QPushButton*>("ctl_Connect_Configure");
            auto* connections = d.findChild<QComboBox*>("ctl_Connect_Connection");
            providers->setCurrentIndex(providers->findText("Tavlink"));
            tavlink = configure->isEnabled();
            look = testing::compare_screenshot(&d, "connect-dialog");
            providers->setCurrentIndex(providers->findText("Fake"));
            fake = configure->isEnabled() && connections->findText("FAKE1") == 0;
            return cancel(d);
        });
        QVERIFY(frame->new_connection() == nullptr);
        QVERIFY(tavlink);
        QVERIFY(fake);
        QVERIFY2(look.isEmpty(), qPrintable(look));
    }

    void wrongPasswordShowsTheErrorsAndTheDialogAgain() {
        hooks->boxes.clear();
        seams->next_dialog([](QDialog& d) { return log_in(d, "ADMIN", "WRONG"); });
        seams->next_dialog(cancel);
        QVERIFY(frame->new_connection() == nullptr);
        QCOMPARE(seams->pending_dialogs(), 0);
        QCOMPARE(hooks->boxes.size(), std::size_t{1});
        // The host's own words for the refusal, not a line failure.
        QVERIFY2(hooks->boxes.front().find("Unable to connect") == std::string::npos, hooks->boxes.front().c_str());
        QVERIFY(!hooks->boxes.front().empty());
        QCOMPARE(windows(), 0);
        QCOMPARE(app::admin_app().wait_count, 0);
    }

    void loginOpensAWindowTitledWithTheHostVersion() {
        seams->next_dialog([](QDialog& d) { return log_in(d, "admin", "secret"); });
        hooks->boxes.clear();
        ui::CAdminFrame* window = frame->new_connection();
        QVERIFY2(window != nullptr, hooks->boxes.empty() ? "no message" : hooks->boxes.front().c_str());
        QVERIFY(window->doc().session().logged_in());
        QCOMPARE(window->windowTitle(), QString::fromLatin1(window->doc().session().host_version_text()));
        QVERIFY(window->windowTitle().startsWith("KESTRA SERVER 5R7"));
        QCOMPARE(window->splitter()->objectName(), QStringLiteral("splitter"));
        QCOMPARE(window->splitter()->count(), 2);
        QCOMPARE(ini_value("UID"), std::string("admin"));
        QCOMPARE(ini_value("provider"), std::string("Tavlink"));
    }

    void withAWindowAllSevenMenus() {
        QCOMPARE(menu_titles(frame->menuBar()),
                 (QStringList{"&File", "&Edit", "&Tree", "&View", "&Special", "&Window", "&Help"}));
        QVERIFY(menu_ids(frame->menuBar(), "&View").contains(cmd::kSecAdmin));
        QVERIFY(!frame->commands().action(cmd::kSecAdmin)->isEnabled());
        QVERIFY(!frame->commands().action(cmd::kUndo)->isEnabled());
        QVERIFY(frame->commands().action(cmd::kAddConfigFile)->isEnabled());
        QVERIFY(frame->commands().action(cmd::kCloseConnection)->isEnabled());
        // Nothing selected yet: no file commands; no download without "allow downloads".
        QVERIFY(!frame->commands().action(cmd::kSaveConfigFile)->isEnabled());
        QVERIFY(!frame->commands().action(cmd::kGetFiles)->isEnabled());
        QVERIFY(frame->commands().action(cmd::kPutFiles)->isEnabled());
        // The sample's file names are wider than the tree's default pane: the pane scrolls rather than hides them.
        auto* window = qobject_cast<ui::CAdminFrame*>(frame->mdi_area()->subWindowList().front());
        QVERIFY(window != nullptr);
        auto* tree = qobject_cast<QAbstractScrollArea*>(window->splitter()->widget(0));
        QVERIFY(tree != nullptr);
        QTRY_VERIFY(tree->horizontalScrollBar()->maximum() > 0);
        QTRY_VERIFY(tree->horizontalScrollBar()->isVisible());
        const QString problem = testing::compare_screenshot(frame.get(), "frame-with-connection");
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    // The status pane and the toolbar follow the selected file of the active window.
    void selectionDrivesTheFilePaneAndTheToolbar() {
        auto* window = qobject_cast<ui::CAdminFrame*>(frame->mdi_area()->subWindowList().front());
        QVERIFY(window != nullptr);
        auto& doc = window->doc();
        auto* sales = doc.root().add_child("SALES", 1);
        sales->config.description.assign("Sales office");
        doc.set_selected(sales);
        sales->config.modified = true;
        frame->update_commands();
        auto* pane = frame->findChild<QLabel*>("ctl_101");
        QCOMPARE(pane->text(), QStringLiteral("Sales office"));
        QVERIFY(frame->commands().action(cmd::kSaveConfigFile)->isEnabled());
        QVERIFY(!frame->commands().action(cmd::kCopy)->isEnabled());
        QVERIFY(frame->commands().action(cmd::kCut)->isEnabled());
        QVERIFY(frame->commands().action(cmd::kPrint)->isEnabled());

        // The tree's popup shows its own texts, enabled as the commands are, and passes them on.
        std::unique_ptr<QMenu> popup(ui::make_popup("_SimplePopup_", frame->commands(), frame.get()));
        QCOMPARE(popup->objectName(), QStringLiteral("menu_103_SimplePopup"));
        QStringList texts;
        for (QAction* a : popup->actions())
            texts << (a->isSeparator() ? "-" : a->text() + (a->isEnabled() ? "" : " (off)"));
        QCOMPARE(texts, (QStringList{"Cut Configuration file", "Copy Configuration file (off)",
                                     "Paste Configuration file... (off)", "Delete Configuration file", "-",
                                     "Rename Configuration File... (off)", "Add Configuration File..."}));
        QSignalSpy chosen(&frame->commands(), &ui::CommandActions::triggered);
        popup->actions().front()->trigger();
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.front().front().toInt(), cmd::kCut);

        doc.set_selected(&doc.root());
        frame->update_commands();
        QVERIFY(pane->text().isEmpty());
        QVERIFY(!frame->commands().action(cmd::kSaveConfigFile)->isEnabled());
        QVERIFY(frame->commands().action(cmd::kExpandAll)->isEnabled());
        // The node added here went in behind the views' backs: read the host's list afresh, which tells them.
        doc.set_selected(nullptr);
        QCOMPARE(window->tree().load_tree(), std::int16_t{0});
        frame->update_commands();
    }

    // Each connection window owns its own session; closing one logs that one out and saves its placement.
    void twoConnectionsTwoSessionsAndClosingLogsOut() {
        QCOMPARE(windows(), 1);
        auto* first = qobject_cast<ui::CAdminFrame*>(frame->mdi_area()->subWindowList().front());
        QVERIFY(first != nullptr);
        seams->next_dialog([](QDialog& d) { return log_in(d, "ADMIN", "SECRET"); });
        ui::CAdminFrame* second = frame->new_connection();
        QVERIFY(second != nullptr);
        QCOMPARE(windows(), 2);
        // The Window menu lists both, the active one checked.
        QMenu* window_menu = nullptr;
        for (QAction* a : frame->menuBar()->actions())
            if (a->text() == "&Window") window_menu = a->menu();
        QVERIFY(window_menu != nullptr);
        emit window_menu->aboutToShow();
        QStringList listed;
        for (QAction* a : window_menu->actions())
            if (a->property("windowEntry").toBool() && !a->isSeparator())
                listed << (a->isChecked() ? "*" : "") + a->text();
        QCOMPARE(listed.size(), 2);
        QVERIFY(listed[1].startsWith("*&2 KESTRA SERVER 5R7"));
        QVERIFY(&first->doc().session() != &second->doc().session());
        QVERIFY(first->doc().session().logged_in());
        QVERIFY(second->doc().session().logged_in());

        const std::size_t logouts = host->requests().count(0, 3);
        QPointer<ui::CAdminFrame> closing(second);
        second->close();
        QTRY_VERIFY(closing.isNull());
        QTRY_COMPARE(host->requests().count(0, 3), logouts + 1);  // the host reads it on its own thread
        QCOMPARE(windows(), 1);
        QVERIFY(first->doc().session().logged_in());
        QVERIFY(!ini_value("OpenPosHOST1TAVLINK").empty());
        QVERIFY(!ini_value("SplitPos1HOST1TAVLINK").empty());
        QVERIFY(!ini_value("SplitPos2HOST1TAVLINK").empty());
    }

    // A maximised connection window is saved with flags 2 and opens maximised again, with its pane widths.
    void maximisedConnectionWindowComesBackMaximised() {
        QCOMPARE(windows(), 1);
        auto* window = qobject_cast<ui::CAdminFrame*>(frame->mdi_area()->subWindowList().front());
        QVERIFY(window != nullptr);
        window->splitter()->setSizes({150, 250});
        window->showMaximized();
        window->save_placement();
        QVERIFY(ini_value("OpenPosHOST1TAVLINK").rfind("2,3,", 0) == 0);

        // A window over a session that is not logged in: nothing to log out, no second of draining.
        auto session = std::make_unique<hostlink::CHostSession>();
        session->set_connection_name("host1");
        session->set_provider_name("Tavlink");
        auto* again = new ui::CAdminFrame(std::make_unique<workspace::CAdminDoc>(std::move(session)), host->ini());
        frame->mdi_area()->addSubWindow(again);
        again->show();
        QVERIFY(again->restore_placement());
        QVERIFY(again->isMaximized());
        again->close();
    }

    // Saved on a screen that is gone: the window comes back on the primary screen, its size kept.
    void mainWindowSavedOffScreenComesBackOnScreen() {
        const std::string ini =
            host->dir().write("offscreen.ini", "[admin]\nWindowPos=0,1,-1,-1,-1,-1,9000,9000,9400,9300\n");
        ui::CMainFrame main(ini);
        main.show_with_placement();
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().intersects(main.geometry()));
        QCOMPARE(main.size(), QSize(400, 300));
        QVERIFY(!main.isMaximized());

        // A value that does not parse leaves the window where the system puts it.
        platform::write_private_profile_string("admin", "WindowPos", "0,1,-1,-1,-1,-1,10,10,400", ini);
        ui::CMainFrame other(ini);
        other.show_with_placement();
        QCOMPARE(other.size(), QSize(640, 480));
    }

    void maximisedMainWindowComesBackMaximised() {
        const std::string ini = host->dir().write("placement.ini", "");
        app::admin_app().sort_datasets = 1;
        {
            ui::CMainFrame main(ini);
            main.show();
            main.showMaximized();
            QVERIFY(main.close());
        }
        const std::string saved = platform::get_private_profile_string("admin", "WindowPos", "", ini);
        QVERIFY2(saved.rfind("2,3,", 0) == 0, saved.c_str());
        // Closing the main window also writes the preferences back.
        QCOMPARE(platform::get_private_profile_string("admin", "sort datasets", "", host->ini()), std::string("1"));
        ui::CMainFrame main(ini);
        main.show_with_placement();
        QVERIFY(main.isMaximized());
    }

    // A main window torn down with a connection window still open (the program's exit path when the event loop
    // ends first) logs the connection out and never calls back into the half-destroyed main window.
    void mainWindowDestroyedWithAConnectionOpen() {
        const std::size_t logouts = host->requests().count(0, 3);
        {
            ui::CMainFrame main(host->ini());
            main.show();
            seams->next_dialog([](QDialog& d) { return log_in(d, "ADMIN", "SECRET"); });
            QVERIFY(main.new_connection() != nullptr);
        }
        QTRY_COMPARE(host->requests().count(0, 3), logouts + 1);
    }
};

KESTRA_QTEST_MAIN(FrameTest)
#include "frame_test.moc"
