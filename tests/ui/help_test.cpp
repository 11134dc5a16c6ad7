// The help window: every window and command of the program has a page and a keyword, every link of every page
// leads somewhere, and the keys and commands that open help open the right page with the focus where it belongs.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDirIterator>
#include <QFile>
#include <QHelpEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWhatsThis>
#include <memory>
#include <set>

#include "hostlink/host_session.h"
#include "qtest_support.h"
#include "support/temp_dir.h"
#include "ui/command_actions.h"
#include "ui/connect_dialog.h"
#include "ui/help_keys.h"
#include "ui/help_window.h"
#include "ui/main_frame.h"
#include "ui/object_names.h"
#include "ui/table_edit_dialog.h"
#include "workspace/table_edit_model.h"
#include "workspace/command_ids.h"
#include "workspace/command_table.h"
#include "workspace/field_popup_model.h"
#include "workspace/join_edit_model.h"
#include "model/config_field.h"
#include "model/date_formats.h"
#include "workspace/menu_model.h"

using namespace kestra;
namespace cmd = kestra::workspace::cmd;

namespace {

struct DialogName {
    const char* object_name;
    const char* title;
};

// Every dialog of the program by object name and title(s), those built today and those on their way. A dialog
// with a title of its own per use lists each.
const DialogName kDialogs[] = {
    {"dlg_100", "About Admin"},
    {"dlg_Connect", "Connect"},
    {"dlg_TavlinkSetup", "TCP/IP Winsock Transport Setup"},
    {"dlg_101", "Rename Configuration File Name"},
    {"dlg_102", "Add Configuration File "},
    {"dlg_1005", "Options"},
    {"dlg_128", "Preferences"},
    {"dlg_129", "Environment Command"},
    {"dlg_1017", "Global Settings"},
    {"dlg_1006", "Limits"},
    {"dlg_1016", "Add Application"},
    {"dlg_1016", "Edit Application"},
    {"dlg_1024", "Program"},
    {"dlg_115", "COBOL Table Selection"},
    {"dlg_DmsiiTableSelection", "DMSII Table Selection"},
    {"dlg_TableName", "Table Name"},
    {"dlg_116", "Table Where Condition"},
    {"dlg_157", "Edit Expression"},
    {"dlg_157", "Edit Search Condition"},
    {"dlg_127", "Calculation Builder"},
    {"dlg_142", "Print Options"},
    {"dlg_PrintPreview", "Print Preview"},
    {"dlg_GetFiles", "Get Files from Host"},
    {"dlg_PutFiles", "Put Files onto Host"},
    {"dlg_146", "Create Table"},
    {"dlg_EditJoin", "Edit Join"},
    {"dlg_EditJoin", "New Join"},
    {"dlg_148", "Add Join Table"},
    {"dlg_1021", "Table Edit"},
    {"dlg_1027", "Replace"},
    {"dlg_117", "Table Information"},
    {"dlg_1023", "Field Edit"},
    {"dlg_1025", "New User Defined Field"},
    {"dlg_1025", "Edit User Defined Field"},
    {"dlg_1026", "Rename Field"},
    {"dlg_Help", "Admin Help"},
};

QString text_of(const std::string& s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

std::string page_text(const std::string& page) {
    return ui::help_resource(text_of(page)).toStdString();
}

// Why the target does not lead to a page (and anchor) of the help; empty when it does.
QString dead_end(const std::string& target) {
    const workspace::HelpTarget t = workspace::split_help_target(target);
    if (!ui::help_pages().contains(text_of(t.page))) return QStringLiteral("no page ") + text_of(t.page);
    if (t.anchor.empty()) return {};
    for (const std::string& anchor : workspace::help_anchors(page_text(t.page)))
        if (anchor == t.anchor) return {};
    return QStringLiteral("no anchor ") + text_of(target);
}

bool has_keyword(const std::string& text) {
    const QString wanted = text_of(text);
    for (const auto& k : ui::CHelpWindow::instance().index().keywords())
        if (text_of(k.text).compare(wanted, Qt::CaseInsensitive) == 0) return true;
    return false;
}

void collect_menu_texts(const std::vector<workspace::MenuItem>& items, std::set<std::string>& out) {
    for (const workspace::MenuItem& item : items) {
        if (item.submenu()) {
            collect_menu_texts(item.items, out);
        } else if (!item.separator()) {
            const workspace::CommandInfo* command = workspace::find_command(item.id);
            out.insert(workspace::help_keyword_of(item.text.empty() && command != nullptr ? command->text : item.text));
        }
    }
}

// The dialog names the program's sources give their windows: set_dialog_name with a name, a number or a named
// constant (of its own file first, then of any file), and dlg_ names written out. A call whose name cannot be read
// is returned as "?file" so that a new way of naming dialogs is noticed here.
QStringList dialog_names_in_sources() {
    const QString root = QStringLiteral(KESTRA_TEST_DATA "/../../src/ui");
    const QRegularExpression call(
        QStringLiteral("set_dialog_name\\([^,;]+,\\s*(QStringLiteral\\(\"\\w+\"\\)|[^,;)]+?)\\s*\\)\\s*;"));
    const QRegularExpression named(QStringLiteral("^QStringLiteral\\(\"(\\w+)\"\\)$"));
    const QRegularExpression number(QStringLiteral("^\\d+$"));
    const QRegularExpression written(QStringLiteral("[\"'](dlg_\\w+)[\"']"));
    std::vector<std::pair<QString, QString>> files;
    QString everything;
    QDirIterator it(root, {QStringLiteral("*.cpp"), QStringLiteral("*.h"), QStringLiteral("*.ui")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        // Where the naming helpers themselves are declared and defined.
        if (path.contains(QStringLiteral("/object_names."))) continue;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) continue;
        files.emplace_back(path, QString::fromUtf8(file.readAll()));
        everything += files.back().second;
    }
    const auto constant = [](const QString& name, const QString& text) {
        return QRegularExpression(QRegularExpression::escape(name) + QStringLiteral("\\s*=\\s*(\\d+)\\s*;"))
            .match(text);
    };
    QStringList out;
    for (const auto& [path, text] : files) {
        for (auto m = call.globalMatch(text); m.hasNext();) {
            const QString arg = m.next().captured(1);
            if (const auto n = named.match(arg); n.hasMatch()) {
                out << QStringLiteral("dlg_") + n.captured(1);
            } else if (number.match(arg).hasMatch()) {
                out << QStringLiteral("dlg_") + arg;
            } else if (auto c = constant(arg, text); c.hasMatch() || (c = constant(arg, everything)).hasMatch()) {
                out << QStringLiteral("dlg_") + c.captured(1);
            } else {
                out << QStringLiteral("?") + path;
            }
        }
        for (auto m = written.globalMatch(text); m.hasNext();) out << m.next().captured(1);
    }
    out.removeDuplicates();
    out.sort();
    return out;
}

}  // namespace

class HelpTest : public QObject {
    Q_OBJECT

