// Edit Join and Add Join Table against the test host in this process: what the windows show and refuse, their
// popups, moves and drags, and what reaches the host after OK. The class logs in once.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <algorithm>
#include <memory>

#include "app/admin_app.h"
#include "configsvc/field_requests.h"
#include "configsvc/table_requests.h"
#include "model/field_edits.h"
#include "qtest_support.h"
#include "support/inprocess_host.h"
#include "support/recording_ui_hooks.h"
#include "ui/add_join_table_dialog.h"
#include "ui/admin_frame.h"
#include "ui/admin_view.h"
#include "ui/client_config_view.h"
#include "ui/join_edit_dialog.h"
#include "ui/join_entry.h"
#include "ui/main_frame.h"
#include "ui/object_names.h"
#include "ui/settings_dialogs.h"
#include "workspace/admin_doc.h"
#include "workspace/join_edit_model.h"

using namespace kestra;
using model::CServerNode;

namespace {

ui::CEditJoinDlg& edit_join_dialog(QDialog& d) {
    return static_cast<ui::CEditJoinDlg&>(d);
}

QStringList tree_texts(const ui::CEditJoinDlg& d) {
    QStringList out;
    QTreeWidgetItem* root = d.tree()->topLevelItem(0);
    if (root == nullptr) return out;
    out << root->text(0);
    for (int k = 0; k < root->childCount(); ++k) {
        out << root->child(k)->text(0);
        for (int i = 0; i < root->child(k)->childCount(); ++i) out << "  " + root->child(k)->child(i)->text(0);
    }
    return out;
}

// Right-clicks the item and triggers the command of the popup that opens; false when there is no such command.
bool popup_command(ui::CEditJoinDlg& d, QTreeWidgetItem* item, int id, const QString& menu_name) {
    QMenu* menu = d.open_popup(item);
    if (menu == nullptr || menu->objectName() != menu_name) return false;
    QAction* action = menu->findChild<QAction*>(QStringLiteral("cmd_%1").arg(id));
    if (action == nullptr || !action->isEnabled()) return false;
    action->trigger();
    // Commands run after the popup has closed.
    QCoreApplication::processEvents();
    return true;
}

void press(QWidget& d, int id) {
    QTest::mouseClick(ui::find_control<QPushButton>(&d, id), Qt::LeftButton);
}

void set_name(QDialog& d, const QString& name) {
    auto* edit = d.findChild<QLineEdit*>(QStringLiteral("ctl_EditJoin_Name"));
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, name);
}

}  // namespace

class JoinDialogsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::InProcessHost> host;
    std::unique_ptr<testing::RecordingUiHooks> hooks;
    std::unique_ptr<testing::TestSeams> seams;
    std::unique_ptr<ui::CMainFrame> frame;
    ui::CAdminFrame* window = nullptr;
    ui::CClientConfigView* view = nullptr;
    CServerNode* sales = nullptr;

    model::CConfigFile& file() { return sales->config; }
    int table_index(const std::string& name) {
        for (std::size_t i = 0; i < file().tables.size(); ++i)
            if (file().tables[i]->name == name) return static_cast<int>(i);
        return -1;
    }
    std::vector<int> codes() const {
        std::vector<int> out;
        for (const auto& e : host->requests().entries())
            if (e.kind == 2) out.push_back(e.code);
        return out;
    }
    // The requests from the first of the join requests on: what OK sent.
    std::vector<int> join_codes() const {
        std::vector<int> all = codes();
        auto first = std::find_if(all.begin(), all.end(), [](int c) { return c == 52 || c == 53 || c == 56; });
        return std::vector<int>(first, all.end());
    }
    // OK sent these, followed only by the unloads of the member tables the window loaded.
    bool sent_after_ok(const std::vector<int>& expected) const {
        const std::vector<int> sent = join_codes();
        if (sent.size() < expected.size() || !std::equal(expected.begin(), expected.end(), sent.begin())) {
            qWarning() << "sent" << QList<int>(sent.begin(), sent.end());
            return false;
        }
        return std::all_of(sent.begin() + static_cast<std::ptrdiff_t>(expected.size()), sent.end(),
                           [](int c) { return c == 24; });
    }
    void reset_log() {
        host->requests().clear();
        hooks->boxes.clear();
        seams->beeps = 0;
    }
    QStringList selected_lines() const {
        QStringList out;
        for (QListWidgetItem* item : view->list()->selectedItems()) out << item->text();
        return out;
    }

    // Builds CUSTOMER, then ORDERS on ORD-BY-CUST joined to CUSTOMER.CUST-ID, through the dialog's own controls.
    void build_two_members(ui::CEditJoinDlg& d) {
        seams->next_dialog([](QDialog& pick) {
            [&] {
                QCOMPARE(pick.objectName(), QStringLiteral("dlg_148"));
                auto* list = pick.findChild<QListWidget*>(QStringLiteral("ctl_AddJoinTable_List"));
                QVERIFY(list != nullptr);
                QVERIFY(!ui::find_control<QPushButton>(&pick, ui::kOkId)->isEnabled());
                QCOMPARE(list->item(0)->text(), QStringLiteral("CUSTOMER"));
                list->item(0)->setSelected(true);
                QVERIFY(ui::find_control<QPushButton>(&pick, ui::kOkId)->isEnabled());
                // A double click picks.
                const QRect r = list->visualItemRect(list->item(0));
                QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
                QCOMPARE(pick.result(), int(QDialog::Accepted));
            }();
            return pick.result();
        });
        press(d, 1085);
        QVERIFY(d.member_item(0) != nullptr);
        QVERIFY(popup_command(d, d.tree()->topLevelItem(0), workspace::join_cmd::kFirstAddTable, "menu_158"));
        QVERIFY(popup_command(d, d.member_item(1), workspace::join_cmd::kFirstSet, "menu_154"));
        QVERIFY(popup_command(d, d.join_field_item(1, 0), workspace::join_cmd::kFirstJoinField, "menu_156"));
    }

    // Renames a field of a table on the host, as Table Edit would.
    void rename_host_field(const std::string& table_name, const char* from, const char* to) {
        const int at = table_index(table_name);
        QVERIFY(at >= 0);
        model::CConfigTable& t = *file().tables[static_cast<std::size_t>(at)];
        configsvc::CConfigClient& client = window->doc().client();
        QCOMPARE(configsvc::load_table(client, static_cast<std::uint32_t>(file().file_reference), t), std::int16_t{0});
        QCOMPARE(configsvc::get_field_list(client, t), std::int16_t{0});
        model::CConfigField* field = t.find_field(from);
        QVERIFY(field != nullptr);
        QVERIFY(model::rename_field(*field, to));
        configsvc::TableSaveOptions options;
        options.fields = configsvc::save_field_changes;
        QCOMPARE(configsvc::save_table(client, window->doc().pending_unloads(), file(), t, options), std::int16_t{0});
    }

  private slots:
    void initTestCase() {
        host = std::make_unique<testing::InProcessHost>();
        QVERIFY(host->started());
        hooks = std::make_unique<testing::RecordingUiHooks>();
        seams = std::make_unique<testing::TestSeams>();
        frame = std::make_unique<ui::CMainFrame>(host->ini());
        window = testing::open_connection(*frame, *seams);
        QVERIFY(window != nullptr);
        view = window->config_view();
        sales = testing::click_node(*window, "(PROD)SALES ON DBPACK");
        QVERIFY(sales != nullptr);
        QVERIFY(table_index("CUSTOMER_ORDERS") >= 0);
    }

    void cleanupTestCase() {
        frame.reset();
        QVERIFY(seams->unexpected_dialogs.isEmpty());
        seams.reset();
        hooks.reset();
        host.reset();
    }

    void aStoredJoinIsRepairedOnceAndCancelSendsNothing() {
        // CUSTOMER's CUST-ID renamed on the host: ORDERS's join to it no longer names a field.
        rename_host_field("CUSTOMER", "CUST-ID", "CUST-KEY");
        reset_log();
        bool shown = false;
        seams->next_dialog([&](QDialog& d) {
            [&] {
                QCOMPARE(d.objectName(), QStringLiteral("dlg_EditJoin"));
                QCOMPARE(d.windowTitle(), QStringLiteral("Edit Join"));
                QCOMPARE(tree_texts(edit_join_dialog(d)),
                         QStringList({"Join Tables", "CUSTOMER (CUST-BY-ID, WHERE CUST-ACTIVE = TRUE)", "  CUST-KEY",
                                      "ORDERS (ORD-BY-CUST, OUTER)", "  ORD-CUST", "  ORD-STATUS = 'O'"}));
                QCOMPARE(d.findChild<QLineEdit*>(QStringLiteral("ctl_EditJoin_Name"))->text(),
                         QStringLiteral("CUSTOMER_ORDERS"));
                shown = true;
            }();
            return int(QDialog::Rejected);
        });
        ui::edit_join(*view, table_index("CUSTOMER_ORDERS"));
        QVERIFY(shown);
        QCOMPARE(std::count(hooks->boxes.begin(), hooks->boxes.end(), std::string(workspace::kJoinInconsistent)), 1);
        const auto sent = codes();
        QVERIFY(std::find(sent.begin(), sent.end(), 53) == sent.end());
        QVERIFY(std::find(sent.begin(), sent.end(), 56) == sent.end());
        QCOMPARE(sent.front(), 55);
        QCOMPARE(sent.back(), 24);
        rename_host_field("CUSTOMER", "CUST-KEY", "CUST-ID");
    }

    // The sample's own join is consistent: it opens as stored, with no message.
    void aStoredJoinOpensAsStored() {
        reset_log();
        QStringList shown;
        seams->next_dialog([&](QDialog& d) {
            shown = tree_texts(edit_join_dialog(d));
            return int(QDialog::Rejected);
        });
        ui::edit_join(*view, table_index("CUSTOMER_ORDERS"));
        QCOMPARE(shown, QStringList({"Join Tables", "CUSTOMER (CUST-BY-ID, WHERE CUST-ACTIVE = TRUE)", "  CUST-ID",
                                     "ORDERS (ORD-BY-CUST, OUTER)", "  ORD-CUST = CUSTOMER.CUST-ID",
                                     "  ORD-STATUS = 'O'"}));
        QVERIFY(hooks->boxes.empty());
    }

    // A host name holding "&" shows in the popups as written, never as a mnemonic that swallows the character.
    void hostNamesInThePopupsKeepTheirAmpersands() {
        rename_host_field("CUSTOMER", "CUST-ID", "CUST&ID");
        QStringList shown;
        seams->next_dialog([&](QDialog& d) {
            auto& dlg = edit_join_dialog(d);
            QMenu* menu = dlg.open_popup(dlg.join_field_item(1, 0));
            if (menu != nullptr) {
                for (QAction* a : menu->findChildren<QAction*>()) shown << a->text();
                menu->close();
            }
            return int(QDialog::Rejected);
        });
        ui::edit_join(*view, table_index("CUSTOMER_ORDERS"));
        rename_host_field("CUSTOMER", "CUST&ID", "CUST-ID");
        QVERIFY2(shown.contains(QStringLiteral("CUST&&ID")), qPrintable(shown.join(u',')));
        hooks->boxes.clear();
    }

    void aNewJoinIsAddedGivenItsMembersAndSelected() {
        reset_log();
        seams->next_dialog([&](QDialog& d) {
            [&] {
                auto& dlg = edit_join_dialog(d);
                QCOMPARE(d.windowTitle(), QStringLiteral("New Join"));
                QCOMPARE(tree_texts(dlg), QStringList({"Join Tables"}));
                build_two_members(dlg);
                QCOMPARE(tree_texts(dlg),
                         QStringList({"Join Tables", "CUSTOMER (DEFAULT)", "ORDERS (ORD-BY-CUST, INNER)",
                                      "  ORD-CUST = CUSTOMER.CUST-ID", "  ORD-STATUS"}));
                // Move Up and Down follow the selected member.
                dlg.tree()->setCurrentItem(dlg.member_item(0));
                QVERIFY(!ui::find_control<QPushButton>(&d, 1188)->isEnabled());
                QVERIFY(ui::find_control<QPushButton>(&d, 1189)->isEnabled());
                dlg.tree()->setCurrentItem(dlg.member_item(1));
                QVERIFY(ui::find_control<QPushButton>(&d, 1188)->isEnabled());
                QVERIFY(!ui::find_control<QPushButton>(&d, 1189)->isEnabled());
                dlg.tree()->setCurrentItem(dlg.join_field_item(1, 0));
                QVERIFY(!ui::find_control<QPushButton>(&d, 1188)->isEnabled());
                // Every table is in: nothing left to add.
                QVERIFY(!ui::find_control<QPushButton>(&d, 1085)->isEnabled());
                QVERIFY(d.findChild<QLineEdit*>(QStringLiteral("ctl_EditJoin_Name"))->text().isEmpty());
                set_name(d, "NEWJOIN");
                const QString diff = testing::compare_screenshot(&d, QStringLiteral("edit-join"));
                QVERIFY2(diff.isEmpty(), qPrintable(diff));
            }();
            press(d, ui::kOkId);
            return d.result();
        });
        ui::new_join(*view);
        QCOMPARE(seams->pending_dialogs(), 0);
        QVERIFY(sent_after_ok({52, 55, 56, 24}));
        QVERIFY(hooks->boxes.empty());
        const int index = table_index("NEWJOIN");
        QVERIFY(index >= 0);
        QVERIFY(file().tables[static_cast<std::size_t>(index)]->join_table);
        QCOMPARE(selected_lines(), QStringList({"NEWJOIN"}));
    }

    void aRenameAloneSendsOnlyTheHeader() {
        reset_log();
        seams->next_dialog([&](QDialog& d) {
            [&] {
                // Stored as built: nothing to repair.
                QCOMPARE(tree_texts(edit_join_dialog(d)).size(), 5);
                set_name(d, "JOINED");
            }();
            press(d, ui::kOkId);
            return d.result();
        });
        ui::edit_join(*view, table_index("NEWJOIN"));
        QVERIFY(hooks->boxes.empty());
        QVERIFY(sent_after_ok({53, 24}));
        QVERIFY(table_index("JOINED") >= 0);
        QCOMPARE(selected_lines(), QStringList({"JOINED"}));
    }

    void aMemberChangeAloneSendsOnlyTheMembers() {
        reset_log();
        seams->next_dialog([&](QDialog& d) {
            [&] {
                auto& dlg = edit_join_dialog(d);
                QVERIFY(popup_command(dlg, dlg.member_item(1), workspace::join_cmd::kOuter, "menu_154"));
                QCOMPARE(dlg.member_item(1)->text(0), QStringLiteral("ORDERS (ORD-BY-CUST, OUTER)"));
                // The first member has no join kind to choose.
                QVERIFY(!popup_command(dlg, dlg.member_item(0), workspace::join_cmd::kOuter, "menu_154"));
            }();
            press(d, ui::kOkId);
            return d.result();
        });
        ui::edit_join(*view, table_index("JOINED"));
        QVERIFY(sent_after_ok({56, 24}));

        // Stored on the host: opening again shows it.
        reset_log();
        seams->next_dialog([&](QDialog& d) {
            [&] {
                QCOMPARE(edit_join_dialog(d).member_item(1)->text(0), QStringLiteral("ORDERS (ORD-BY-CUST, OUTER)"));
            }();
            return int(QDialog::Rejected);
        });
        ui::edit_join(*view, table_index("JOINED"));
        QVERIFY(hooks->boxes.empty());
    }

    void aRefusedMemberListKeepsThePreviousValues() {
        // A table the model knows but the host does not: the host refuses it as a member.
        auto ghost = std::make_unique<model::CConfigTable>();
        ghost->name.assign("GHOST");
        ghost->table_number = 77;
        ghost->loaded = ghost->fields_loaded = ghost->sets_loaded = true;
        auto field = std::make_unique<model::CConfigField>();
        field->name.assign("GHOST-ID");
        ghost->fields.push_back(std::move(field));
        file().tables.push_back(std::move(ghost));
        reset_log();
        const int index = table_index("JOINED");
        model::CConfigTable* before = file().tables[static_cast<std::size_t>(index)].get();
        seams->next_dialog([&](QDialog& d) {
            [&] {
                auto& dlg = edit_join_dialog(d);
                QVERIFY(
                    popup_command(dlg, dlg.tree()->topLevelItem(0), workspace::join_cmd::kFirstAddTable, "menu_158"));
                QCOMPARE(dlg.member_item(2)->text(0), QStringLiteral("GHOST (DEFAULT, INNER)"));
                set_name(d, "JOINED2");
            }();
            press(d, ui::kOkId);
            return d.result();
        });
        ui::edit_join(*view, index);
        QVERIFY(sent_after_ok({53, 56, 24}));
        QCOMPARE(hooks->boxes.size(), std::size_t{1});
        // The rename went through; the members did not, and the model's record stays.
        QCOMPARE(file().tables[static_cast<std::size_t>(index)].get(), before);
        QCOMPARE(before->name.str(), std::string("JOINED2"));
        file().tables.pop_back();
        view->refill();

        reset_log();
        seams->next_dialog([&](QDialog& d) {
            [&] { QCOMPARE(tree_texts(edit_join_dialog(d)).size(), 5); }();
            return int(QDialog::Rejected);
        });
        ui::edit_join(*view, index);
        QVERIFY(hooks->boxes.empty());
    }

    void aMemberThatFailsToLoadOpensNothing() {
        const int index = table_index("JOINED2");
        model::CConfigTable& orders = *file().tables[static_cast<std::size_t>(table_index("ORDERS"))];
        const std::int32_t number = orders.table_number;
        orders.table_number = 999;
        reset_log();
        const int runs = static_cast<int>(seams->dialogs_run.size());
        ui::edit_join(*view, index);
        orders.table_number = number;
        QCOMPARE(static_cast<int>(seams->dialogs_run.size()), runs);
        QCOMPARE(hooks->boxes.size(), std::size_t{1});
        const auto sent = codes();
        QVERIFY(std::find(sent.begin(), sent.end(), 56) == sent.end());
        QVERIFY(std::find(sent.begin(), sent.end(), 53) == sent.end());
    }

    void aRefusedAddDiscardsTheNewJoin() {
        reset_log();
        const std::size_t tables = file().tables.size();
        seams->next_dialog([&](QDialog& d) {
            set_name(d, "BAD NAME");  // the host takes letters, digits, '-' and '_' only
            press(d, ui::kOkId);
            return d.result();
        });
        ui::new_join(*view);
        QCOMPARE(join_codes(), (std::vector<int>{52}));
        QCOMPARE(hooks->boxes.size(), std::size_t{1});
        QCOMPARE(file().tables.size(), tables);
        QCOMPARE(view->list()->count(), static_cast<int>(tables));
    }

    void okRefusesBadNamesAndFragmentedKeys() {
        reset_log();
        seams->next_dialog([&](QDialog& d) {
            [&] {
                auto& dlg = edit_join_dialog(d);
                auto* message = d.findChild<QLabel*>(QStringLiteral("ctl_EditJoin_Message"));
                press(d, ui::kOkId);
                QCOMPARE(message->text(), QStringLiteral("*** Invalid table name ***"));
                set_name(d, "customer");
                press(d, ui::kOkId);
                QCOMPARE(message->text(), QStringLiteral("*** Duplicate table name ***"));
                QVERIFY(d.isVisible());
                // ORDERS first, then CUSTOMER on CUST-BY-NAME with only its second key bound.
                QVERIFY(popup_command(dlg, dlg.tree()->topLevelItem(0), workspace::join_cmd::kFirstAddTable + 1,
                                      "menu_158"));
                QVERIFY(
                    popup_command(dlg, dlg.tree()->topLevelItem(0), workspace::join_cmd::kFirstAddTable, "menu_158"));
                QVERIFY(popup_command(dlg, dlg.member_item(1), workspace::join_cmd::kFirstSet + 1, "menu_154"));
                QCOMPARE(dlg.member_item(1)->childCount(), 2);
                QVERIFY(
                    popup_command(dlg, dlg.join_field_item(1, 1), workspace::join_cmd::kFirstJoinField, "menu_156"));
                dlg.member_item(1)->setExpanded(false);
                dlg.tree()->setCurrentItem(dlg.member_item(0));
                set_name(d, "FRAG");
                press(d, ui::kOkId);
                QCOMPARE(message->text(), QStringLiteral("*** Set contains fragmented joins ***"));
                QCOMPARE(dlg.tree()->currentItem(), dlg.member_item(1));
                QVERIFY(dlg.member_item(1)->isExpanded());
                QCOMPARE(seams->beeps, 3);
            }();
            return int(QDialog::Rejected);
        });
        ui::new_join(*view);
        QVERIFY(join_codes().empty());
    }

    void dragsAndMovesAskBeforeLosingJoins() {
        reset_log();
        seams->next_dialog([&](QDialog& d) {
            [&] {
                auto& dlg = edit_join_dialog(d);
                build_two_members(dlg);
                ui::CJoinTree* tree = dlg.tree();
                auto drop_on = [&](QTreeWidgetItem* target, int member) {
                    QMimeData mime;
                    mime.setData(QString::fromLatin1(ui::CJoinTree::kMemberMime), QByteArray::number(member));
                    const QPoint at = tree->visualItemRect(target).center();
                    QDragEnterEvent enter(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
                    QCoreApplication::sendEvent(tree->viewport(), &enter);
                    QDragMoveEvent over(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
                    QCoreApplication::sendEvent(tree->viewport(), &over);
                    QVERIFY(over.isAccepted());
                    QDropEvent drop(QPointF(at), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
                    QCoreApplication::sendEvent(tree->viewport(), &drop);
                    QCoreApplication::processEvents();
                };
                // ORDERS dropped on the root would go first and lose its join: No keeps everything.
                hooks->answers.push_back(app::MessageResult::No);
                drop_on(tree->topLevelItem(0), 1);
                QCOMPARE(hooks->boxes.back(), std::string(workspace::kJoinAskMove));
                QCOMPARE(dlg.member_item(0)->text(0), QStringLiteral("CUSTOMER (DEFAULT)"));
                // Yes: ORDERS first, its join gone, and it stays selected.
                drop_on(tree->topLevelItem(0), 1);
                QCOMPARE(tree_texts(dlg), QStringList({"Join Tables", "ORDERS (ORD-BY-CUST)", "  ORD-CUST",
                                                       "  ORD-STATUS", "CUSTOMER (DEFAULT, INNER)"}));
                QCOMPARE(tree->currentItem(), dlg.member_item(0));
                // Dropped on a member takes its place; nothing is lost now, so nothing is asked.
                const std::size_t asked = hooks->boxes.size();
                drop_on(dlg.member_item(1), 0);
                QCOMPARE(hooks->boxes.size(), asked);
                QCOMPARE(dlg.member_item(0)->text(0), QStringLiteral("CUSTOMER (DEFAULT)"));
                // Move Up does the same with the button.
                dlg.tree()->setCurrentItem(dlg.member_item(1));
                press(d, 1188);
                QCOMPARE(dlg.member_item(0)->text(0), QStringLiteral("ORDERS (ORD-BY-CUST)"));
                QCOMPARE(tree->currentItem(), dlg.member_item(0));
                // Deleting a table another joins to asks too.
                QVERIFY(popup_command(dlg, dlg.member_item(1), workspace::join_cmd::kFirstSet, "menu_154"));
                QVERIFY(
                    popup_command(dlg, dlg.join_field_item(1, 0), workspace::join_cmd::kFirstJoinField, "menu_156"));
                hooks->answers.push_back(app::MessageResult::No);
                QVERIFY(popup_command(dlg, dlg.member_item(0), workspace::join_cmd::kDeleteTable, "menu_154"));
                QCOMPARE(hooks->boxes.back(), std::string(workspace::kJoinAskDelete));
                QCOMPARE(dlg.member_item(0)->text(0), QStringLiteral("ORDERS (ORD-BY-CUST)"));
                QVERIFY(popup_command(dlg, dlg.member_item(0), workspace::join_cmd::kDeleteTable, "menu_154"));
                QCOMPARE(tree_texts(dlg), QStringList({"Join Tables", "CUSTOMER (CUST-BY-ID)", "  CUST-ID"}));
            }();
            return int(QDialog::Rejected);
        });
        ui::new_join(*view);
        QVERIFY(join_codes().empty());
    }

    void theEllipsisItemsOpenTheExpressionDialog() {
        reset_log();
        seams->next_dialog([&](QDialog& d) {
            [&] {
                auto& dlg = edit_join_dialog(d);
                build_two_members(dlg);
                auto answer = [&](const QString& expected, const QString& typed) {
                    seams->next_dialog([=](QDialog& e) {
                        [&] {
                            QCOMPARE(e.objectName(), QStringLiteral("dlg_157"));
                            auto* edit = ui::find_control<QPlainTextEdit>(&e, 1000);
                            QCOMPARE(edit->toPlainText(), expected);
                            edit->setPlainText(typed);
                        }();
                        press(e, ui::kOkId);
                        return e.result();
                    });
                };
                answer(QString(), "NAME = 'X'");
                QVERIFY(popup_command(dlg, dlg.member_item(0), workspace::join_cmd::kWhere, "menu_154"));
                QCOMPARE(dlg.member_item(0)->text(0), QStringLiteral("CUSTOMER (DEFAULT, WHERE NAME = 'X')"));
                // The join value starts from the bound field, qualified.
                answer("CUSTOMER.CUST-ID", "42");
                QVERIFY(popup_command(dlg, dlg.join_field_item(1, 0), workspace::join_cmd::kExpression, "menu_156"));
                QCOMPARE(dlg.join_field_item(1, 0)->text(0), QStringLiteral("ORD-CUST = 42"));
                QCOMPARE(dlg.tree()->currentItem(), dlg.join_field_item(1, 0));
            }();
            return int(QDialog::Rejected);
        });
        ui::new_join(*view);
        QCOMPARE(seams->pending_dialogs(), 0);
        QVERIFY(join_codes().empty());
    }

    void addTableStopsAtSixteenMembersBothWays() {
        // Local tables loaded already, so the window loads nothing for them.
        const std::size_t before = file().tables.size();
        for (int n = 0; n < 15; ++n) {
            auto t = std::make_unique<model::CConfigTable>();
            t->name.assign("LOCAL" + std::to_string(n));
            t->table_number = 100 + n;
            t->loaded = t->fields_loaded = t->sets_loaded = true;
            auto field = std::make_unique<model::CConfigField>();
            field->name.assign("L" + std::to_string(n));
            t->fields.push_back(std::move(field));
            file().tables.push_back(std::move(t));
        }
        reset_log();
        seams->next_dialog([&](QDialog& d) {
            [&] {
                auto& dlg = edit_join_dialog(d);
                for (int n = 0; n < 16; ++n)
                    QVERIFY(popup_command(dlg, dlg.tree()->topLevelItem(0), workspace::join_cmd::kFirstAddTable,
                                          "menu_158"));
                QCOMPARE(dlg.tree()->topLevelItem(0)->childCount(), 16);
                QVERIFY(!ui::find_control<QPushButton>(&d, 1085)->isEnabled());
                QVERIFY(dlg.open_popup(dlg.tree()->topLevelItem(0)) == nullptr);
            }();
            return int(QDialog::Rejected);
        });
        ui::new_join(*view);
        file().tables.resize(before);
        QVERIFY(join_codes().empty());
    }

    // Made through the New button and Create Table, the new join stays the one selected line.
    void aJoinMadeThroughCreateTableStaysSelected() {
        ui::set_entry_dialogs(&ui::settings_entry_dialogs());
        app::admin_app().default_table_type = 0;
        reset_log();
        seams->next_dialog([](QDialog& d) {
            QTest::mouseClick(ui::find_control<QRadioButton>(&d, 1025), Qt::LeftButton, {}, QPoint(6, 8));
            press(d, ui::kOkId);
            return d.result();
        });
        seams->next_dialog([&](QDialog& d) {
            [&] {
                build_two_members(edit_join_dialog(d));
                set_name(d, "PICKED");
            }();
            press(d, ui::kOkId);
            return d.result();
        });
        view->list()->clearSelection();
        view->list()->item(0)->setSelected(true);
        press(*view, 1007);
        ui::set_entry_dialogs(nullptr);
        QCOMPARE(seams->pending_dialogs(), 0);
        QVERIFY(table_index("PICKED") >= 0);
        QCOMPARE(selected_lines(), QStringList({"PICKED"}));
        QVERIFY(ui::find_control<QPushButton>(view, 1009)->isEnabled());
    }
};

KESTRA_QTEST_MAIN(JoinDialogsTest)
#include "join_dialogs_test.moc"
