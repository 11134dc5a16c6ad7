// The field list with its buttons and popup, and Field Edit, User Defined Field and Rename Field, on the CUSTOMER
// table loaded from the test host in this process. What reaches the host is read from the host's request log after
// the table is saved as Table Edit's OK saves it. One login serves the class.
#include <QAccessible>
#include <QAccessibleInterface>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>

#include "configsvc/config_file_requests.h"
#include "configsvc/field_requests.h"
#include "configsvc/table_requests.h"
#include "model/date_formats.h"
#include "qtest_support.h"
#include "support/inprocess_host.h"
#include "ui/calc_builder_dialog.h"
#include "ui/field_list_panel.h"
#include "ui/object_names.h"
#include "workspace/admin_doc.h"

using namespace kestra;
using model::CConfigField;
using model::CConfigTable;

namespace {

void set_text(QDialog& d, int id, const QString& text) {
    auto* edit = ui::find_control<QLineEdit>(&d, id);
    QVERIFY2(edit != nullptr, qPrintable(QString::number(id)));
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

void click(QDialog& d, int id) {
    auto* button = ui::find_control<QAbstractButton>(&d, id);
    QVERIFY2(button != nullptr, qPrintable(QString::number(id)));
    QTest::mouseClick(button, Qt::LeftButton);
}

QString message(QDialog& d, int id) {
    return ui::find_control<QLabel>(&d, id)->text();
}

QAction* action_with(QMenu* menu, int id) {
    for (QAction* a : menu->actions()) {
        if (ui::command_id(a) == id) return a;
        if (a->menu() != nullptr)
            if (QAction* inner = action_with(a->menu(), id)) return inner;
    }
    return nullptr;
}

}  // namespace

class FieldEditingTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::InProcessHost> host;
    std::unique_ptr<testing::TestSeams> seams;
    std::unique_ptr<workspace::CAdminDoc> doc;
    model::CConfigFile sales;
    CConfigTable* customer = nullptr;
    std::unique_ptr<ui::CFieldListPanel> panel;