    testing::TempDir dir;
    std::unique_ptr<testing::TestSeams> seams;
    std::unique_ptr<ui::CMainFrame> frame;
    ui::CHelpWindow* help = nullptr;

  private slots:
    void initTestCase() {
        seams = std::make_unique<testing::TestSeams>();
        frame = std::make_unique<ui::CMainFrame>(dir.file("kestra.ini"));
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        help = &ui::CHelpWindow::instance();
    }

    void cleanupTestCase() {
        frame.reset();
        QVERIFY(seams->unexpected_dialogs.isEmpty());
        seams.reset();
    }

    void theIndexReadsWithoutFaultsAndEveryTargetLeadsToAPage() {
        const auto& index = help->index();
        for (const std::string& error : index.errors()) qWarning("index.txt %s", error.c_str());
        QVERIFY(index.errors().empty());
        QVERIFY(!index.contents().empty());
        for (const auto& entry : index.contents())
            QVERIFY2(dead_end(entry.target).isEmpty(), qPrintable(dead_end(entry.target)));
        for (const auto& [name, target] : index.topics())
            QVERIFY2(dead_end(target).isEmpty(), qPrintable(dead_end(target)));
        for (const auto& k : index.keywords()) QVERIFY2(dead_end(k.target).isEmpty(), qPrintable(dead_end(k.target)));
    }

