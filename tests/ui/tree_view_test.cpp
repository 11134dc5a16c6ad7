// The tree and the configuration view of a connection window against the test host in this process: clicks, keys
// and popups on the tree, the view's four modes, its buttons and Update Allowed, and the file commands with their
// dialogs. The class logs in once; cases build on each other's tree in the order they are written.
#include <QAccessible>
#include <QClipboard>
#include <QDragEnterEvent>
#include <algorithm>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QToolButton>
#include <memory>

#include "app/admin_app.h"
#include "qtest_support.h"
#include "support/inprocess_host.h"
#include "support/recording_ui_hooks.h"
#include "ui/admin_frame.h"
#include "ui/admin_view.h"
#include "ui/client_config_view.h"
#include "ui/command_actions.h"
#include "ui/main_frame.h"
#include "ui/object_names.h"
#include "workspace/admin_doc.h"
#include "workspace/command_ids.h"

using namespace kestra;
namespace cmd = kestra::workspace::cmd;
using model::CServerNode;

namespace {


// Types a name into the dialog's field and presses OK.
int name_and_ok(QDialog& d, const QString& field, const QString& name) {
    auto* edit = d.findChild<QLineEdit*>(field);
    if (edit == nullptr) return -1;
    edit->selectAll();
    QTest::keyClicks(edit, name);
    QTest::mouseClick(ui::find_control<QPushButton>(&d, ui::kOkId), Qt::LeftButton);
    return d.result();
}

class FakeEntryDialogs : public ui::EntryDialogs {
public:
    void new_entry(ui::CClientConfigView&, workspace::ViewMode mode) override { news.push_back(static_cast<int>(mode)); }
    void edit_entry(ui::CClientConfigView&, workspace::ViewMode mode, int index) override {
        edits.push_back({static_cast<int>(mode), index});
    }
    std::vector<int> news;
    std::vector<std::pair<int, int>> edits;
};

}  // namespace

class TreeViewTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::InProcessHost> host;
    std::unique_ptr<testing::RecordingUiHooks> hooks;
    std::unique_ptr<testing::TestSeams> seams;
    std::unique_ptr<ui::CMainFrame> frame;
    FakeEntryDialogs entries;
    ui::CAdminFrame* window = nullptr;
    ui::CAdminView* tree = nullptr;
    ui::CClientConfigView* view = nullptr;

    workspace::CAdminDoc& doc() { return window->doc(); }
    CServerNode* node(const std::string& name) { return doc().root().find_by_name(name); }
    void click(const CServerNode* n, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(tree->viewport(), button, Qt::NoModifier, tree->node_rect(n).center());
    }
    QStringList lines() const {
        QStringList out;
        for (int i = 0; i < view->list()->count(); ++i) out << view->list()->item(i)->text();
        return out;
    }
    template <class T>
    T* control(int id) const {
        return ui::find_control<T>(view, id);
    }
    // The codes of the administration requests since the log was last cleared.
    std::vector<int> codes() const {
        std::vector<int> out;
        for (const auto& e : host->requests().entries())
            if (e.kind == 2) out.push_back(e.code);
        return out;
    }
    std::string last_body(int code) const {
        std::string body;
        for (const auto& e : host->requests().entries())
            if (e.kind == 2 && e.code == code) body = e.body;
        return body;
    }
    bool enabled(int id) {
        frame->update_commands();
        return frame->commands().action(id)->isEnabled();
    }

