// The program without a mouse: the menus by their mnemonics, the popups of the tree, the list, the field list and
// the join tree by the Menu key and Shift+F10, and every dialog by Tab, Shift+Tab, Enter and Escape, with unique
// mnemonics and labelled controls. The dialog checks walk one list of ways to open a dialog, so a new dialog needs one
// more row there.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTextEdit>
#include <QTreeWidget>
#include <functional>
#include <memory>

#include "archive/archive_writer.h"
#include "configsvc/config_file_requests.h"
#include "configsvc/field_requests.h"
#include "configsvc/table_requests.h"
#include "expr/expression_parser.h"
#include "hostlink/host_session.h"
#include "model/config_file.h"
#include "qtest_support.h"
#include "report/print_options.h"
#include "support/inprocess_host.h"
#include "support/recording_ui_hooks.h"
#include "ui/add_join_table_dialog.h"
#include "ui/admin_frame.h"
#include "ui/admin_view.h"
#include "ui/application_dialog.h"
#include "ui/archive_commands.h"
#include "ui/calc_builder_dialog.h"
#include "ui/client_config_view.h"
#include "ui/cobol_table_dialog.h"
#include "ui/command_actions.h"
#include "ui/config_name_dialog.h"
#include "ui/connect_dialog.h"
#include "ui/create_table_dialog.h"
#include "ui/expression_edit_dialog.h"
#include "ui/field_edit_dialog.h"
#include "ui/field_list_panel.h"
#include "ui/join_edit_dialog.h"
#include "ui/main_frame.h"
#include "ui/object_names.h"
#include "ui/options_dialogs.h"
#include "ui/print_options_dialog.h"
#include "ui/replace_dialog.h"
#include "ui/settings_dialogs.h"
#include "ui/table_edit_dialog.h"
#include "ui/table_info_dialog.h"
#include "ui/table_name_dialog.h"
#include "ui/table_selection_dialog.h"
#include "ui/tavlink_setup/tavlink_setup_dialog.h"
#include "ui/user_defined_field_dialog.h"
#include "ui/where_condition_dialog.h"
#include "workspace/admin_doc.h"
#include "workspace/application_form.h"
#include "workspace/command_ids.h"
#include "workspace/global_settings_form.h"
#include "workspace/join_edit_model.h"
#include "workspace/limits_form.h"
#include "workspace/mnemonics.h"
#include "workspace/table_create_controller.h"
#include "workspace/table_edit_model.h"

using namespace kestra;
namespace cmd = workspace::cmd;

namespace {

using Check = std::function<void(QDialog&)>;

// The control a focus lands on: an editable combo box or a spin box takes the focus in its inner line edit.
QWidget* control_of(QWidget* w, const QWidget& dialog) {
    for (QWidget* p = w; p != nullptr && p != &dialog; p = p->parentWidget())
        if (qobject_cast<QComboBox*>(p) != nullptr || qobject_cast<QAbstractSpinBox*>(p) != nullptr) return p;
    return w;
}

QString describe(const QWidget* w) {
    QString text;
    if (const auto* b = qobject_cast<const QAbstractButton*>(w)) text = b->text();
    return QStringLiteral("%1(%2%3)")
        .arg(QString::fromLatin1(w->metaObject()->className()), w->objectName(),
             text.isEmpty() ? QString() : QStringLiteral(" \"") + text + QStringLiteral("\""));
}

// Whether Tab stops on a radio button: a group of exclusive buttons is one stop, its checked button (the arrow keys
// move within the group), or its first when none is checked.
bool radio_stop(const QRadioButton* radio) {
    if (!radio->autoExclusive() && radio->group() == nullptr) return true;
    if (radio->isChecked()) return true;
    QList<QAbstractButton*> group;
    if (radio->group() != nullptr)
        group = radio->group()->buttons();
    else
        for (QRadioButton* r : radio->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly))
            if (r->autoExclusive()) group << r;
    for (QAbstractButton* b : group)
        if (b->isChecked()) return false;
    return !group.isEmpty() && group.front() == radio;
}

// The controls Tab should reach: shown, enabled and taking the focus by Tab.
QList<QWidget*> tab_controls(QWidget& dialog) {
    QList<QWidget*> out;
    for (QWidget* w : dialog.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&dialog) || !w->isEnabled() || (w->focusPolicy() & Qt::TabFocus) == 0) continue;
        if (w->focusProxy() != nullptr) continue;
        if (auto* radio = qobject_cast<QRadioButton*>(w); radio != nullptr && !radio_stop(radio)) continue;
        QWidget* c = control_of(w, dialog);
        if (!out.contains(c)) out << c;
    }
    return out;
}