    void everyLinkOfEveryPageResolvesAndEveryPageCanBeReached() {
        const QStringList pages = ui::help_pages();
        QVERIFY(pages.size() > 30);
        std::set<std::string> reached;
        for (const auto& entry : help->index().contents())
            reached.insert(workspace::split_help_target(entry.target).page);
        for (const QString& page : pages) {
            const std::string html = page_text(page.toStdString());
            QVERIFY2(html.find("<h1>") != std::string::npos, qPrintable(page));
            for (const std::string& link : workspace::help_links(html)) {
                // A link within the page names only the anchor.
                const std::string target = link.front() == '#' ? page.toStdString() + link : link;
                const QString problem = dead_end(target);
                QVERIFY2(problem.isEmpty(), qPrintable(page + QStringLiteral(": ") + problem));
                reached.insert(workspace::split_help_target(target).page);
            }
        }
        for (const QString& page : pages) QVERIFY2(reached.count(page.toStdString()) == 1, qPrintable(page));
    }

    void everyCommandHasAPageAndItsMenuTextIsAKeyword() {
        // The commands as the main window made them, so a command added later is covered without touching this.
        int commands = 0;
        for (QAction* action : frame->findChildren<QAction*>()) {
            if (!action->objectName().startsWith(QStringLiteral("cmd_"))) continue;
            ++commands;
            const std::string target = help->index().topic(action->objectName().toStdString());
            QVERIFY2(!target.empty(), qPrintable(action->objectName()));
            QVERIFY2(dead_end(target).isEmpty(), qPrintable(dead_end(target)));
        }
        QCOMPARE(commands, static_cast<int>(workspace::command_table().size()));
        // Every text a menu shows, popups included.
        std::set<std::string> texts;
        collect_menu_texts(workspace::menu_bar_with_window(), texts);
        collect_menu_texts(workspace::menu_bar_without_window(), texts);
        for (const char* popup : {"_SimplePopup_", "_TablePopup_"})
            collect_menu_texts(workspace::popup_menu(popup), texts);
        for (const workspace::CommandInfo& c : workspace::command_table())
            if (!c.text.empty()) texts.insert(workspace::help_keyword_of(c.text));
        QVERIFY(texts.size() > 30);
        for (const std::string& text : texts) QVERIFY2(has_keyword(text), text.c_str());
    }

    // The field list's and the join tree's menus are built per field and table: every entry they can show.
    void everyEntryOfTheFieldAndJoinMenusHasAPage() {
        using workspace::FieldCommand;
        namespace join = workspace::join_cmd;
        std::vector<int> ids{FieldCommand::rename,   FieldCommand::hide,  FieldCommand::update_allowed,
                             FieldCommand::standard, FieldCommand::currency, join::kInner,
                             join::kOuter,           join::kDeleteTable,  join::kWhere,
                             join::kDefaultSet,      join::kDeleteJoin,   join::kExpression};
        const std::pair<std::int32_t, int> groups[] = {{model::DateKind::date, FieldCommand::first_date},
                                                       {model::DateKind::time, FieldCommand::first_time},
                                                       {model::DateKind::timestamp, FieldCommand::first_timestamp}};
        for (const auto& [kind, first] : groups) {
            const int count = static_cast<int>(model::date_formats(kind).size());
            QVERIFY(count > 0);
            for (int i = 0; i < count; ++i) {
                std::int32_t k = -1;
                std::int32_t index = -1;
                QVERIFY(workspace::format_for_command(first + i, k, index) && k == kind && index == i);
                ids.push_back(first + i);
            }
        }
        // A few sets, and join fields and tables as many as a typical join offers.
        for (int i = 0; i < 4; ++i) ids.push_back(join::kFirstSet + i);
        for (int i = 0; i < 32; ++i) ids.push_back(join::kFirstJoinField + i);
        for (int i = 0; i < 32; ++i) ids.push_back(join::kFirstAddTable + i);
        for (int id : ids) {
            const std::string name = "cmd_" + std::to_string(id);
            const std::string target = help->index().topic(name);
            QVERIFY2(!target.empty(), name.c_str());
            QVERIFY2(dead_end(target).isEmpty(), qPrintable(dead_end(target)));
        }
    }