    void load() {
        QCOMPARE(configsvc::load_table(doc->client(), static_cast<std::uint32_t>(sales.file_reference), *customer), 0);
        QCOMPARE(configsvc::get_field_list(doc->client(), *customer), 0);
        // Every field listed, GROUP ones included, so the list's rows follow the table's fields.
        customer->return_groups = true;
        panel->set_table(customer, &sales);
        host->requests().clear();
    }
    // What Table Edit's OK sends for the fields, then the unload with save.
    void save() {
        configsvc::TableSaveOptions options;
        options.fields = configsvc::save_field_changes;
        QCOMPARE(configsvc::save_table(doc->client(), doc->pending_unloads(), sales, *customer, options), 0);
    }
    std::vector<hostsim::RequestLog::Entry> sent(int code) const {
        std::vector<hostsim::RequestLog::Entry> out;
        for (const auto& e : host->requests().entries())
            if (e.kind == 2 && e.code == code) out.push_back(e);
        return out;
    }
    std::vector<int> codes() const {
        std::vector<int> out;
        for (const auto& e : host->requests().entries())
            if (e.kind == 2) out.push_back(e.code);
        return out;
    }
    int row_of(const char* name) const {
        for (std::size_t i = 0; i < customer->fields.size(); ++i)
            if (customer->fields[i]->name == std::string_view(name)) return static_cast<int>(i);
        return -1;
    }
    CConfigField* field(const char* name) const {
        const int row = row_of(name);
        return row < 0 ? nullptr : customer->fields[static_cast<std::size_t>(row)].get();
    }
    QListWidget* list() const { return panel->list(); }
    void select_only(const char* name) {
        list()->clearSelection();
        list()->item(row_of(name))->setSelected(true);
    }
    QPushButton* button(int id) const { return ui::find_control<QPushButton>(panel.get(), id); }
    QMenu* right_click(const char* name) {
        const QPoint at = list()->visualItemRect(list()->item(row_of(name))).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, list()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list()->viewport(), &event);
        return panel->findChild<QMenu*>(QStringLiteral("menu_103_FieldPopup"));
    }

  private slots:
    void initTestCase() {
        host = std::make_unique<testing::InProcessHost>();
        QVERIFY(host->started());
        seams = std::make_unique<testing::TestSeams>();
        auto session = std::make_unique<hostlink::CHostSession>();
        QCOMPARE(host->login(*session), 0);
        doc = std::make_unique<workspace::CAdminDoc>(std::move(session));
        std::uint32_t reference = 0;
        QCOMPARE(configsvc::open_config(doc->client(), 1, reference), 0);
        sales.file_reference = static_cast<std::int32_t>(reference);
        QCOMPARE(configsvc::get_table_list(doc->client(), doc->pending_unloads(), sales), 0);
        customer = sales.tables.at(0).get();
        QCOMPARE(customer->name.str(), std::string("CUSTOMER"));
        panel = std::make_unique<ui::CFieldListPanel>();
        panel->resize(320, 300);
        panel->show();
        QVERIFY(QTest::qWaitForWindowExposed(panel.get()));
    }

    void cleanupTestCase() {
        panel.reset();
        QVERIFY(seams->unexpected_dialogs.isEmpty());
        doc.reset();
        seams.reset();
        host.reset();
    }

    void init() {
        if (!customer->fields_loaded) load();
        host->requests().clear();
    }

    void cleanup() { QCOMPARE(seams->pending_dialogs(), 0); }

    void buttonsFollowTheSelection() {
        QCOMPARE(list()->count(), 11);
        QCOMPARE(list()->selectionMode(), QAbstractItemView::ExtendedSelection);
        select_only("CUST-FLAGS");  // hidden on the host
        QCOMPARE(button(1041)->text(), QStringLiteral("Un&Hide"));
        QVERIFY(button(1020)->isEnabled());
        list()->item(row_of("CITY_CODE"))->setSelected(true);
        QVERIFY(!button(1041)->isEnabled());
        QVERIFY(!button(1020)->isEnabled());
        select_only("CREDIT_K");
        QCOMPARE(button(1041)->text(), QStringLiteral("&Delete"));
        // Hidden fields are drawn in the disabled-text colour; update-allowed ones red only while asked.
        const QColor grey = panel->palette().color(QPalette::Disabled, QPalette::Text);
        QCOMPARE(list()->item(row_of("CUST-FLAGS"))->foreground().color(), grey);
        QVERIFY(list()->item(row_of("NAME"))->foreground().color() != QColor(Qt::red));
        panel->set_show_update_allowed(true);
        QCOMPARE(list()->item(row_of("NAME"))->foreground().color(), QColor(Qt::red));
        QVERIFY(list()->item(row_of("NAME"))->isSelected() == false);
        QVERIFY(list()->item(row_of("CREDIT_K"))->isSelected());  // a redraw keeps the selection
        panel->set_show_update_allowed(false);
    }

    void aRightClickSelectsAloneAndAChosenDateFormatApplies() {
        list()->clearSelection();
        list()->item(row_of("CUST-ID"))->setSelected(true);
        list()->item(row_of("NAME"))->setSelected(true);
        QSignalSpy changed(panel.get(), &ui::CFieldListPanel::fields_changed);
        QMenu* popup = right_click("CUST-STREET");
        QVERIFY(popup != nullptr);
        QCOMPARE(panel->selection(), (workspace::FieldSelection{field("CUST-STREET")}));
        QList<int> ids;
        for (QAction* a : popup->actions()) ids << (a->isSeparator() ? 0 : a->menu() ? -1 : ui::command_id(a));
        QCOMPARE(ids, (QList<int>{4782, 0, 4779, 0, 4783, 0, 4791, 4780, -1, -1, -1}));
        QAction* date = action_with(popup, 2005);
        QVERIFY(date != nullptr);
        QCOMPARE(date->text(), QString::fromLatin1(model::date_formats(model::DateKind::date)[5].data()));
        date->trigger();
        popup->close();
        QCoreApplication::processEvents();  // the chosen command runs once the menu has gone
        CConfigField* street = field("CUST-STREET");
        QCOMPARE(street->date_kind, model::DateKind::date);
        QCOMPARE(street->date_format, 5);
        QVERIFY(street->bModified);
        QCOMPARE(changed.count(), 1);
        QVERIFY(panel->selection().empty());

        // Hovering over a format and leaving with Esc applies nothing.
        popup = right_click("CUST-CITY");
        QVERIFY(popup != nullptr);
        QMenu* times = popup->findChild<QMenu*>(QStringLiteral("menu_103_FieldPopup_MarkasTime"));
        QVERIFY(times != nullptr);
        popup->setActiveAction(times->menuAction());
        times->popup(popup->mapToGlobal(QPoint(popup->width(), 0)));
        QAction* hovered = action_with(times, 3002);
        times->setActiveAction(hovered);
        emit hovered->hovered();
        QTest::keyClick(times, Qt::Key_Escape);
        QTest::keyClick(popup, Qt::Key_Escape);
        QTRY_VERIFY(panel->findChild<QMenu*>(QStringLiteral("menu_103_FieldPopup")) == nullptr || !popup->isVisible());
        QCOMPARE(field("CUST-CITY")->date_kind, model::DateKind::standard);
        QVERIFY(!field("CUST-CITY")->bModified);
        QCOMPARE(changed.count(), 1);
        // Unload without keeping the date format: later tests start from the host's table.

        // The menu key opens it on the current field, wherever the event says it is.
        list()->setCurrentItem(list()->item(row_of("CUST-CITY")), QItemSelectionModel::ClearAndSelect);
        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(1, 1), list()->mapToGlobal(QPoint(1, 1)));
        QApplication::sendEvent(list(), &key);
        QPointer<QMenu> by_key = panel->findChild<QMenu*>(QStringLiteral("menu_103_FieldPopup"));
        QVERIFY(by_key != nullptr);
        QCOMPARE(panel->selection(), (workspace::FieldSelection{field("CUST-CITY")}));
        QVERIFY(action_with(by_key, 4779)->text() == QStringLiteral("Hide"));
        by_key->close();
        // Shift+F10 too, which no platform turns into a context menu event.
        list()->setCurrentItem(list()->item(row_of("CUST-STREET")), QItemSelectionModel::ClearAndSelect);
        QTest::keyClick(list(), Qt::Key_F10, Qt::ShiftModifier);
        QPointer<QMenu> by_shift = panel->findChild<QMenu*>(QStringLiteral("menu_103_FieldPopup"));
        QVERIFY(by_shift != nullptr && by_shift != by_key);
        QCOMPARE(panel->selection(), (workspace::FieldSelection{field("CUST-STREET")}));
        by_shift->close();
        // A label's mnemonic with the panel as its buddy puts the focus in the list, where the keys are used.
        {
            QDialog owner;
            auto* name = new QLineEdit(&owner);
            auto* label = new QLabel(QStringLiteral("&Fields:"), &owner);
            auto* fields = new ui::CFieldListPanel(&owner);
            label->setBuddy(fields);
            auto* layout = new QVBoxLayout(&owner);
            for (QWidget* w :
                 {static_cast<QWidget*>(name), static_cast<QWidget*>(label), static_cast<QWidget*>(fields)})
                layout->addWidget(w);
            owner.show();
            owner.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&owner));
            name->setFocus();
            QTest::keyClick(name, Qt::Key_F, Qt::AltModifier);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(fields->list()));
        }

        QCOMPARE(configsvc::unload_table(doc->client(), doc->pending_unloads(), *customer, false, false), 0);
    }

    void tabEntersTheFormatKindsAtTheKindTheFieldHas() {
        // OPENED is a date: Tab from Update Allowed lands on Date, not on the group's first button, and after a
        // click on another kind on that one.
        select_only("OPENED");
        bool ran = false;
        seams->next_dialog([&](QDialog& d) {
            [&] {
                d.activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(&d));
                auto* date = ui::find_control<QRadioButton>(&d, 1101);
                QVERIFY(date->isChecked());
                auto* update = ui::find_control<QCheckBox>(&d, 1103);
                update->setFocus();
                QTest::keyClick(update, Qt::Key_Tab);
                QCOMPARE(QApplication::focusWidget(), date);
                auto* currency = ui::find_control<QRadioButton>(&d, 1100);
                QTest::mouseClick(currency, Qt::LeftButton);
                QVERIFY(currency->isChecked());
                update->setFocus();
                QTest::keyClick(update, Qt::Key_Tab);
                QCOMPARE(QApplication::focusWidget(), currency);
                ran = true;
            }();
            return QDialog::Rejected;
        });
        QTest::mouseClick(button(1020), Qt::LeftButton);
        QVERIFY(ran);
        QCOMPARE(field("OPENED")->date_kind, model::DateKind::date);
    }

    void fieldEditRefusesNamesWithBeepFocusAndSelection() {
        select_only("CUST-ID");
        bool ran = false;
        seams->next_dialog([&](QDialog& d) {
            [&] {
                QCOMPARE(d.objectName(), QStringLiteral("dlg_1023"));
                QCOMPARE(d.windowTitle(), QStringLiteral("Field Edit"));
                auto* name = ui::find_control<QLineEdit>(&d, 1098);
                QCOMPARE(name->text(), QStringLiteral("CUST-ID"));
                auto* formats = ui::find_control<QComboBox>(&d, 1102);
                QVERIFY(formats->isHidden());  // Standard
                int beeps = seams->beeps;
                set_text(d, 1098, "");
                click(d, ui::kOkId);
                QCOMPARE(message(d, 1147), QStringLiteral("**You must enter a field name**"));
                QCOMPARE(seams->beeps, ++beeps);
                QCOMPARE(d.focusWidget(), name);
                name->setText(QString(30, QLatin1Char('X')));  // as a paste would bring it
                click(d, ui::kOkId);
                QCOMPARE(message(d, 1147), QStringLiteral("**Field name too long**"));
                QCOMPARE(seams->beeps, ++beeps);
                QCOMPARE(d.focusWidget(), name);
                QCOMPARE(name->selectedText(), name->text());
                set_text(d, 1098, "name");  // typed in lower case, shown in upper case: another field's name
                QCOMPARE(name->text(), QStringLiteral("NAME"));
                click(d, ui::kOkId);
                QCOMPARE(message(d, 1147), QStringLiteral("**Duplicate Field Name**"));
                QCOMPARE(seams->beeps, ++beeps);
                QCOMPARE(name->selectedText(), QStringLiteral("NAME"));
                QVERIFY(d.isVisible());

                // Another kind fills the list with its formats and selects the first.
                click(d, 1101);
                QVERIFY(!formats->isHidden());
                QCOMPARE(formats->count(), 32);
                QCOMPARE(formats->currentIndex(), 0);
                formats->setCurrentIndex(4);
                emit formats->activated(4);
                click(d, 1105);
                QCOMPARE(formats->count(), 7);
                QCOMPARE(formats->currentIndex(), 0);
                const QString problem = testing::compare_screenshot(&d, "field-edit");
                QVERIFY2(problem.isEmpty(), qPrintable(problem));
                ran = true;
            }();
            return QDialog::Rejected;
        });
        QTest::mouseClick(button(1020), Qt::LeftButton);
        QVERIFY(ran);
        QVERIFY(!field("CUST-ID")->bModified);
        QCOMPARE(field("CUST-ID")->date_kind, model::DateKind::standard);
    }

    void aCaseOnlyRenameIsRefusedAndTheSameNameChangesNothing() {
        // The dialog's clicks close the popup, which then goes away.
        QPointer<QMenu> popup = right_click("NAME");
        QVERIFY(popup != nullptr);
        int answers = 0;
        seams->next_dialog([&](QDialog& d) {
            [&] {
                QCOMPARE(d.objectName(), QStringLiteral("dlg_1026"));
                QCOMPARE(ui::find_control<QLineEdit>(&d, 1111)->text(), QStringLiteral("NAME"));
                QVERIFY(message(d, 1164).isEmpty());
                set_text(d, 1111, "Name");
                click(d, ui::kOkId);
                QCOMPARE(message(d, 1164), QStringLiteral("**Duplicate Field Name**"));
                QVERIFY(d.isVisible());
                set_text(d, 1111, "NAME");
                click(d, ui::kOkId);
                ++answers;
            }();
            return d.result();
        });
        action_with(popup, 4782)->trigger();
        if (popup) popup->close();
        QCoreApplication::processEvents();
        QCOMPARE(answers, 1);
        QVERIFY(!field("NAME")->bModified);
        QVERIFY(!field("NAME")->name_changed);
    }

    void aRenameAndAHideInFieldEditReachTheHostAfterOk() {
        select_only("CUST-CITY");
        seams->next_dialog([&](QDialog& d) {
            set_text(d, 1098, "town");
            click(d, 1029);
            click(d, ui::kOkId);
            return d.result();
        });
        const QPoint at = list()->visualItemRect(list()->item(row_of("CUST-CITY"))).center();
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(seams->dialogs_run.last(), QStringLiteral("dlg_1023"));
        QVERIFY(field("TOWN") != nullptr);
        QCOMPARE(list()->item(row_of("TOWN"))->text(), QStringLiteral("TOWN"));
        save();
        QCOMPARE(codes(), (std::vector<int>{26, 27, 24}));
        // Field 5, renamed, date kind 0, update flag 0; then field 5 hidden with the byte 1.
        QCOMPARE(QString::fromStdString(sent(26).at(0).body.substr(4)), QStringLiteral("0001"
                                                                                       "0005"
                                                                                       "004TOWN"
                                                                                       "0"
                                                                                       "0"));
        QCOMPARE(sent(27).at(0).body.substr(4), std::string("0001"
                                                            "0005") +
                                                    '\x01');
        load();
        QVERIFY(field("TOWN") != nullptr);
        QVERIFY(!field("TOWN")->visible);
    }

    void aChangedAndANewFieldGiveTheChangeWithoutTheNewOne() {
        select_only("CUST-STREET");
        panel->run_command(4780);                         // Mark as Currency
        QTest::mouseClick(button(1018), Qt::LeftButton);  // no dialog answer waiting: Cancel adds nothing
        QCOMPARE(seams->unexpected_dialogs.takeLast(), QStringLiteral("dlg_1025"));
        QCOMPARE(list()->count(), 11);
        seams->next_dialog([&](QDialog& d) {
            [&] {
                QCOMPARE(d.windowTitle(), QStringLiteral("New User Defined Field"));
                set_text(d, 1059, "TAX");
                click(d, 1034);  // Calculated
                QVERIFY(ui::find_control<QComboBox>(&d, 1141)->isHidden());
                click(d, 1127);  // Numeric
                set_text(d, 1058, "8");
                set_text(d, 1074, "2");
                set_text(d, 1040, "cust-credit * 0.2 & 'x'");
                const QString problem = testing::compare_screenshot(&d, "user-defined-field-calculated");
                QVERIFY2(problem.isEmpty(), qPrintable(problem));
                click(d, ui::kOkId);
            }();
            return d.result();
        });
        QTest::mouseClick(button(1018), Qt::LeftButton);
        QCOMPARE(list()->count(), 12);
        CConfigField* tax = field("TAX");
        QVERIFY(tax != nullptr);
        QCOMPARE(tax->expression.str(), std::string("CUST-CREDIT * 0.2 & 'x'"));
        save();
        QCOMPARE(codes(), (std::vector<int>{26, 28, 24}));
        // Only CUST-STREET (field 4) as a change; TAX goes whole with the add request.
        QCOMPARE(sent(26).at(0).body.substr(4), std::string("0001"
                                                            "0004"
                                                            "000"
                                                            "1"
                                                            "0"));
        QCOMPARE(sent(28).at(0).body.substr(4), std::string("0001"
                                                            "003TAX"
                                                            "0"
                                                            "2"
                                                            "23"
                                                            "0008"
                                                            "02"
                                                            "023CUST-CREDIT * 0.2 & 'x'"
                                                            "."));
        load();
        QVERIFY(field("TAX") != nullptr);
    }

    void aNewOffsetFieldHiddenInTheSameDialogSendsNothing() {
        seams->next_dialog([&](QDialog& d) {
            [&] {
                set_text(d, 1059, "PART");
                QCOMPARE(ui::find_control<QComboBox>(&d, 1141)->currentText(), QStringLiteral("ALPHA"));
                set_text(d, 1058, "3");
                set_text(d, 1056, "1");
                auto* of = ui::find_control<QComboBox>(&d, 1057);
                QCOMPARE(of->itemText(0), QStringLiteral("<Buffer>"));
                QVERIFY(of->findText(QStringLiteral("TAX")) < 0);  // calculated: not in the record
                of->setCurrentIndex(of->findText(QStringLiteral("CUST-ID")));
                const QString problem = testing::compare_screenshot(&d, "user-defined-field-offset");
                QVERIFY2(problem.isEmpty(), qPrintable(problem));
                click(d, ui::kOkId);
            }();
            return d.result();
        });
        QTest::mouseClick(button(1018), Qt::LeftButton);
        CConfigField* part = field("PART");
        QVERIFY(part != nullptr);
        QCOMPARE(part->offset, 2);  // one character after the start of CUST-ID
        select_only("PART");
        QCOMPARE(button(1041)->text(), QStringLiteral("&Delete"));
        QTest::mouseClick(button(1041), Qt::LeftButton);
        QVERIFY(field("PART") == nullptr);
        QVERIFY(customer->cut_fields.empty());
        save();
        QCOMPARE(codes(), (std::vector<int>{24}));
        load();
    }

    void theDecimalArrowsClampAndAShorterLengthLowersTheDecimals() {
        seams->next_dialog([&](QDialog& d) {
            [&] {
                auto* type = ui::find_control<QComboBox>(&d, 1141);
                type->setCurrentIndex(1);
                emit type->activated(1);  // PACKED
                auto* decimals = ui::find_control<QLineEdit>(&d, 1074);
                QVERIFY(!decimals->isHidden());
                QVERIFY(!ui::find_control<QCheckBox>(&d, 1130)->isHidden());
                set_text(d, 1058, "3");
                for (int i = 0; i < 5; ++i) click(d, 1072);
                QCOMPARE(decimals->text(), QStringLiteral("3"));
                set_text(d, 1058, "2");
                QCOMPARE(decimals->text(), QStringLiteral("2"));
                for (int i = 0; i < 5; ++i) click(d, 1073);
                QCOMPARE(decimals->text(), QStringLiteral("0"));
                // FIELD: the length reads as bits, at most 48.
                type->setCurrentIndex(5);
                emit type->activated(5);
                QVERIFY(decimals->isHidden());
                QCOMPARE(ui::find_control<QLineEdit>(&d, 1058)->isHidden(), false);
                set_text(d, 1059, "BITS");
                set_text(d, 1058, "49");
                click(d, ui::kOkId);
                QCOMPARE(message(d, 1147), QStringLiteral("**Field Length must be between 1 and 48**"));
                QCOMPARE(d.focusWidget(), ui::find_control<QWidget>(&d, 1058));
            }();
            return QDialog::Rejected;
        });
        QTest::mouseClick(button(1018), Qt::LeftButton);
        QVERIFY(field("BITS") == nullptr);
    }

    void theAssistantGetsTheDefinitionAndTheButtonsKind() {
        select_only("CREDIT_K");
        seams->next_dialog([&](QDialog& d) {
            [&] {
                QCOMPARE(d.objectName(), QStringLiteral("dlg_1025"));
                QCOMPARE(d.windowTitle(), QStringLiteral("Edit User Defined Field"));
                QVERIFY(!ui::find_control<QRadioButton>(&d, 1035)->isEnabled());
                QVERIFY(ui::find_control<QRadioButton>(&d, 1127)->isChecked());
                seams->next_dialog([&](QDialog& builder) {
                    [&] {
                        auto* calc = dynamic_cast<ui::CCalcBuilderDlg*>(&builder);
                        QVERIFY(calc != nullptr);
                        QCOMPARE(calc->logic().text(), std::string("CUST-CREDIT / 1000"));
                    }();
                    return QDialog::Rejected;
                });
                click(d, 1151);
                // String now: the builder offers strings and no numbers, whatever the stored code says.
                click(d, 1126);
                set_text(d, 1040, "");
                seams->next_dialog([&](QDialog& builder) {
                    auto* calc = dynamic_cast<ui::CCalcBuilderDlg*>(&builder);
                    [&] {
                        QVERIFY(calc != nullptr);
                        const auto& offer = calc->logic().insert_list();
                        QVERIFY(std::find(offer.begin(), offer.end(), "String") != offer.end());
                        QVERIFY(std::find(offer.begin(), offer.end(), "Number") == offer.end());
                        set_text(builder, 1020, "'ABC'");
                        calc->accept();  // OK checks the text, as leaving the box would have
                    }();
                    return builder.result();
                });
                click(d, 1151);
                QCOMPARE(ui::find_control<QLineEdit>(&d, 1040)->text(), QStringLiteral("'ABC'"));
                click(d, ui::kOkId);
            }();
            return d.result();
        });
        QTest::mouseClick(button(1020), Qt::LeftButton);
        CConfigField* credit = field("CREDIT_K");
        QCOMPARE(credit->expression.str(), std::string("'ABC'"));
        QCOMPARE(credit->data_type_code, 22);
        QVERIFY(credit->bModified);
        QCOMPARE(configsvc::unload_table(doc->client(), doc->pending_unloads(), *customer, false, false), 0);
    }

    void theListShowsEveryGlyphAndReadsToAScreenReader() {
        // A table of its own: each origin plain and formatted, a hidden field and update-allowed ones in red.
        CConfigTable shown;
        const auto add = [&](const char* name, int kind, int date_kind, bool visible, bool update) {
            auto f = std::make_unique<CConfigField>();
            f->name.assign(name);
            f->field_kind = kind;
            f->date_kind = date_kind;
            f->visible = visible;
            f->update_allowed = update;
            f->mark_loaded();
            shown.fields.push_back(std::move(f));
        };
        add("CUST-ID", model::FieldKind::host, 0, true, false);
        add("OPENED", model::FieldKind::host, model::DateKind::date, true, true);
        add("CUST-FLAGS", model::FieldKind::host, 0, false, false);
        add("CITY_CODE", model::FieldKind::user_defined, 0, true, false);
        add("DUE_TIME", model::FieldKind::user_defined, model::DateKind::time, true, true);
        add("CREDIT_K", model::FieldKind::calculated, 0, true, false);
        add("NEXT_DAY", model::FieldKind::calculated, model::DateKind::timestamp, true, false);
        ui::CFieldListPanel view;
        view.set_table(&shown, &sales);
        view.set_show_update_allowed(true);
        view.resize(260, 230);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.list()->item(3)->setSelected(true);

        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(view.list());
        QVERIFY(iface != nullptr);
        bool found = false;
        for (int i = 0; i < iface->childCount(); ++i) {
            QAccessibleInterface* item = iface->child(i);
            if (item == nullptr || item->text(QAccessible::Name) != QStringLiteral("CITY_CODE")) continue;
            found = true;
            QVERIFY(item->state().selected);
        }
        QVERIFY(found);
        QCOMPARE(view.list()->item(2)->data(Qt::AccessibleDescriptionRole).toString(),
                 QStringLiteral("Host field, hidden"));

        view.list()->clearSelection();
        const QString problem = testing::compare_screenshot(&view, "field-list");
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
};

KESTRA_QTEST_MAIN(FieldEditingTest)
#include "field_editing_test.moc"