private slots:
    void initTestCase() {
        host = std::make_unique<testing::InProcessHost>();
        QVERIFY(host->started());
        hooks = std::make_unique<testing::RecordingUiHooks>();
        seams = std::make_unique<testing::TestSeams>();
        ui::set_entry_dialogs(&entries);
        frame = std::make_unique<ui::CMainFrame>(host->ini());
        frame->resize(760, 480);
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        seams->next_dialog(testing::log_in_as_admin);
        window = frame->new_connection();
        QVERIFY2(window != nullptr, hooks->boxes.empty() ? "" : hooks->boxes.front().c_str());
        window->showMaximized();
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        tree = window->tree_view();
        view = window->config_view();
        QVERIFY(tree != nullptr && view != nullptr);
    }

    void cleanupTestCase() {
        frame.reset();
        ui::set_entry_dialogs(nullptr);
        QVERIFY(seams->unexpected_dialogs.isEmpty());
        seams.reset();
        hooks.reset();
        host.reset();
    }

    void opensOnTheHostsListWithTheRootSelected() {
        QCOMPARE(tree->objectName(), QStringLiteral("adminView"));
        QCOMPARE(doc().selected(), &doc().root());
        QVERIFY(node("(PROD)SALES ON DBPACK") != nullptr);
        QVERIFY(node("(PROD)SALES/NORDIC ON DBPACK") != nullptr);
        QVERIFY(node("(PAY)PAYROLL ON PAYPACK") != nullptr);
        QCOMPARE(view->list()->count(), 0);
        QVERIFY(!control<QPushButton>(1007)->isEnabled());
        QVERIFY(!control<QPushButton>(1008)->isEnabled());
        QVERIFY(!control<QPushButton>(1009)->isEnabled());
        // F6 moves between the panes.
        tree->setFocus();
        window->handle_command(cmd::kNextPane);
        QVERIFY(view->isAncestorOf(QApplication::focusWidget()));
        window->handle_command(cmd::kPrevPane);
        QVERIFY(tree->hasFocus() || tree->isAncestorOf(QApplication::focusWidget()));
    }

    // A screen reader sees a tree whose items are the visible nodes, the selected one marked.
    void theTreeIsAccessible() {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(tree);
        QVERIFY(iface != nullptr);
        QCOMPARE(iface->role(), QAccessible::Tree);
        QCOMPARE(iface->childCount(), static_cast<int>(tree->layout().rows.size()));
        QAccessibleInterface* root = iface->child(0);
        QCOMPARE(root->text(QAccessible::Name), QStringLiteral("Kestra Configuration Files"));
        QVERIFY(root->state().selected);
        QAccessibleInterface* sales = iface->child(1);
        QCOMPARE(sales->text(QAccessible::Name), QStringLiteral("(PROD)SALES ON DBPACK"));
        QVERIFY(!sales->state().selected);
        QVERIFY(sales->state().expanded);
        QCOMPARE(iface->indexOfChild(sales), 1);
        QCOMPARE(sales->parent(), iface);
    }

    void aClickOpensTheFileAndShowsItsTables() {
        host->requests().clear();
        click(node("(PROD)SALES ON DBPACK"));
        QCOMPARE(doc().selected(), node("(PROD)SALES ON DBPACK"));
        const std::vector<int> opened = codes();
        QCOMPARE(opened.front(), 18);
        QCOMPARE(control<QLabel>(1001)->text(), QStringLiteral("Tables:"));
        QCOMPARE(lines(), (QStringList{"CUSTOMER", "ORDERS", "CUSTOMER_ORDERS"}));
        QCOMPARE(view->list()->item(0)->foreground().color(), QColor(0xFF, 0, 0));  // update allowed
        QVERIFY(!control<QToolButton>(1002)->isEnabled());
        QVERIFY(control<QPushButton>(1007)->isEnabled());
        QVERIFY(!control<QPushButton>(1009)->isEnabled());
        view->list()->item(1)->setSelected(true);
        QVERIFY(control<QPushButton>(1009)->isEnabled());
        view->list()->item(2)->setSelected(true);
        QVERIFY(!control<QPushButton>(1009)->isEnabled());
        QVERIFY(control<QPushButton>(1008)->isEnabled());
        frame->update_commands();
        QCOMPARE(frame->findChild<QLabel*>("ctl_101")->text(), QStringLiteral("Sales and order processing"));
        view->list()->clearSelection();
        QString problem = testing::compare_screenshot(window, "tree-and-tables");
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        // A click on the selected node or on empty space sends nothing.
        host->requests().clear();
        click(node("(PROD)SALES ON DBPACK"));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(tree->viewport()->width() - 2,
                                                                                    tree->viewport()->height() - 2));
        QVERIFY(codes().empty());
        QCOMPARE(doc().selected(), node("(PROD)SALES ON DBPACK"));
    }

    void theFourModes() {
        QTest::mouseClick(control<QToolButton>(1004), Qt::LeftButton);
        QCOMPARE(control<QLabel>(1001)->text(), QStringLiteral("Limits:"));
        QCOMPARE(lines(), (QStringList{"No Where Req'ed", "Linear Selects OK", "No Linear Joins",
                                       "Silent EOF @ 50000 Rows"}));
        QVERIFY(!control<QToolButton>(1004)->isEnabled());
        QVERIFY(control<QToolButton>(1002)->isEnabled());
        QVERIFY(!control<QPushButton>(1007)->isEnabled());
        QVERIFY(!control<QPushButton>(1008)->isEnabled());
        QVERIFY(control<QPushButton>(1009)->isEnabled());
        hooks->boxes.clear();
        view->on_new();
        view->on_delete();
        QCOMPARE(hooks->boxes, (std::vector<std::string>{"Illegal Function!", "Illegal Function!"}));
        QTest::mouseClick(control<QPushButton>(1009), Qt::LeftButton);
        QCOMPARE(entries.edits.back(), (std::pair<int, int>{0, -1}));

        QTest::mouseClick(control<QToolButton>(1011), Qt::LeftButton);
        QCOMPARE(control<QLabel>(1001)->text(), QStringLiteral("Global:"));
        const QStringList global = lines();
        QVERIFY(global.contains("SECURITYTYPE: GUARDED"));
        QVERIFY(global.contains("AppName =SALESODBC"));
        QVERIFY(global.contains("Date Base:1/1/00"));
        QCOMPARE(global.back(), QStringLiteral("Show Fields"));

        QTest::mouseClick(control<QToolButton>(1003), Qt::LeftButton);
        QCOMPARE(control<QLabel>(1001)->text(), QStringLiteral("Applications:"));
        QVERIFY(view->list()->count() >= 1);
        QTest::mouseClick(control<QToolButton>(1002), Qt::LeftButton);
        QCOMPARE(control<QLabel>(1001)->text(), QStringLiteral("Tables:"));
    }

    void doubleClickEditsThroughTheFactory() {
        entries.edits.clear();
        const QRect r = view->list()->visualItemRect(view->list()->item(1));
        QTest::mouseClick(view->list()->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
        QTest::mouseDClick(view->list()->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
        QCOMPARE(entries.edits.size(), std::size_t{1});
        QCOMPARE(entries.edits.front(), (std::pair<int, int>{2, 1}));
        QTest::mouseClick(control<QPushButton>(1007), Qt::LeftButton);
        QCOMPARE(entries.news, (std::vector<int>{2}));
    }

    // After Tab and Home the current line has the focus frame but no selection: Enter still opens that line.
    void enterEditsTheCurrentLineEvenUnselected() {
        entries.edits.clear();
        QListWidget* list = view->list();
        list->clearSelection();
        list->setCurrentItem(list->item(1), QItemSelectionModel::NoUpdate);
        QVERIFY(list->selectedItems().isEmpty());
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(entries.edits.size(), std::size_t{1});
        QCOMPARE(entries.edits.front().second, 1);
    }

    void updateAllowedFlipsTheSelectedTables() {
        view->list()->clearSelection();
        view->list()->item(0)->setSelected(true);  // CUSTOMER, red
        // The list's popup offers the command.
        emit view->list()->customContextMenuRequested(QPoint(2, 2));
        auto* popup = view->findChild<QMenu*>("menu_103_TablePopup");
        QVERIFY(popup != nullptr);
        QCOMPARE(ui::command_id(popup->actions().front()), cmd::kUpdateAllowed);
        popup->close();
        host->requests().clear();
        frame->run_command(cmd::kUpdateAllowed);
        const std::vector<int> sent = codes();
        QCOMPARE(sent, (std::vector<int>{23, 34, 24}));
        QVERIFY(view->list()->item(0)->foreground().color() != QColor(0xFF, 0, 0));
        QVERIFY(view->list()->selectedItems().isEmpty());
        QVERIFY(doc().selected()->config.modified);
        QVERIFY(enabled(cmd::kSaveConfigFile));
        QVERIFY(!enabled(cmd::kRenameConfigFile));
    }

    void leavingAModifiedFileAsksAndCancelKeepsIt() {
        hooks->boxes.clear();
        hooks->answers = {app::MessageResult::Cancel};
        host->requests().clear();
        click(node("(PAY)PAYROLL ON PAYPACK"));
        QCOMPARE(hooks->boxes.size(), std::size_t{1});
        QCOMPARE(hooks->boxes.front(), std::string("Save changes to Client Configuration File (PROD)SALES ON DBPACK"));
        QCOMPARE(doc().selected(), node("(PROD)SALES ON DBPACK"));
        QVERIFY(codes().empty());
        frame->run_command(cmd::kSaveConfigFile);
        QCOMPARE(codes().back(), 40);
        QVERIFY(!doc().selected()->config.modified);
    }

    // A file the host does not know: its refusal (not a link failure) offers to take it off the list.
    void aFileTheHostRefusesIsOfferedForRemoval() {
        CServerNode* ghost = doc().root().add_child("*GHOST ON PACK", 999);
        tree->tree_changed();
        hooks->boxes.clear();
        hooks->answers = {app::MessageResult::Ok, app::MessageResult::No};
        click(ghost);
        QCOMPARE(hooks->boxes.size(), std::size_t{2});
        QCOMPARE(hooks->boxes.back(), std::string("Remove *GHOST ON PACK from the list?"));
        QCOMPARE(doc().selected(), nullptr);
        QCOMPARE(view->list()->count(), 0);
        QVERIFY(frame->findChild<QLabel*>("ctl_101")->text().isEmpty());
        doc().root().take_child(ghost);
        tree->tree_changed();
        click(node("(PROD)SALES ON DBPACK"));
    }

    void keysMoveTheSelection() {
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Home);
        QCOMPARE(doc().selected(), &doc().root());
        QTest::keyClick(tree, Qt::Key_Down);
        QCOMPARE(doc().selected(), node("(PROD)SALES ON DBPACK"));
        QTest::keyClick(tree, Qt::Key_Return);  // collapses SALES's branch
        QVERIFY(node("(PROD)SALES ON DBPACK")->collapsed);
        QVERIFY(node("(PROD)SALES/EUROPE ON DBPACK")->collapsed);
        QTest::keyClick(tree, Qt::Key_Plus);  // one level: SALES-EUROPE stays closed
        QVERIFY(!node("(PROD)SALES ON DBPACK")->collapsed);
        QVERIFY(node("(PROD)SALES/EUROPE ON DBPACK")->collapsed);
        QTest::keyClick(tree, Qt::Key_Asterisk, Qt::ControlModifier);
        QVERIFY(!node("(PROD)SALES/EUROPE ON DBPACK")->collapsed);
        QTest::keyClick(tree, Qt::Key_End);
        const CServerNode* last = doc().root().children().back().get();
        while (!last->children().empty()) last = last->children().back().get();
        QCOMPARE(doc().selected(), last);
        QTest::keyClick(tree, Qt::Key_PageUp);
        QCOMPARE(doc().selected(), &doc().root());
        // Double click does what Enter does.
        QTest::keyClick(tree, Qt::Key_Down);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, tree->node_rect(node("(PROD)SALES ON DBPACK")).center());
        QVERIFY(node("(PROD)SALES ON DBPACK")->collapsed);
        QTest::keyClick(tree, Qt::Key_Asterisk);
        QVERIFY(!node("(PROD)SALES ON DBPACK")->collapsed);
        QString problem = testing::compare_screenshot(tree, "tree");
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void rightClickSelectsAndShowsTheTreePopup() {
        click(node("(PROD)SALES/ARCHIVE ON DBPACK"), Qt::RightButton);
        const QPoint at = tree->node_rect(node("(PROD)SALES/ARCHIVE ON DBPACK")).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, tree->viewport()->mapToGlobal(at));
        QApplication::sendEvent(tree->viewport(), &event);
        QCOMPARE(doc().selected(), node("(PROD)SALES/ARCHIVE ON DBPACK"));
        auto* popup = tree->findChild<QMenu*>("menu_103_SimplePopup");
        QVERIFY(popup != nullptr);
        QList<int> ids;
        for (QAction* a : popup->actions()) ids << (a->isSeparator() ? 0 : ui::command_id(a));
        QCOMPARE(ids, (QList<int>{cmd::kCut, cmd::kCopy, cmd::kPaste, cmd::kDeleteConfigFile, 0,
                                  cmd::kRenameConfigFile, cmd::kAddConfigFile}));
        popup->close();
    }

    void addRenameAndDeleteWithCtrl() {
        click(&doc().root());
        seams->next_dialog([](QDialog& d) {
            // The name is checked before anything is sent.
            auto* ok = ui::find_control<QPushButton>(&d, ui::kOkId);
            if (ok->isEnabled()) return -1;  // OK only with text
            name_and_ok(d, "ctl_1000", "plain title");
            if (ui::find_control<QLabel>(&d, 1107)->text() != "You must include a usercode and packname") return -1;
            return name_and_ok(d, "ctl_1000", "*new on pack");
        });
        host->requests().clear();
        frame->run_command(cmd::kAddConfigFile);
        QCOMPARE(seams->dialogs_run.back(), QStringLiteral("dlg_102"));
        QVERIFY(node("*NEW ON PACK") != nullptr);
        QCOMPARE(doc().selected(), node("*NEW ON PACK"));
        QCOMPARE(codes().front(), 14);

        seams->next_dialog([](QDialog& d) { return name_and_ok(d, "ctl_RenameConfig_Name", "*NEWER ON PACK"); });
        frame->run_command(cmd::kRenameConfigFile);
        QCOMPARE(seams->dialogs_run.back(), QStringLiteral("dlg_101"));
        QVERIFY(node("*NEWER ON PACK") != nullptr);
        QCOMPARE(doc().selected(), node("*NEWER ON PACK"));

        QTest::mouseClick(control<QToolButton>(1003), Qt::LeftButton);
        hooks->boxes.clear();
        hooks->answers = {app::MessageResult::Yes};
        seams->modifiers = Qt::ControlModifier;
        host->requests().clear();
        frame->run_command(cmd::kDeleteConfigFile);
        seams->modifiers = Qt::NoModifier;
        QCOMPARE(hooks->boxes.front(), std::string("Delete Client Configuration File *NEWER ON PACK"));
        QCOMPARE(codes().back(), 15);
        QCOMPARE(last_body(15).back(), '0');
        QVERIFY(node("*NEWER ON PACK") == nullptr);
        QCOMPARE(doc().selected(), nullptr);
        QCOMPARE(view->list()->count(), 0);
        QVERIFY(!control<QPushButton>(1007)->isEnabled());
        QVERIFY(!control<QPushButton>(1009)->isEnabled());
        QTest::mouseClick(control<QToolButton>(1002), Qt::LeftButton);
    }

    void pasteNeedsThisWindowsOwnCopy() {
        auto* mime = new QMimeData;
        mime->setData("application/x-kestra-admin", QByteArray("x"));
        mime->setText("01SOMETHING\r\n");
        QGuiApplication::clipboard()->setMimeData(mime);
        click(node("(PAY)PAYROLL ON PAYPACK"));
        QVERIFY(!enabled(cmd::kPaste));

        click(node("(PROD)SALES/ARCHIVE ON DBPACK"));
        host->requests().clear();
        frame->run_command(cmd::kCopy);
        QCOMPARE(codes(), (std::vector<int>{46}));
        const QMimeData* on_clipboard = QGuiApplication::clipboard()->mimeData();
        QVERIFY(on_clipboard->hasFormat("application/x-kestra-admin"));
        QVERIFY(on_clipboard->text().endsWith("(PROD)SALES/ARCHIVE ON DBPACK\r\n"));
        QVERIFY(enabled(cmd::kPaste));

        click(node("(PAY)PAYROLL ON PAYPACK"));
        seams->next_dialog([](QDialog& d) { return name_and_ok(d, "ctl_1000", "*COPY ON PACK"); });
        frame->run_command(cmd::kPaste);
        QVERIFY(node("*COPY ON PACK") != nullptr);
        QCOMPARE(node("*COPY ON PACK")->parent(), node("(PAY)PAYROLL ON PAYPACK"));
    }

    void anotherProgramsClipboardEndsThisWindowsPaste() {
        click(node("(PROD)SALES/ARCHIVE ON DBPACK"));
        frame->run_command(cmd::kCopy);
        QVERIFY(enabled(cmd::kPaste));
        QGuiApplication::clipboard()->setText("01ELSEWHERE\r\n");
        QVERIFY(!enabled(cmd::kPaste));
    }

    void cutTakesTheFileOutOfTheTree() {
        click(node("*COPY ON PACK"));
        host->requests().clear();
        frame->run_command(cmd::kCut);
        QVERIFY(node("*COPY ON PACK") == nullptr);
        QCOMPARE(doc().selected(), nullptr);
        QCOMPARE(codes().back(), 47);
        QVERIFY(QGuiApplication::clipboard()->mimeData()->text().contains("*COPY ON PACK"));
    }

    // A drag of a node of this tree: refused over itself, a move onto another file sends the move request and the
    // node follows only then; Ctrl makes it a copy, which moves nothing.
    void dragAndDropMovesAFile() {
        click(node("(PROD)SALES/ARCHIVE ON DBPACK"));
        CServerNode* dragged = node("(PROD)SALES/ARCHIVE ON DBPACK");
        ui::CAdminView::set_dragged_node(dragged);
        QMimeData mime;
        mime.setData("application/x-kestra-admin", QByteArray("x"));
        QWidget* vp = tree->viewport();
        const QPoint self = tree->node_rect(dragged).center();
        QDragEnterEvent enter(self, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &enter);
        QVERIFY(enter.isAccepted());
        QDragMoveEvent over_self(self, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &over_self);
        QVERIFY(!over_self.isAccepted());

        const QPoint payroll = tree->node_rect(node("(PAY)PAYROLL ON PAYPACK")).center();
        QDragMoveEvent over_copy(payroll, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::ControlModifier);
        QApplication::sendEvent(vp, &over_copy);
        QVERIFY(over_copy.isAccepted());
        QCOMPARE(over_copy.dropAction(), Qt::CopyAction);
        QDragMoveEvent over(payroll, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &over);
        QVERIFY(over.isAccepted());
        QCOMPARE(over.dropAction(), Qt::MoveAction);

        host->requests().clear();
        QDropEvent drop(QPointF(payroll), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(drop.dropAction(), Qt::MoveAction);
        const std::vector<int> sent = codes();
        QVERIFY(std::find(sent.begin(), sent.end(), 16) != sent.end());
        QCOMPARE(dragged->parent(), node("(PAY)PAYROLL ON PAYPACK"));
        QCOMPARE(doc().selected(), node("(PAY)PAYROLL ON PAYPACK"));
        ui::CAdminView::set_dragged_node(nullptr);
    }
};

KESTRA_QTEST_MAIN(TreeViewTest)
#include "tree_view_test.moc"