    void everyDialogHasAPageAndItsTitleIsAKeyword() {
        for (const DialogName& d : kDialogs) {
            const std::string target = help->index().topic(d.object_name);
            QVERIFY2(!target.empty(), d.object_name);
            QVERIFY2(dead_end(target).isEmpty(), qPrintable(dead_end(target)));
            QVERIFY2(has_keyword(workspace::help_keyword_of(d.title)), d.title);
        }
        // Every dialog the sources name, those added after this list too.
        const QStringList named = dialog_names_in_sources();
        QVERIFY2(named.size() >= 20, qPrintable(named.join(QLatin1Char(' '))));
        // Names given each way: a literal name, a number, a constant of the file and of its header, a form file.
        for (const char* name :
             {"dlg_PrintPreview", "dlg_1017", "dlg_127", "dlg_142", "dlg_Connect", "dlg_TavlinkSetup"})
            QVERIFY2(named.contains(QLatin1String(name)), qPrintable(named.join(QLatin1Char(' '))));
        for (const QString& name : named) {
            QVERIFY2(!name.startsWith(QLatin1Char('?')), qPrintable(QStringLiteral("unread dialog name in ") + name));
            QVERIFY2(!help->index().topic(name.toStdString()).empty(), qPrintable(name));
        }
        // The help window names itself as the list does.
        QCOMPARE(help->objectName(), QStringLiteral("dlg_Help"));
    }

    void helpCommandsWorkWithoutAConnectionWindow() {
        for (int id : {cmd::kHelpContents, cmd::kHelpSearch, cmd::kAbout})
            QVERIFY(frame->commands().action(id)->isEnabled());
        QStringList help_menu;
        for (QAction* top : frame->menuBar()->actions())
            if (top->text() == QStringLiteral("&Help"))
                for (QAction* item : top->menu()->actions()) help_menu << item->objectName();
        QCOMPARE(help_menu, (QStringList{"cmd_57666", "cmd_4797", "", "cmd_57664"}));
    }

    void contentsAndF1InTheMainWindowOpenTheStartPage() {
        help->show_target(QStringLiteral("limits.html"));
        frame->run_command(cmd::kHelpContents);
        QVERIFY(help->isVisible());
        QCOMPARE(help->current_target(), QStringLiteral("index.html"));
        QCOMPARE(help->tabs()->currentIndex(), 0);
        QVERIFY(help->contents_tree()->topLevelItemCount() > 3);

        help->show_target(QStringLiteral("limits.html"));
        // Without a window manager (Xvfb) the frame takes the focus back only from a hidden help window.
        help->close();
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        QTest::keyClick(frame.get(), Qt::Key_F1);
        QTRY_COMPARE(help->current_target(), QStringLiteral("index.html"));
        // Still one help window.
        int windows = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) windows += w->objectName() == QStringLiteral("dlg_Help");
        QCOMPARE(windows, 1);
    }