QRect rect_in(const QWidget* w, const QWidget& dialog) {
    return QRect(w->mapTo(&dialog, QPoint(0, 0)), w->size());
}

// Visual order, read from `start`: a later control is never above an earlier one in the same column (their spans
// across overlap), nor to the left of one in the same row (their spans down overlap). Controls in different rows
// and columns, as two columns of fields or a column of buttons beside a form, may come in either order.
QString visual_order_fault(const QList<QWidget*>& chain, qsizetype start, const QWidget& dialog) {
    constexpr int tol = 3;
    const qsizetype n = chain.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QRect a = rect_in(chain[(start + i) % n], dialog);
        for (qsizetype j = i + 1; j < n; ++j) {
            const QRect b = rect_in(chain[(start + j) % n], dialog);
            const int across = std::min(a.right(), b.right()) - std::max(a.left(), b.left());
            const int down = std::min(a.bottom(), b.bottom()) - std::max(a.top(), b.top());
            if ((across > tol && b.bottom() < a.top() + tol) || (down > tol && b.right() < a.left() + tol))
                return describe(chain[(start + j) % n]) +
                       QStringLiteral(" at %1,%2 comes after ").arg(b.x()).arg(b.y()) +
                       describe(chain[(start + i) % n]) + QStringLiteral(" at %1,%2").arg(a.x()).arg(a.y());
        }
    }
    return {};
}

bool is_text_input(const QWidget* w) {
    return qobject_cast<const QLineEdit*>(w) != nullptr || qobject_cast<const QComboBox*>(w) != nullptr ||
           qobject_cast<const QAbstractSpinBox*>(w) != nullptr ||
           qobject_cast<const QAbstractItemView*>(w) != nullptr || qobject_cast<const QPlainTextEdit*>(w) != nullptr ||
           qobject_cast<const QTextEdit*>(w) != nullptr;
}

QPushButton* default_button(QDialog& dialog) {
    for (QPushButton* b : dialog.findChildren<QPushButton*>())
        if (b->isDefault() && b->isVisibleTo(&dialog)) return b;
    return nullptr;
}

void show_active(QDialog& d) {
    d.show();
    d.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d));
}

}  // namespace

class KeyboardTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::InProcessHost> host;
    std::unique_ptr<testing::RecordingUiHooks> hooks;
    std::unique_ptr<testing::TestSeams> seams;
    std::unique_ptr<workspace::CAdminDoc> doc;
    std::unique_ptr<ui::CMainFrame> frame;
    ui::CAdminFrame* window = nullptr;
    model::CConfigFile sales;
    std::string archive_path;
    std::string put_path;
    model::CConfigTable* customer = nullptr;
    model::CConfigTable* orders = nullptr;

    model::CConfigTable* table_named(const std::string& name) {
        for (const auto& t : sales.tables)
            if (t->name.str() == name) return t.get();
        return nullptr;
    }
    model::CConfigField* field_named(model::CConfigTable& table, const std::string& name) {
        for (const auto& f : table.fields)
            if (f->name.str() == name) return f.get();
        return nullptr;
    }
    // Loads a table with its fields and sets, once.
    bool load(model::CConfigTable& table) {
        if (table.fields_loaded) return true;
        return configsvc::load_table(doc->client(), static_cast<std::uint32_t>(sales.file_reference), table) == 0 &&
               configsvc::get_field_list(doc->client(), table) == 0 && configsvc::load_sets(doc->client(), table) == 0;
    }
    // A join of CUSTOMER and ORDERS, ORDERS's key joined to nothing yet; the record and model live as long as the
    // dialog made with them.
    struct JoinUnderEdit {
        model::CConfigTable join;
        std::unique_ptr<workspace::CJoinEditModel> model;
    };
    std::unique_ptr<JoinUnderEdit> two_member_join() {
        auto j = std::make_unique<JoinUnderEdit>();
        j->join.join_table = true;
        j->join.name.assign("NEWJOIN");
        j->model = std::make_unique<workspace::CJoinEditModel>(sales, j->join,
                                                               [this](model::CConfigTable& t) { return load(t); });
        j->model->open();
        j->model->add_table(*customer);
        j->model->add_table(*orders);
        // ORDERS on its first set, whose key becomes a join field.
        j->model->member_command(1, workspace::join_cmd::kFirstSet);
        return j;
    }

    struct DialogCase {
        QString name;
        std::function<void(const Check&)> open;
    };

    // Runs the check on a dialog made here, shown and active.
    template <class Make>
    static std::function<void(const Check&)> direct(Make make) {
        return [make](const Check& check) {
            auto dialog = make();
            show_active(*dialog);
            if (!QTest::currentTestFailed()) check(*dialog);
            dialog->hide();
        };
    }
    // Runs the check on a dialog the program opens through the seams.
    std::function<void(const Check&)> through_seams(std::function<void()> trigger) {
        return [this, trigger](const Check& check) {
            seams->next_dialog([check](QDialog& d) {
                d.activateWindow();
                if (QTest::qWaitForWindowActive(&d)) check(d);
                return static_cast<int>(QDialog::Rejected);
            });
            trigger();
            const bool opened = seams->pending_dialogs() == 0;
            seams->clear_dialogs();
            QVERIFY2(opened, "the dialog did not open");
        };
    }

    // Every dialog of the program, by a way to open it.
    std::vector<DialogCase> dialogs() {
        using std::make_unique;
        std::vector<DialogCase> out;
        out.push_back({"About", through_seams([this] { frame->commands().action(cmd::kAbout)->trigger(); })});
        out.push_back({"Connect", direct([this] {
                           static hostlink::CHostSession idle;
                           return make_unique<ui::CConnectDlg>(idle, host->ini());
                       })});
        out.push_back({"TavlinkSetup", direct([this] {
                           ui::TavlinkSetupHooks quiet;
                           quiet.beep = [] {};
                           quiet.choose_translate_file = [](QWidget*) { return QString(); };
                           return make_unique<ui::CTavlinkSetupDlg>(host->ini(), 2048, nullptr, quiet);
                       })});
        out.push_back({"ConfigName", direct([this] {
                           return make_unique<ui::CConfigNameDlg>(configsvc::NameUse::add, doc->root());
                       })});
        out.push_back({"TableName",
                       direct([] { return make_unique<ui::CTableNameDlg>("Enter a name for the table", "PAYROLL"); })});
        out.push_back({"WhereCondition", direct([] { return make_unique<ui::CWhereConditionDlg>("A = 1"); })});
        out.push_back({"ExpressionEdit", direct([] {
                           static expr::CExpressionParser parser;
                           return make_unique<ui::CExpressionEditDlg>(parser);
                       })});
        out.push_back({"CalcBuilder", direct([] {
                           return make_unique<ui::CCalcBuilderDlg>(std::vector<expr::CalcField>{}, expr::kCalcEither,
                                                                   "");
                       })});
        out.push_back({"Options", direct([] { return make_unique<ui::COptionsDlg>(true, false); })});
        out.push_back({"Preferences", direct([] { return make_unique<ui::CPreferencesDlg>(); })});
        out.push_back(
            {"EnvironmentCommand", direct([this] { return make_unique<ui::CEnvironmentCommandDlg>(doc->client()); })});
        out.push_back(
            {"PrintOptions", direct([] { return make_unique<ui::CPrintOptionsDlg>(report::PrintOptions{}); })});
        out.push_back({"GlobalSettings", direct([] {
                           static workspace::GlobalSettingsForm form;
                           return make_unique<ui::CGlobalSettingsDlg>(form);
                       })});
        out.push_back({"Limits", direct([] {
                           static workspace::LimitsForm form;
                           return make_unique<ui::CLimitsDlg>(form);
                       })});
        out.push_back({"Application", direct([] {
                           static workspace::ApplicationForm form;
                           return make_unique<ui::CApplicationDlg>(form);
                       })});
        out.push_back({"Program", direct([] { return make_unique<ui::CProgramDlg>("PAYROLL", true); })});
        out.push_back(
            {"TableSelection", direct([this] { return make_unique<ui::CTableSelectionDlg>(*doc, sales.tables); })});
        out.push_back({"CobolTable", direct([this] { return make_unique<ui::CCobolTableDlg>(*doc, sales); })});
        out.push_back(
            {"CreateTable", direct([] { return make_unique<ui::CCreateTableDlg>(workspace::TableType::normal); })});
        out.push_back({"TableEdit", direct([this] {
                           // The model outlives every dialog made from it.
                           static std::unique_ptr<workspace::CTableEditModel> edit;
                           edit = make_unique<workspace::CTableEditModel>(sales, *customer);
                           return make_unique<ui::CTableEditDlg>(*edit, sales);
                       })});
        out.push_back({"Replace", direct([] { return make_unique<ui::CReplaceDlg>(); })});
        out.push_back({"TableInfo", direct([this] { return make_unique<ui::CTableInfoDlg>(*customer); })});
        out.push_back({"EditJoin", direct([this] {
                           static std::unique_ptr<JoinUnderEdit> join;
                           join = two_member_join();
                           return make_unique<ui::CEditJoinDlg>(*join->model, QStringLiteral("Edit Join"));
                       })});
        out.push_back({"AddJoinTable", direct([] {
                           return make_unique<ui::CAddJoinTableDlg>(std::vector<std::string>{"CUSTOMER", "ORDERS"});
                       })});
        out.push_back({"FieldEdit", direct([this] {
                           return make_unique<ui::CFieldEditDlg>(*customer, *field_named(*customer, "OPENED"));
                       })});
        out.push_back({"RenameField", direct([this] {
                           return make_unique<ui::CRenameFieldDlg>(*customer, *field_named(*customer, "OPENED"));
                       })});
        out.push_back(
            {"UserDefinedField", direct([this] { return make_unique<ui::CUserDefinedFieldDlg>(*customer, nullptr); })});
        out.push_back({"UserDefinedFieldOffset", direct([this] {
                           return make_unique<ui::CUserDefinedFieldDlg>(*customer, field_named(*customer, "CITY_CODE"));
                       })});
        out.push_back({"UserDefinedFieldCalculated", direct([this] {
                           return make_unique<ui::CUserDefinedFieldDlg>(*customer, field_named(*customer, "CREDIT_K"));
                       })});
        out.push_back({"GetFiles", through_seams([this] {
                           seams->file_answers.push_back(QString::fromStdString(archive_path));
                           ui::get_files_from_host(doc->session(), frame.get());
                       })});
        out.push_back({"PutFiles", through_seams([this] {
                           seams->file_answers.push_back(QString::fromStdString(put_path));
                           ui::put_files_onto_host(doc->session(), frame.get());
                       })});
        return out;
    }

    void add_dialog_rows() {
        QTest::addColumn<int>("index");
        int i = 0;
        for (const DialogCase& c : dialogs()) QTest::newRow(qPrintable(c.name)) << i++;
    }
    void open_dialog(const Check& check) {
        QFETCH(int, index);
        dialogs().at(static_cast<std::size_t>(index)).open(check);
    }

    ui::CAdminView* tree() const { return window->tree_view(); }
    ui::CClientConfigView* view() const { return window->config_view(); }

  private slots:
    void initTestCase() {
        host = std::make_unique<testing::InProcessHost>();
        QVERIFY(host->started());
        hooks = std::make_unique<testing::RecordingUiHooks>();
        seams = std::make_unique<testing::TestSeams>();
        archive_path = host->dir().file("keys.kba");
        // An archive of one small file for Put Files.
        put_path = host->dir().file("put.kba");
        {
            archive::ArchiveWriter writer;
            std::string error;
            QVERIFY(writer.create(put_path, error));
            archive::EntryHeader header;
            header.name = "(ADM)KEYS/DATA";
            header.attributes.frame_size = 180;
            header.attributes.record_size = 2;
            header.attributes.record_count = 3;
            const std::vector<std::uint8_t> data(36, 0x40);
            QVERIFY(writer.begin_entry(header, "", error) && writer.append_data(data, error) &&
                    writer.commit_entry(error) && writer.save(error));
        }
        auto session = std::make_unique<hostlink::CHostSession>();
        QCOMPARE(host->login(*session), 0);
        doc = std::make_unique<workspace::CAdminDoc>(std::move(session));
        std::uint32_t reference = 0;
        QCOMPARE(configsvc::open_config(doc->client(), 1, reference), 0);
        sales.file_reference = static_cast<std::int32_t>(reference);
        QCOMPARE(configsvc::get_table_list(doc->client(), doc->pending_unloads(), sales), 0);
        customer = table_named("CUSTOMER");
        orders = table_named("ORDERS");
        QVERIFY(customer != nullptr && orders != nullptr);
        QVERIFY(load(*customer) && load(*orders));
        QVERIFY(field_named(*customer, "OPENED") != nullptr && field_named(*customer, "CITY_CODE") != nullptr &&
                field_named(*customer, "CREDIT_K") != nullptr);

        frame = std::make_unique<ui::CMainFrame>(host->ini());
        window = testing::open_connection(*frame, *seams);
        QVERIFY(window != nullptr);
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
    }

    void cleanupTestCase() {
        frame.reset();
        doc.reset();
        seams.reset();
        hooks.reset();
        host.reset();
    }

    void cleanup() {
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
        hooks->boxes.clear();
        // A window of a test, closed, leaves nothing active: the next test starts in the main window.
        if (QApplication::activeWindow() == nullptr) {
            frame->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        }
    }

    // --- Menus ---

    void eachMenuOpensByItsMnemonic() {
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        const QList<QAction*> menus = frame->menuBar()->actions();
        QVERIFY(menus.size() >= 7);
        for (QAction* a : menus) {
            const char key = workspace::mnemonic_of(a->text().toStdString());
            QVERIFY2(key != 0, qPrintable(a->text()));
            QTest::keyClick(frame.get(), static_cast<Qt::Key>(key), Qt::AltModifier);
            QTRY_COMPARE(QApplication::activePopupWidget(), a->menu());
            QTest::keyClick(a->menu(), Qt::Key_Escape);
            QTest::keyClick(frame->menuBar(), Qt::Key_Escape);
            QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
        }
    }

    void aMenuCommandRunsByKeysAlone() {
        // Alt+T opens Tree; Expand All's own mnemonic runs it.
        workspace::CAdminDoc& d = window->doc();
        tree()->setFocus();
        tree()->handle_command(cmd::kCollapseBranch);
        QVERIFY(d.root().collapsed);
        frame->activateWindow();
        QTest::keyClick(frame.get(), Qt::Key_T, Qt::AltModifier);
        QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu != nullptr);
        QTest::keyClick(menu, Qt::Key_A);
        QTRY_VERIFY(!d.root().collapsed);
    }

    // --- Popups from the keyboard ---

    void menuKeyAndShiftF10OpenTheTreePopupAtTheSelectedNode() {
        model::CServerNode* node = window->doc().root().find_by_name("(PAY)PAYROLL ON PAYPACK");
        QVERIFY(node != nullptr);
        tree()->tree().select(node);
        tree()->tree_changed();
        tree()->setFocus();
        for (const auto& [key, mods] :
             {std::pair{Qt::Key_Menu, Qt::NoModifier}, std::pair{Qt::Key_F10, Qt::ShiftModifier}}) {
            QTest::keyClick(tree(), key, mods);
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(popup != nullptr);
            QCOMPARE(popup->objectName(), QStringLiteral("menu_103_SimplePopup"));
            const QRect r = tree()->node_rect(node);
            const QPoint top = tree()->viewport()->mapToGlobal(r.bottomLeft());
            QVERIFY2(std::abs(popup->geometry().top() - top.y()) <= 2,
                     qPrintable(QStringLiteral("popup at %1, node ends at %2").arg(popup->y()).arg(top.y())));
            QVERIFY(popup->geometry().left() >= top.x());
            QVERIFY(popup->geometry().left() <= top.x() + r.width());
            // A second Menu key while it is open does not stack another.
            QContextMenuEvent again(QContextMenuEvent::Keyboard, QPoint(), tree()->mapToGlobal(QPoint()));
            QApplication::sendEvent(tree(), &again);
            int shown = 0;
            for (QMenu* m : tree()->findChildren<QMenu*>("menu_103_SimplePopup")) shown += m->isVisible() ? 1 : 0;
            QCOMPARE(shown, 1);
            popup->close();
            QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
        }
        // F10 alone is not the popup.
        QTest::keyClick(tree(), Qt::Key_F10);
        QVERIFY(QApplication::activePopupWidget() == nullptr);
    }

    void menuKeyAndShiftF10OpenTheListPopupAtTheCurrentEntry() {
        model::CServerNode* node = window->doc().root().find_by_name("(PROD)SALES ON DBPACK");
        QVERIFY(node != nullptr);
        tree()->tree().select(node);
        tree()->tree_changed();
        view()->set_mode(workspace::ViewMode::tables);
        QListWidget* list = view()->list();
        QVERIFY(list->count() >= 2);
        list->setFocus();
        list->setCurrentRow(1);
        for (const auto& [key, mods] :
             {std::pair{Qt::Key_Menu, Qt::NoModifier}, std::pair{Qt::Key_F10, Qt::ShiftModifier}}) {
            QTest::keyClick(list, key, mods);
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(popup != nullptr);
            QCOMPARE(popup->objectName(), QStringLiteral("menu_103_TablePopup"));
            const QRect item = list->visualItemRect(list->item(1));
            const QPoint below = list->viewport()->mapToGlobal(item.bottomLeft());
            QVERIFY(std::abs(popup->geometry().top() - below.y()) <= 2);
            popup->close();
            QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
        }
        // F10 alone, or the Menu key with Ctrl, is something else.
        QTest::keyClick(list, Qt::Key_F10);
        QTest::keyClick(list, Qt::Key_Menu, Qt::ControlModifier);
        QVERIFY(QApplication::activePopupWidget() == nullptr);
        // The platform's keyboard context menu event lands on the same popup.
        QContextMenuEvent platform(QContextMenuEvent::Keyboard, QPoint(1, 1), list->mapToGlobal(QPoint(1, 1)));
        QApplication::sendEvent(list, &platform);
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(popup != nullptr);
        QCOMPARE(popup->objectName(), QStringLiteral("menu_103_TablePopup"));
        popup->close();
    }

    void menuKeyAndShiftF10OpenTheFieldPopupOnTheCurrentField() {
        ui::CFieldListPanel panel;
        panel.set_table(customer, &sales);
        panel.resize(320, 300);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        auto* list = panel.findChild<QListWidget*>(QStringLiteral("ctl_1003"));
        QVERIFY(list != nullptr && list->count() >= 4);
        list->setFocus();
        for (const auto& [key, mods] :
             {std::pair{Qt::Key_Menu, Qt::NoModifier}, std::pair{Qt::Key_F10, Qt::ShiftModifier}}) {
            // The current field, moved to by the keyboard without selecting it, is the one the popup is for.
            list->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
            list->setCurrentRow(2, QItemSelectionModel::NoUpdate);
            QTest::keyClick(list, key, mods);
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(popup != nullptr);
            QCOMPARE(popup->objectName(), QStringLiteral("menu_103_FieldPopup"));
            QCOMPARE(list->selectedItems(), QList<QListWidgetItem*>{list->item(2)});
            const QRect item = list->visualItemRect(list->item(2));
            const QPoint below = list->viewport()->mapToGlobal(item.bottomLeft());
            QVERIFY2(std::abs(popup->geometry().top() - below.y()) <= 2,
                     qPrintable(QStringLiteral("popup at %1, field ends at %2").arg(popup->y()).arg(below.y())));
            // Another Menu key while it is open does not stack a second one.
            QContextMenuEvent again(QContextMenuEvent::Keyboard, QPoint(), list->mapToGlobal(QPoint()));
            QApplication::sendEvent(list, &again);
            int shown = 0;
            for (QMenu* m : panel.findChildren<QMenu*>()) shown += m->isVisible() && m->parent() == &panel ? 1 : 0;
            QCOMPARE(shown, 1);
            popup->close();
            QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
        }
        // F10 alone is not the popup.
        QTest::keyClick(list, Qt::Key_F10);
        QVERIFY(QApplication::activePopupWidget() == nullptr);
    }

    void menuKeyAndShiftF10OpenTheJoinTreePopupOfTheCurrentItem() {
        // Opens the popup of `item` by each key and checks it is `menu`, just below the item.
        const auto check_popups = [](QTreeWidget* tree, QTreeWidgetItem* item, int menu) {
            for (const auto& [key, mods] :
                 {std::pair{Qt::Key_Menu, Qt::NoModifier}, std::pair{Qt::Key_F10, Qt::ShiftModifier}}) {
                tree->setCurrentItem(item);
                QTest::keyClick(tree, key, mods);
                auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                QVERIFY2(popup != nullptr, qPrintable(item->text(0)));
                QCOMPARE(popup->objectName(), QStringLiteral("menu_%1").arg(menu));
                const QPoint below = tree->viewport()->mapToGlobal(tree->visualItemRect(item).bottomLeft());
                QVERIFY2(std::abs(popup->geometry().top() - below.y()) <= 2,
                         qPrintable(QStringLiteral("popup at %1, item ends at %2").arg(popup->y()).arg(below.y())));
                popup->close();
                QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
            }
        };
        {
            std::unique_ptr<JoinUnderEdit> join = two_member_join();
            ui::CEditJoinDlg dialog(*join->model, QStringLiteral("Edit Join"));
            show_active(dialog);
            QTreeWidget* tree = dialog.tree();
            tree->setFocus();
            QVERIFY(dialog.member_item(1) != nullptr);
            QVERIFY2(dialog.join_field_item(1, 0) != nullptr, qPrintable(dialog.member_item(1)->text(0)));
            check_popups(tree, dialog.member_item(0), workspace::join_cmd::kMemberMenu);
            if (QTest::currentTestFailed()) return;
            check_popups(tree, dialog.join_field_item(1, 0), workspace::join_cmd::kJoinFieldMenu);
            if (QTest::currentTestFailed()) return;
            // Every table of the file is a member: the root has no popup, and the keys open nothing there.
            QVERIFY(join->model->root_menu().empty());
            tree->setCurrentItem(tree->topLevelItem(0));
            QTest::keyClick(tree, Qt::Key_Menu);
            QVERIFY(QApplication::activePopupWidget() == nullptr);
            // The popup keys are not the dialog's: it is still open.
            QVERIFY(dialog.isVisible());
            dialog.reject();
        }
        // With one member, the root offers Add Table.
        JoinUnderEdit one;
        one.join.join_table = true;
        one.join.name.assign("ONE");
        one.model = std::make_unique<workspace::CJoinEditModel>(sales, one.join,
                                                                [this](model::CConfigTable& t) { return load(t); });
        one.model->open();
        one.model->add_table(*customer);
        QVERIFY(!one.model->root_menu().empty());
        ui::CEditJoinDlg dialog(*one.model, QStringLiteral("New Join"));
        show_active(dialog);
        dialog.tree()->setFocus();
        check_popups(dialog.tree(), dialog.tree()->topLevelItem(0), workspace::join_cmd::kRootMenu);
        dialog.reject();
    }

    void tabGoesRoundTheConfigurationViewInVisualOrder() {
        model::CServerNode* node = window->doc().root().find_by_name("(PROD)SALES ON DBPACK");
        tree()->tree().select(node);
        tree()->tree_changed();
        view()->set_mode(workspace::ViewMode::applications);
        QList<QWidget*> expected = tab_controls(*view());
        // The mode buttons other than the current one, the list and New.
        QVERIFY(expected.size() >= 5);
        // Tab from the tree enters the view and goes through it in visual order before it leaves.
        tree()->setFocus();
        QList<QWidget*> chain;
        for (int i = 0; i < 20 && chain.size() <= expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* w = QApplication::focusWidget();
            if (view()->isAncestorOf(w))
                chain << w;
            else if (!chain.isEmpty())
                break;
        }
        QCOMPARE(chain.size(), expected.size());
        for (QWidget* w : expected) QVERIFY2(chain.count(w) == 1, qPrintable(describe(w)));
        const QString fault = visual_order_fault(chain, 0, *view());
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }

    // --- Dialogs ---

    void mnemonicsAreUniqueInEachDialog_data() { add_dialog_rows(); }
    void mnemonicsAreUniqueInEachDialog() {
        bool ran = false;
        open_dialog([&ran](QDialog& d) {
            ran = true;
            std::vector<std::string> captions;
            for (QWidget* w : d.findChildren<QWidget*>()) {
                if (!w->isVisibleTo(&d)) continue;
                if (auto* l = qobject_cast<QLabel*>(w)) captions.push_back(l->text().toStdString());
                if (auto* b = qobject_cast<QAbstractButton*>(w)) captions.push_back(b->text().toStdString());
                if (auto* g = qobject_cast<QGroupBox*>(w)) captions.push_back(g->title().toStdString());
            }
            QString clashes;
            for (const auto& c : workspace::mnemonic_clashes(captions)) {
                clashes += QStringLiteral("'%1':").arg(QChar::fromLatin1(c.key));
                for (const auto& caption : c.captions)
                    clashes += QStringLiteral(" \"%1\"").arg(QString::fromStdString(caption));
                clashes += QLatin1Char('\n');
            }
            QVERIFY2(clashes.isEmpty(), qPrintable(clashes));
        });
        QVERIFY(ran);
    }

    void labelsAreBuddiesAndEveryControlHasAName_data() { add_dialog_rows(); }
    void labelsAreBuddiesAndEveryControlHasAName() {
        bool ran = false;
        open_dialog([&ran](QDialog& d) {
            ran = true;
            for (QLabel* l : d.findChildren<QLabel*>()) {
                if (!l->isVisibleTo(&d) || workspace::mnemonic_of(l->text().toStdString()) == 0) continue;
                QVERIFY2(l->buddy() != nullptr, qPrintable(l->text() + QStringLiteral(" has no buddy")));
                QVERIFY2(l->buddy()->isVisibleTo(&d), qPrintable(l->text() + QStringLiteral(": its buddy is hidden")));
            }
            for (QWidget* w : tab_controls(d)) {
                if (!is_text_input(w)) continue;
                QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
                QVERIFY(a != nullptr);
                QVERIFY2(!a->text(QAccessible::Name).isEmpty(),
                         qPrintable(describe(w) + QStringLiteral(" has no name")));
            }
        });
        QVERIFY(ran);
    }

    void tabVisitsEveryControlOnceInVisualOrder_data() { add_dialog_rows(); }
    void tabVisitsEveryControlOnceInVisualOrder() {
        bool ran = false;
        open_dialog([&ran](QDialog& d) {
            ran = true;
            QVERIFY(!tab_controls(d).isEmpty());
            QWidget* first = QApplication::focusWidget();
            QVERIFY2(first != nullptr && d.isAncestorOf(first), "nothing in the dialog has the focus");
            QList<QWidget*> chain{control_of(first, d)};
            // Some controls come on as others take the focus (a list fills another): one round more than the controls
            // reachable at first, then the controls reachable at the end.
            for (qsizetype i = 0; i < tab_controls(d).size() && chain.size() < 100; ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                chain << control_of(QApplication::focusWidget(), d);
            }
            // Once round, back where it started.
            const QList<QWidget*> expected = tab_controls(d);
            auto names = [](const QList<QWidget*>& ws) {
                QStringList out;
                for (QWidget* w : ws) out << describe(w);
                return out.join(QStringLiteral(", "));
            };
            QVERIFY2(chain.back() == chain.front(), qPrintable(QStringLiteral("Tab went ") + names(chain) +
                                                               QStringLiteral("\nexpected ") + names(expected)));
            chain.pop_back();
            for (QWidget* w : expected)
                QVERIFY2(chain.count(w) == 1,
                         qPrintable(describe(w) + QStringLiteral(" visited %1 times").arg(chain.count(w))));
            QString fault = QStringLiteral("no start");
            for (qsizetype start = 0; start < chain.size() && !fault.isEmpty(); ++start)
                fault = visual_order_fault(chain, start, d);
            if (!fault.isEmpty()) fault = visual_order_fault(chain, 0, d);
            QVERIFY2(fault.isEmpty(), qPrintable(fault));
            // Shift+Tab walks the same round backwards.
            QList<QWidget*> back{chain.front()};
            for (qsizetype i = 1; i < chain.size(); ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
                back << control_of(QApplication::focusWidget(), d);
            }
            for (qsizetype i = 1; i < chain.size(); ++i)
                QVERIFY2(back[i] == chain[chain.size() - i], qPrintable(describe(back[i])));
        });
        QVERIFY(ran);
    }

    void enterPressesTheDefaultButtonAndEscapeCancels_data() { add_dialog_rows(); }
    void enterPressesTheDefaultButtonAndEscapeCancels() {
        bool ran = false;
        open_dialog([&ran](QDialog& d) {
            ran = true;
            QPushButton* def = default_button(d);
            QVERIFY2(def != nullptr, "no default button");
            // Escape from wherever the focus is.
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            QVERIFY(!d.isVisible());
            QCOMPARE(d.result(), static_cast<int>(QDialog::Rejected));
            show_active(d);
            // Enter in a one-line field or on a check box, else on the default button itself.
            QWidget* target = def;
            for (QWidget* w : tab_controls(d))
                if ((qobject_cast<QLineEdit*>(w) != nullptr && !static_cast<QLineEdit*>(w)->isReadOnly()) ||
                    (qobject_cast<QAbstractButton*>(w) != nullptr && static_cast<QAbstractButton*>(w)->isCheckable())) {
                    target = w;
                    break;
                }
            if (!def->isEnabled()) return;  // nothing to press until a value is given
            QSignalSpy pressed(def, &QPushButton::clicked);
            target->setFocus();
            QTest::keyClick(target, Qt::Key_Return);
            QVERIFY2(pressed.count() == 1, qPrintable(QStringLiteral("Enter on ") + describe(target)));
        });
        QVERIFY(ran);
    }
};

KESTRA_QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"