    void searchOpensEmptyWithTheFocusInIt() {
        help->show_search();
        QTest::keyClicks(help->search_field(), "limits");
        help->show_contents();
        frame->run_command(cmd::kHelpSearch);
        QCOMPARE(help->tabs()->currentIndex(), 1);
        QCOMPARE(help->search_field()->text(), QString());
        QVERIFY(QTest::qWaitForWindowActive(help));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(help->search_field()));
        // Empty, the whole index is there to browse.
        QCOMPARE(help->keyword_list()->count(), static_cast<int>(help->index().keywords().size()));
    }

    void searchingPasteListsThePastePage() {
        frame->run_command(cmd::kHelpSearch);
        QTest::keyClicks(help->search_field(), "paste");
        QStringList listed;
        for (int i = 0; i < help->keyword_list()->count(); ++i) listed << help->keyword_list()->item(i)->text();
        QVERIFY2(listed.contains(QStringLiteral("Paste Configuration file")), qPrintable(listed.join(", ")));
        for (const QString& text : listed) QVERIFY(text.contains(QStringLiteral("paste"), Qt::CaseInsensitive));
        QTest::keyClick(help->search_field(), Qt::Key_Return);
        QCOMPARE(help->current_target(), QStringLiteral("menu_edit.html#paste"));
        QVERIFY(help->browser()->toPlainText().contains(QStringLiteral("Paste Configuration file")));
        // Up and Down in the field pick from the list; Enter opens the one picked.
        help->search_field()->clear();
        QTest::keyClicks(help->search_field(), "configuration file");
        QVERIFY(help->keyword_list()->count() > 2);
        QCOMPARE(help->keyword_list()->currentRow(), 0);
        QTest::keyClick(help->search_field(), Qt::Key_Down);
        QTest::keyClick(help->search_field(), Qt::Key_Down);
        QTest::keyClick(help->search_field(), Qt::Key_Up);
        QCOMPARE(help->keyword_list()->currentRow(), 1);
        QCOMPARE(help->search_field()->text(), QStringLiteral("configuration file"));
        const QString picked = help->keyword_list()->item(1)->data(Qt::UserRole).toString();
        QTest::keyClick(help->search_field(), Qt::Key_Return);
        QCOMPARE(help->current_target(), picked);
        help->show_target(QStringLiteral("menu_edit.html#paste"));
        // Nothing matching: an empty list, and Enter leaves the page alone.
        help->search_field()->clear();
        QTest::keyClicks(help->search_field(), "zzz");
        QCOMPARE(help->keyword_list()->count(), 0);
        QTest::keyClick(help->search_field(), Qt::Key_Return);
        QCOMPARE(help->current_target(), QStringLiteral("menu_edit.html#paste"));
    }

    void f1InADialogOpensThatDialogsPage() {
        ui::install_help_keys();
        hostlink::CHostSession session;
        ui::CConnectDlg connect(session, dir.file("kestra.ini"), frame.get());
        connect.show();
        QVERIFY(QTest::qWaitForWindowExposed(&connect));
        auto* user = connect.findChild<QLineEdit*>("ctl_Connect_UserId");
        QVERIFY(user != nullptr);
        QTest::keyClick(user, Qt::Key_F1);
        QCOMPARE(help->current_target(), QStringLiteral("connect.html"));
        QVERIFY(help->isVisible());
        // The dialog keeps what was typed: F1 is not taken for text.
        QCOMPARE(user->text(), QString());
        connect.close();

        // Dialogs are known by name alone, so one built later needs no code of its own; an unknown name gets the
        // start page rather than nothing.
        for (const auto& [name, page] :
             {std::pair{"dlg_1021", "table_edit.html"}, std::pair{"dlg_1026", "rename_field.html"},
              std::pair{"dlg_NotInTheIndex", "index.html"}}) {
            help->show_target(QStringLiteral("keys.html"));
            QDialog later(frame.get());
            later.setObjectName(QString::fromLatin1(name));
            auto* edit = new QLineEdit(&later);
            later.show();
            QTest::keyClick(edit, Qt::Key_F1);
            QCOMPARE(help->current_target(), QString::fromLatin1(page));
        }
        // The real Table Edit window, from its name box and from its field list.
        {
            model::CConfigFile file;
            file.tables.push_back(std::make_unique<model::CConfigTable>());
            model::CConfigTable& table = *file.tables.back();
            table.name.assign("EMPLOYEE");
            table.fields.push_back(std::make_unique<model::CConfigField>());
            table.fields.back()->name.assign("EMP-NO");
            workspace::CTableEditModel edit(file, table);
            ui::CTableEditDlg dialog(edit, file, frame.get());
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            for (int id : {1022, 1003}) {
                help->show_target(QStringLiteral("keys.html"));
                QTest::keyClick(ui::find_control<QWidget>(&dialog, id), Qt::Key_F1);
                QCOMPARE(help->current_target(), QStringLiteral("table_edit.html"));
            }
            QCOMPARE(ui::find_control<QLineEdit>(&dialog, 1022)->text(), QStringLiteral("EMPLOYEE"));
            dialog.close();
        }
        // The help window has a page of its own.
        QTest::keyClick(help->search_field(), Qt::Key_F1);
        QCOMPARE(help->current_target(), QStringLiteral("help_window.html"));
        // Ctrl+F1 is no help key; the main window's F1 stays its own command.
        help->show_target(QStringLiteral("keys.html"));
        QDialog other(frame.get());
        other.setObjectName(QStringLiteral("dlg_1021"));
        auto* edit = new QLineEdit(&other);
        other.show();
        QTest::keyClick(edit, Qt::Key_F1, Qt::ControlModifier);
        QCOMPARE(help->current_target(), QStringLiteral("keys.html"));
    }

    void helpFromAModalDialogCanBeUsedWhileItRuns() {
        // A modal dialog blocks input to every window but its own: the help goes with it, and comes away again.
        QPointer<ui::CHelpWindow> alive = help;
        {
            QDialog modal(frame.get());
            modal.setObjectName(QStringLiteral("dlg_1006"));
            modal.setWindowModality(Qt::ApplicationModal);
            auto* edit = new QLineEdit(&modal);
            modal.show();
            QVERIFY(QTest::qWaitForWindowExposed(&modal));
            QCOMPARE(QApplication::activeModalWidget(), &modal);
            QTest::keyClick(edit, Qt::Key_F1);
            QCOMPARE(help->current_target(), QStringLiteral("limits.html"));
            QCOMPARE(help->parentWidget(), &modal);
            QVERIFY(help->isWindow() && help->isVisible());
            modal.hide();
            QCOMPARE(help->parentWidget(), nullptr);
            QVERIFY(help->isVisible());
        }
        QVERIFY(!alive.isNull());
        // A dialog deleted while it is still shown lets the help go too.
        auto* shown = new QDialog(frame.get());
        shown->setObjectName(QStringLiteral("dlg_1006"));
        shown->setWindowModality(Qt::ApplicationModal);
        auto* field = new QLineEdit(shown);
        shown->show();
        QTest::keyClick(field, Qt::Key_F1);
        QCOMPARE(help->parentWidget(), shown);
        delete shown;
        QVERIFY(!alive.isNull());
        QCOMPARE(help->parentWidget(), nullptr);
        // Without a modal dialog it is a window of its own.
        frame->run_command(cmd::kHelpContents);
        QCOMPARE(help->parentWidget(), nullptr);
    }

    void whatsThisLeadsToTheWindowsPage() {
        QDialog d(frame.get());
        d.setObjectName(QStringLiteral("dlg_1017"));
        auto* plain = new QLineEdit(&d);
        auto* explained = new QLineEdit(&d);
        explained->setWhatsThis(QStringLiteral("The host usercode."));
        auto* layout = new QVBoxLayout(&d);
        layout->addWidget(plain);
        layout->addWidget(explained);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QTest::keyClick(plain, Qt::Key_F1, Qt::ShiftModifier);
        QVERIFY(QWhatsThis::inWhatsThisMode());
        QWhatsThis::leaveWhatsThisMode();

        help->show_target(QStringLiteral("keys.html"));
        QHelpEvent own(QEvent::WhatsThis, QPoint(1, 1), explained->mapToGlobal(QPoint(1, 1)));
        QApplication::sendEvent(explained, &own);
        QCOMPARE(help->current_target(), QStringLiteral("keys.html"));
        QWhatsThis::hideText();
        QHelpEvent none(QEvent::WhatsThis, QPoint(1, 1), plain->mapToGlobal(QPoint(1, 1)));
        QApplication::sendEvent(plain, &none);
        QVERIFY(none.isAccepted());
        QCOMPARE(help->current_target(), QStringLiteral("global_settings.html"));
        // The main window's controls lead to the main window's page.
        QHelpEvent tool(QEvent::WhatsThis, QPoint(1, 1), frame->tool_bar()->mapToGlobal(QPoint(1, 1)));
        QApplication::sendEvent(frame->tool_bar(), &tool);
        QCOMPARE(help->current_target(), QStringLiteral("main_window.html"));
    }

    void escapePutsTheHelpAwayAndItComesBackAsItWas() {
        help->show_target(QStringLiteral("limits.html"));
        help->show();
        help->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(help));
        QTest::keyClick(help->contents_tree(), Qt::Key_Escape);
        QTRY_VERIFY(!help->isVisible());
        frame->run_command(cmd::kHelpSearch);
        QVERIFY(help->isVisible());
        QCOMPARE(help->current_target(), QStringLiteral("limits.html"));
    }

    void linksAndHistoryMoveBetweenPages() {
        help->show_contents();
        help->show_target(QStringLiteral("menu_edit.html"));
        help->show_target(QStringLiteral("menu_edit.html#paste"));
        QCOMPARE(help->current_target(), QStringLiteral("menu_edit.html#paste"));
        help->browser()->setSource(QUrl(QStringLiteral("add_config.html")));
        QCOMPARE(help->current_target(), QStringLiteral("add_config.html"));
        QVERIFY(help->browser()->toPlainText().contains(QStringLiteral("Add Configuration File")));
        auto* back = help->findChild<QPushButton*>(QStringLiteral("ctl_Help_Back"));
        QVERIFY(back != nullptr && back->isEnabled());
        QTest::mouseClick(back, Qt::LeftButton);
        QVERIFY(help->current_target().startsWith(QStringLiteral("menu_edit.html")));
        // A contents entry opens its page.
        QTreeWidgetItem* keys = nullptr;
        for (int i = 0; i < help->contents_tree()->topLevelItemCount(); ++i)
            if (help->contents_tree()->topLevelItem(i)->text(0) == QStringLiteral("Keys"))
                keys = help->contents_tree()->topLevelItem(i);
        QVERIFY(keys != nullptr);
        emit help->contents_tree()->itemActivated(keys, 0);
        QCOMPARE(help->current_target(), QStringLiteral("keys.html"));
        // And the contents follow the page shown, by its anchor where the contents have one.
        help->show_target(QStringLiteral("limits.html"));
        QCOMPARE(help->contents_tree()->currentItem()->text(0), QStringLiteral("Limits"));
        help->show_target(QStringLiteral("main_window.html#view"));
        QCOMPARE(help->contents_tree()->currentItem()->text(0), QStringLiteral("The configuration view"));
        help->browser()->setSource(QUrl(QStringLiteral("menu_tree.html")));
        QCOMPARE(help->contents_tree()->currentItem()->text(0), QStringLiteral("Tree menu"));
    }

    void theWindowAsAUserSeesIt() {
        help->show_contents();
        help->resize(780, 520);
        // The contents as a new window shows them, whatever earlier cases opened.
        help->contents_tree()->collapseAll();
        help->contents_tree()->expandToDepth(0);
        help->show_target(QStringLiteral("menu_edit.html"));
        QTest::qWait(50);
        const QString problem = testing::compare_screenshot(help, QStringLiteral("help-window"));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
};

KESTRA_QTEST_MAIN(HelpTest)
#include "help_test.moc"
