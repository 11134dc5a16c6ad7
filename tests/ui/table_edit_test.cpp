// Create Table and Table Edit opened from the configuration view, against the test host in this process: which
// window follows which choice, what reaches the host and in what order (from its request log), the refusals of OK
// with their beep, Replace, the information windows, and a table that cannot be loaded. The class logs in once.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QAbstractButton>
#include <algorithm>
#include <functional>
#include <memory>

#include "app/admin_app.h"
#include "configsvc/field_requests.h"
#include "configsvc/table_requests.h"
#include "qtest_support.h"
#include "support/inprocess_host.h"
#include "support/recording_ui_hooks.h"
#include "ui/admin_frame.h"
#include "ui/admin_view.h"
#include "ui/client_config_view.h"
#include "ui/main_frame.h"
#include "ui/object_names.h"
#include "ui/settings_dialogs.h"
#include "ui/table_edit_dialog.h"
#include "workspace/admin_doc.h"

using namespace kestra;
using model::CServerNode;

namespace {

void click(const QWidget* d, const QString& name) {
    auto* b = d->findChild<QPushButton*>(name);
    QVERIFY2(b != nullptr, qPrintable(name));
    QVERIFY2(b->isEnabled(), qPrintable(name));
    QTest::mouseClick(b, Qt::LeftButton);
}
void click(const QWidget* d, int id) { click(d, QStringLiteral("ctl_%1").arg(id)); }
// Check boxes and radio buttons of the field windows.
void toggle(const QWidget* d, int id) {
    auto* b = ui::find_control<QAbstractButton>(d, id);
    QVERIFY2(b != nullptr && b->isEnabled(), qPrintable(QString::number(id)));
    b->click();
}

void set_text(QDialog& d, int id, const QString& text) {
    auto* edit = ui::find_control<QLineEdit>(&d, id);
    QVERIFY2(edit != nullptr, qPrintable(QString::number(id)));
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

// Makes the named field of Table Edit's list the only one selected.
void select_field(const QDialog& d, const QString& name) {
    auto* list = ui::find_control<QListWidget>(&d, 1003);
    list->clearSelection();
    const auto found = list->findItems(name, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(name));
    found.front()->setSelected(true);
}

QString message(const QDialog& d) { return ui::find_control<QLabel>(&d, 1062)->text(); }

QStringList entries(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

// Chooses a table type in Create Table and presses OK, or Cancel.
testing::TestSeams::DialogHandler create_table(int choice, bool ok, int* shown = nullptr) {
    return [=](QDialog& d) {
        if (shown != nullptr) *shown = ui::find_control<QRadioButton>(&d, 1025)->isChecked() ? 1025 : 1024;
        QTest::mouseClick(ui::find_control<QRadioButton>(&d, choice), Qt::LeftButton, {}, QPoint(6, 8));
        click(&d, ok ? ui::kOkId : ui::kCancelId);
        return d.result();
    };
}

}  // namespace

class TableEditTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::InProcessHost> host;
    std::unique_ptr<testing::RecordingUiHooks> hooks;
    std::unique_ptr<testing::TestSeams> seams;
    std::unique_ptr<ui::CMainFrame> frame;
    ui::CAdminFrame* window = nullptr;
    ui::CClientConfigView* view = nullptr;
    CServerNode* payroll = nullptr;

    std::string body_of(int code) const {
        for (const auto& e : host->requests().entries())
            if (e.kind == 2 && e.code == code) return e.body;
        return {};
    }
    std::vector<int> codes() const {
        std::vector<int> out;
        for (const auto& e : host->requests().entries())
            if (e.kind == 2) out.push_back(e.code);
        return out;
    }
    QStringList lines() const { return entries(view->list()); }
    model::CConfigTable& table(const char* name) {
        for (auto& t : payroll->config.tables)
            if (t->name == name) return *t;
        qFatal("no table %s", name);
    }
    void select(const QString& name) {
        view->list()->clearSelection();
        const auto found = view->list()->findItems(name, Qt::MatchExactly);
        QVERIFY2(!found.isEmpty(), qPrintable(name));
        found.front()->setSelected(true);
    }
    void press_new() { QTest::mouseClick(ui::find_control<QPushButton>(view, 1007), Qt::LeftButton); }
    void press_edit() { QTest::mouseClick(ui::find_control<QPushButton>(view, 1009), Qt::LeftButton); }
    void reset_log() {
        host->requests().clear();
        hooks->boxes.clear();
        seams->beeps = 0;
        seams->dialogs_run.clear();
    }
    // The table as the host now holds it, read afresh.
    std::unique_ptr<model::CConfigTable> host_table(std::int32_t number) {
        model::CConfigFile reread;
        reread.file_reference = payroll->config.file_reference;
        configsvc::CPendingUnloadList pending;
        if (configsvc::get_table_list(window->doc().client(), pending, reread) != 0) return nullptr;
        for (auto& t : reread.tables) {
            if (t->table_number != number) continue;
            auto out = std::move(t);
            if (configsvc::load_table(window->doc().client(), static_cast<std::uint32_t>(reread.file_reference),
                                      *out) != 0)
                return nullptr;
            configsvc::unload_table(window->doc().client(), pending, *out, false, false);
            return out;
        }
        return nullptr;
    }

    // The fields of a table as the host now holds them, read afresh: names, hidden ones marked.
    QStringList host_fields(const model::CConfigFile& of, std::int32_t number) {
        model::CConfigFile reread;
        reread.file_reference = of.file_reference;
        configsvc::CPendingUnloadList pending;
        QStringList out;
        if (configsvc::get_table_list(window->doc().client(), pending, reread) != 0) return {"?"};
        for (auto& t : reread.tables) {
            if (t->table_number != number) continue;
            if (configsvc::load_table(window->doc().client(), static_cast<std::uint32_t>(reread.file_reference),
                                      *t) != 0 ||
                configsvc::get_field_list(window->doc().client(), *t) != 0)
                return {"?"};
            for (const auto& f : t->fields)
                out << QString::fromStdString(f->name.str()) + (f->visible ? "" : " (hidden)");
            configsvc::unload_table(window->doc().client(), pending, *t, false, false);
        }
        return out;
    }
    // Table Edit's handler: `work` runs on the open window, then OK or Cancel.
    testing::TestSeams::DialogHandler table_edit(std::function<void(QDialog&)> work, bool ok) {
        return [=](QDialog& d) {
            [&] { QCOMPARE(d.objectName(), QStringLiteral("dlg_1021")); }();
            work(d);
            click(&d, ok ? ui::kOkId : ui::kCancelId);
            return d.result();
        };
    }

  private slots:
    void initTestCase() {
        host = std::make_unique<testing::InProcessHost>();
        QVERIFY(host->started());
        hooks = std::make_unique<testing::RecordingUiHooks>();
        seams = std::make_unique<testing::TestSeams>();
        ui::set_entry_dialogs(&ui::settings_entry_dialogs());
        frame = std::make_unique<ui::CMainFrame>(host->ini());
        window = testing::open_connection(*frame, *seams);
        QVERIFY(window != nullptr);
        view = window->config_view();
        payroll = testing::click_node(*window, "(PAY)PAYROLL ON PAYPACK");
        QVERIFY(payroll != nullptr);
        QTest::mouseClick(ui::find_control<QToolButton>(view, 1002), Qt::LeftButton);
        QCOMPARE(lines(), (QStringList{"EMPLOYEE", "TIMECARD"}));
    }

    void cleanupTestCase() {
        frame.reset();
        ui::set_entry_dialogs(nullptr);
        QVERIFY2(seams->unexpected_dialogs.isEmpty(), qPrintable(seams->unexpected_dialogs.join(',')));
        seams.reset();
        hooks.reset();
        host.reset();
    }

    void createTableReopensOnTheLastChoiceMadeWithOk() {
        app::admin_app().default_table_type = 0;
        reset_log();
        int shown = 0;
        // Cancel after choosing Join leaves the preference.
        seams->next_dialog(create_table(1025, false, &shown));
        press_new();
        QCOMPARE(shown, 1024);
        QCOMPARE(app::admin_app().default_table_type, 0);
        // Join with OK is kept, and the join editor takes over.
        seams->next_dialog(create_table(1025, true, &shown));
        seams->next_dialog([](QDialog& d) {
            d.reject();
            return d.result();
        });
        press_new();
        QCOMPARE(app::admin_app().default_table_type, 1);
        seams->next_dialog(create_table(1025, false, &shown));
        press_new();
        QCOMPARE(shown, 1025);
        QCOMPARE(seams->dialogs_run, (QStringList{"dlg_146", "dlg_146", "dlg_EditJoin", "dlg_146"}));
        QVERIFY(codes().empty());
        QCOMPARE(lines(), (QStringList{"EMPLOYEE", "TIMECARD"}));
    }

    void createTableLooks() {
        QString look;
        seams->next_dialog([&](QDialog& d) {
            d.adjustSize();
            look = testing::compare_screenshot(&d, "create-table");
            click(&d, ui::kCancelId);
            return d.result();
        });
        press_new();
        QVERIFY2(look.isEmpty(), qPrintable(look));
    }

    void aNormalTableFromADatabaseIsAddedOnTheHostAndListed() {
        app::admin_app().default_table_type = 0;
        app::admin_app().new_table_from_cobol = 0;
        reset_log();
        seams->next_dialog(create_table(1024, true));
        seams->next_dialog([&](QDialog& d) {
            [&] {
                QCOMPARE(d.objectName(), QStringLiteral("dlg_DmsiiTableSelection"));
                ui::find_control<QComboBox>(&d, 1017)->setEditText("(PAY)DESCRIPTION/PAYDB ON PAYPACK");
                auto* databases = ui::find_control<QComboBox>(&d, 1018);
                databases->showPopup();
                databases->hidePopup();
                const int at = databases->findText("PAYDB");
                QVERIFY(at >= 0);
                databases->setCurrentIndex(at);
                emit databases->activated(at);
                auto* datasets = ui::find_control<QListWidget>(&d, 1019);
                const auto found = datasets->findItems("DEPARTMENT", Qt::MatchExactly);
                QVERIFY(!found.isEmpty());
                found.front()->setSelected(true);
                click(&d, 1020);
            }();
            click(&d, ui::kOkId);
            return d.result();
        });
        press_new();
        QCOMPARE(seams->pending_dialogs(), 0);
        const std::vector<int> sent = codes();
        QCOMPARE(std::count(sent.begin(), sent.end(), 21), 1);
        QCOMPARE(std::count(sent.begin(), sent.end(), 51), 0);
        QCOMPARE(lines(), (QStringList{"EMPLOYEE", "TIMECARD", "DEPARTMENT"}));
        QVERIFY(table("DEPARTMENT").table_number > 2);
        QVERIFY(payroll->config.modified);
        QCOMPARE(app::admin_app().default_table_type, 0);
    }

    void aCobolTableIsAddedByItsOwnWindowOnly() {
        app::admin_app().new_table_from_cobol = 1;
        reset_log();
        seams->next_dialog(create_table(1024, true));
        seams->next_dialog([&](QDialog& d) {
            [&] {
                QCOMPARE(d.objectName(), QStringLiteral("dlg_115"));
                QTest::keyClicks(ui::find_control<QLineEdit>(&d, 1014), "cards");
                ui::find_control<QLineEdit>(&d, 1171)->setText("(PAY)SOURCE/TIMECARD");
                QTest::keyClicks(ui::find_control<QLineEdit>(&d, 1047), "TIMECARD-FILE");
                ui::find_control<QLineEdit>(&d, 1048)->setText("(PAY)DATA/TIMECARD ON PAYPACK");
            }();
            click(&d, ui::kOkId);
            return d.result();
        });
        press_new();
        app::admin_app().new_table_from_cobol = 0;
        // The window's own requests, and nothing after them: the table is on the host already.
        QCOMPARE(codes(), (std::vector<int>{43, 44, 25, 21, 24}));
        QCOMPARE(lines().last(), QStringLiteral("CARDS"));
    }

    void okRefusesAMissingOrTakenNameWithABeep() {
        select("EMPLOYEE");
        reset_log();
        QStringList seen;
        int beeps = 0;
        seams->next_dialog([&](QDialog& d) {
            [&] {
                QCOMPARE(d.objectName(), QStringLiteral("dlg_1021"));
                QCOMPARE(ui::find_control<QLineEdit>(&d, 1022)->text(), QStringLiteral("EMPLOYEE"));
                QCOMPARE(entries(ui::find_control<QListWidget>(&d, 1003)),
                         (QStringList{"EMP-NO", "EMP-NAME", "EMP-SALARY", "EMP-HIRED"}));
                set_text(d, 1022, "");
                click(&d, ui::kOkId);
                seen << message(d);
                beeps = seams->beeps;
                set_text(d, 1022, "timecard");  // typed in capitals
                QCOMPARE(ui::find_control<QLineEdit>(&d, 1022)->text(), QStringLiteral("TIMECARD"));
                click(&d, ui::kOkId);
                seen << message(d);
                // Spaces around the name do not hide the other table.
                set_text(d, 1022, " timecard ");
                click(&d, ui::kOkId);
                seen << message(d);
                QVERIFY(d.isVisible());
                QCOMPARE(d.focusWidget(), ui::find_control<QWidget>(&d, 1022));
            }();
            click(&d, ui::kCancelId);
            return d.result();
        });
        press_edit();
        QCOMPARE(seen, (QStringList{"**You must enter a table name**", "**Duplicate Table Name**",
                                    "**Duplicate Table Name**"}));
        QCOMPARE(beeps, 1);
        QCOMPARE(seams->beeps, 3);
        QCOMPARE(hooks->boxes.size(), std::size_t{0});
        // Loaded with fields and sets, then given back without save.
        QCOMPARE(codes(), (std::vector<int>{23, 25, 54, 24}));
        QCOMPARE(host->requests().entries().back().body.substr(4), std::string("0"));
        QCOMPARE(table("EMPLOYEE").name.str(), std::string("EMPLOYEE"));
        QVERIFY(!table("EMPLOYEE").loaded);
    }

    void tableEditLooks() {
        select("EMPLOYEE");
        QString look;
        seams->next_dialog([&](QDialog& d) {
            d.adjustSize();
            look = testing::compare_screenshot(&d, "table-edit");
            click(&d, ui::kCancelId);
            return d.result();
        });
        press_edit();
        QVERIFY2(look.isEmpty(), qPrintable(look));
    }

    void aRenameAndANewWhereConditionAreSentInOrder() {
        select("EMPLOYEE");
        reset_log();
        payroll->config.modified = false;
        seams->next_dialog([&](QDialog& d) {
            set_text(d, 1022, "STAFF");
            click(&d, QStringLiteral("ctl_TableEdit_AddWhere"));
            click(&d, ui::kOkId);
            return d.result();
        });
        seams->next_dialog([&](QDialog& d) {
            [&] {
                QCOMPARE(d.objectName(), QStringLiteral("dlg_116"));
                auto* edit = ui::find_control<QPlainTextEdit>(&d, 1112);
                QVERIFY(edit != nullptr);
                edit->setPlainText("EMP-SALARY > 1000");
            }();
            click(&d, ui::kOkId);
            return d.result();
        });
        press_edit();
        QCOMPARE(seams->pending_dialogs(), 0);
        QCOMPARE(codes(), (std::vector<int>{23, 25, 54, 41, 34, 24}));
        QCOMPARE(host->requests().entries().back().body.substr(4), std::string("1"));
        QVERIFY(payroll->config.modified);
        QCOMPARE(lines().first(), QStringLiteral("STAFF"));
        const auto stored = host_table(1);
        QVERIFY(stored != nullptr);
        QCOMPARE(stored->name.str(), std::string("STAFF"));
        QCOMPARE(stored->where_condition.str(), std::string("EMP-SALARY > 1000"));

        // Nothing changed: nothing but the load and the unload.
        select("STAFF");
        reset_log();
        seams->next_dialog([&](QDialog& d) {
            click(&d, QStringLiteral("ctl_TableEdit_AddWhere"));
            click(&d, ui::kOkId);
            return d.result();
        });
        seams->next_dialog([&](QDialog& d) {
            click(&d, ui::kOkId);  // the same text back
            return d.result();
        });
        press_edit();
        QCOMPARE(codes(), (std::vector<int>{23, 25, 54, 24}));
    }

    void replaceRenamesFieldsAndLeavesClashesWithABeep() {
        select("STAFF");
        reset_log();
        QStringList shown;
        int beeps = -1;
        seams->next_dialog([&](QDialog& d) {
            click(&d, QStringLiteral("ctl_TableEdit_Replace"));  // nothing to look for
            click(&d, QStringLiteral("ctl_TableEdit_Replace"));  // EMP-NO would become EMP-NAME
            beeps = seams->beeps;
            click(&d, QStringLiteral("ctl_TableEdit_Replace"));
            shown = entries(ui::find_control<QListWidget>(&d, 1003));
            click(&d, ui::kOkId);
            return d.result();
        });
        auto replace = [](const QString& from, const QString& to) {
            return [=](QDialog& d) {
                [&] {
                    QCOMPARE(d.objectName(), QStringLiteral("dlg_1027"));
                    set_text(d, 1109, from);
                    set_text(d, 1110, to);
                }();
                click(&d, ui::kOkId);
                return d.result();
            };
        };
        seams->next_dialog(replace("", "X"));
        seams->next_dialog(replace("-NO", "-NAME"));
        seams->next_dialog(replace("emp-", "E-"));
        press_edit();
        QCOMPARE(beeps, 1);
        QCOMPARE(seams->beeps, 1);
        QCOMPARE(shown, (QStringList{"E-NO", "E-NAME", "E-SALARY", "E-HIRED"}));
        QCOMPARE(codes(), (std::vector<int>{23, 25, 54, 26, 24}));
        model::CConfigTable& staff = table("STAFF");
        QCOMPARE(configsvc::load_table(window->doc().client(),
                                       static_cast<std::uint32_t>(payroll->config.file_reference), staff),
                 std::int16_t{0});
        QCOMPARE(configsvc::get_field_list(window->doc().client(), staff), std::int16_t{0});
        QCOMPARE(staff.fields.at(0)->name.str(), std::string("E-NO"));
        QCOMPARE(configsvc::unload_table(window->doc().client(), window->doc().pending_unloads(), staff, false, false),
                 std::int16_t{0});
    }

    void infoShowsTheDatasetOrTheCobolSource() {
        select("STAFF");
        QStringList dmsii;
        seams->next_dialog([&](QDialog& d) {
            click(&d, QStringLiteral("ctl_TableEdit_Info"));
            click(&d, ui::kCancelId);
            return d.result();
        });
        seams->next_dialog([&](QDialog& d) {
            dmsii << d.objectName();
            for (const char* role : {"Dataset", "Set", "Database", "DescFile"}) {
                auto* edit = d.findChild<QLineEdit*>(QStringLiteral("ctl_TableInfo_%1").arg(role));
                dmsii << (edit != nullptr && edit->isReadOnly() ? edit->text() : QStringLiteral("?"));
            }
            click(&d, ui::kOkId);
            return d.result();
        });
        press_edit();
        QCOMPARE(dmsii,
                 (QStringList{"dlg_117", "EMPLOYEE", "EMP-BY-NO", "PAYDB", "(PAY)DESCRIPTION/PAYDB ON PAYPACK"}));

        select("TIMECARD");
        QString cobol;
        bool read_only = false;
        seams->next_dialog([&](QDialog& d) {
            click(&d, QStringLiteral("ctl_TableEdit_Info"));
            click(&d, ui::kCancelId);
            return d.result();
        });
        seams->next_dialog([&](QDialog& d) {
            cobol = d.objectName();
            read_only = d.property("readOnly").toBool();
            d.reject();
            return d.result();
        });
        press_edit();
        QCOMPARE(cobol, QStringLiteral("dlg_115"));
        QVERIFY(read_only);
    }

    void enterOrADoubleClickOnATableEditsItOnce() {
        reset_log();
        auto cancel = [](QDialog& d) {
            click(&d, ui::kCancelId);
            return d.result();
        };
        QListWidget* list = view->list();
        const auto found = list->findItems("STAFF", Qt::MatchExactly);
        QVERIFY(!found.isEmpty());
        list->setCurrentItem(found.front());
        list->setFocus();
        seams->next_dialog(cancel);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(seams->dialogs_run, (QStringList{"dlg_1021"}));
        seams->next_dialog(cancel);
        // The list was filled again when the window closed.
        const auto again = list->findItems("STAFF", Qt::MatchExactly);
        QVERIFY(!again.isEmpty());
        const QPoint at = list->visualItemRect(again.front()).center();
        // As a mouse sends it: a click, then the second press as a double click.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(seams->dialogs_run, (QStringList{"dlg_1021", "dlg_1021"}));
        QCOMPARE(seams->pending_dialogs(), 0);
    }

    void aTableThatFailsToLoadShowsTheErrorAndNoWindow() {
        model::CConfigTable& card = table("TIMECARD");
        const std::int32_t number = card.table_number;
        card.table_number = 999;  // gone from the host
        select("TIMECARD");
        reset_log();
        press_edit();
        card.table_number = number;
        QCOMPARE(codes(), (std::vector<int>{23}));
        QCOMPARE(hooks->boxes.size(), std::size_t{1});
        QVERIFY(seams->dialogs_run.isEmpty());
    }

    void aFailedStepIsShownAndTheNextStillRuns() {
        // Another table waiting with a change the host refuses makes the table list fail.
        model::CConfigTable& card = table("TIMECARD");
        const std::int32_t number = card.table_number;
        card.table_number = 998;
        card.changed = true;
        select("STAFF");
        reset_log();
        seams->next_dialog([&](QDialog& d) {
            click(&d, QStringLiteral("ctl_TableEdit_AddWhere"));
            ui::find_control<QCheckBox>(&d, 1032)->click();
            click(&d, ui::kOkId);
            return d.result();
        });
        seams->next_dialog([&](QDialog& d) {
            ui::find_control<QPlainTextEdit>(&d, 1112)->setPlainText("EMP-NO > 0");
            click(&d, ui::kOkId);
            return d.result();
        });
        press_edit();
        // The refused list is read again: the model holds what the host holds.
        QCOMPARE(codes(), (std::vector<int>{23, 25, 54, 41, 34, 24, 51}));
        QCOMPARE(hooks->boxes.size(), std::size_t{1});
        QCOMPARE(table("TIMECARD").table_number, number);
        QVERIFY(!table("TIMECARD").changed);
        QVERIFY(!table("STAFF").update_allowed);
        QCOMPARE(lines(), (QStringList{"STAFF", "TIMECARD", "DEPARTMENT", "CARDS"}));
        const auto stored = host_table(1);
        QVERIFY(stored != nullptr);
        QCOMPARE(stored->where_condition.str(), std::string("EMP-NO > 0"));  // the step before still holds
        QVERIFY(!stored->update_allowed);
    }

    // Field Edit changes the table's own fields; they reach the host only with Table Edit's OK, in its order.
    void aRenameAndAHideInFieldEditReachTheHostAfterOk() {
        select("STAFF");
        reset_log();
        seams->next_dialog(table_edit(
            [&](QDialog& d) {
                select_field(d, "E-NAME");
                click(&d, 1020);
                QCOMPARE(entries(ui::find_control<QListWidget>(&d, 1003)),
                         (QStringList{"E-NO", "FULL-NAME", "E-SALARY", "E-HIRED"}));
                QVERIFY(codes() == (std::vector<int>{23, 25, 54}));  // nothing sent while the window is open
            },
            true));
        seams->next_dialog([&](QDialog& d) {
            [&] {
                QCOMPARE(d.objectName(), QStringLiteral("dlg_1023"));
                set_text(d, 1098, "full-name");
                toggle(&d, 1029);
            }();
            click(&d, ui::kOkId);
            return d.result();
        });
        press_edit();
        QCOMPARE(seams->pending_dialogs(), 0);
        QCOMPARE(codes(), (std::vector<int>{23, 25, 54, 26, 27, 24}));
        QVERIFY(body_of(26).find("009FULL-NAME") != std::string::npos);
        QCOMPARE(body_of(27).substr(4), std::string("0001"
                                                    "0002") +
                                            '\x01');
        QVERIFY(payroll->config.modified);
        QCOMPARE(host_fields(payroll->config, 1),
                 (QStringList{"E-NO", "FULL-NAME (hidden)", "E-SALARY (hidden)", "E-HIRED"}));
    }

    void aChangedAndANewFieldGiveTheChangeThenTheNewOne() {
        select("STAFF");
        reset_log();
        seams->next_dialog(table_edit(
            [&](QDialog& d) {
                select_field(d, "E-NO");
                click(&d, 1020);
                click(&d, 1018);
                QCOMPARE(entries(ui::find_control<QListWidget>(&d, 1003)).last(), QStringLiteral("BONUS"));
            },
            true));
        seams->next_dialog([&](QDialog& d) {
            toggle(&d, 1103);  // Update Allowed
            click(&d, ui::kOkId);
            return d.result();
        });
        seams->next_dialog([&](QDialog& d) {
            [&] {
                QCOMPARE(d.objectName(), QStringLiteral("dlg_1025"));
                set_text(d, 1059, "BONUS");
                toggle(&d, 1034);  // Calculated
                toggle(&d, 1127);  // Numeric
                set_text(d, 1058, "8");
                set_text(d, 1040, "E-NO * 2");
            }();
            click(&d, ui::kOkId);
            return d.result();
        });
        press_edit();
        QCOMPARE(seams->pending_dialogs(), 0);
        QCOMPARE(codes(), (std::vector<int>{23, 25, 54, 26, 28, 24}));
        // The change alone in 26 (field 1, update allowed); the new field whole in 28.
        QCOMPARE(body_of(26).substr(4, 8), std::string("0001"
                                                       "0001"));
        QVERIFY(body_of(26).find("BONUS") == std::string::npos);
        QVERIFY(body_of(28).find("005BONUS") != std::string::npos);
        QVERIFY(body_of(28).find("E-NO * 2") != std::string::npos);
        QCOMPARE(host_fields(payroll->config, 1),
                 (QStringList{"E-NO", "FULL-NAME (hidden)", "E-SALARY (hidden)", "E-HIRED", "BONUS"}));
    }

    void aNewOffsetFieldDeletedInTheSameWindowSendsNothing() {
        select("STAFF");
        reset_log();
        QStringList shown;
        seams->next_dialog(table_edit(
            [&](QDialog& d) {
                click(&d, 1018);
                select_field(d, "PART");
                QCOMPARE(ui::find_control<QPushButton>(&d, 1041)->text(), QStringLiteral("&Delete"));
                click(&d, 1041);
                shown = entries(ui::find_control<QListWidget>(&d, 1003));
            },
            true));
        seams->next_dialog([&](QDialog& d) {
            [&] {
                set_text(d, 1059, "PART");
                set_text(d, 1058, "3");
                set_text(d, 1056, "1");
                auto* of = ui::find_control<QComboBox>(&d, 1057);
                of->setCurrentIndex(of->findText(QStringLiteral("E-NO")));
                QVERIFY(of->currentIndex() > 0);
            }();
            click(&d, ui::kOkId);
            return d.result();
        });
        press_edit();
        QCOMPARE(seams->pending_dialogs(), 0);
        QVERIFY(!shown.contains("PART"));
        QCOMPARE(codes(), (std::vector<int>{23, 25, 54, 24}));
        QCOMPARE(host_fields(payroll->config, 1),
                 (QStringList{"E-NO", "FULL-NAME (hidden)", "E-SALARY (hidden)", "E-HIRED", "BONUS"}));
    }

    void cancelAfterFieldEditsSendsNoneOfThem() {
        select("STAFF");
        reset_log();
        payroll->config.modified = false;
        seams->next_dialog(table_edit(
            [&](QDialog& d) {
                select_field(d, "E-NO");
                click(&d, 1020);
                select_field(d, "E-HIRED");
                click(&d, 1041);  // Hide
                select_field(d, "BONUS");
                click(&d, 1041);  // Delete
                click(&d, 1018);
                QCOMPARE(entries(ui::find_control<QListWidget>(&d, 1003)),
                         (QStringList{"NUMBER", "FULL-NAME", "E-SALARY", "E-HIRED", "EXTRA"}));
            },
            false));
        seams->next_dialog([&](QDialog& d) {
            set_text(d, 1098, "NUMBER");
            click(&d, ui::kOkId);
            return d.result();
        });
        seams->next_dialog([&](QDialog& d) {
            [&] {
                set_text(d, 1059, "EXTRA");
                toggle(&d, 1034);
                set_text(d, 1058, "4");
                set_text(d, 1040, "'ABCD'");
            }();
            click(&d, ui::kOkId);
            return d.result();
        });
        press_edit();
        QCOMPARE(seams->pending_dialogs(), 0);
        // Loaded, then given back without save.
        QCOMPARE(codes(), (std::vector<int>{23, 25, 54, 24}));
        QCOMPARE(host->requests().entries().back().body.substr(4), std::string("0"));
        QVERIFY(!payroll->config.modified);
        QVERIFY(!table("STAFF").changed);
        QVERIFY(table("STAFF").fields.empty());
        QCOMPARE(lines().first(), QStringLiteral("STAFF"));
        QCOMPARE(host_fields(payroll->config, 1),
                 (QStringList{"E-NO", "FULL-NAME (hidden)", "E-SALARY (hidden)", "E-HIRED", "BONUS"}));
        // Opened again, the window shows the stored fields.
        select("STAFF");
        QStringList again;
        seams->next_dialog(table_edit([&](QDialog& d) { again = entries(ui::find_control<QListWidget>(&d, 1003)); },
                                      false));
        press_edit();
        QCOMPARE(seams->pending_dialogs(), 0);
        QCOMPARE(again, (QStringList{"E-NO", "FULL-NAME", "E-SALARY", "E-HIRED", "BONUS"}));
    }

    // Alt+E belongs to the menu bar's Edit menu and to the view's Edit button: in the view it presses the button,
    // elsewhere it opens the menu.
    void altEEditsInTheViewAndOpensTheEditMenuElsewhere() {
        select("STAFF");
        reset_log();
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        view->list()->setFocus();
        QVERIFY(view->list()->hasFocus());
        seams->next_dialog(table_edit([](QDialog&) {}, false));
        QTest::keyClick(view->list(), Qt::Key_E, Qt::AltModifier);
        QTRY_COMPARE(seams->dialogs_run, (QStringList{"dlg_1021"}));
        QVERIFY(QApplication::activePopupWidget() == nullptr);

        // The window Table Edit left gets the focus back, in the tree.
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        ui::CAdminView* tree = window->tree_view();
        tree->setFocus();
        QTRY_VERIFY2(tree->hasFocus(), qPrintable(QApplication::focusWidget() != nullptr
                                                      ? QApplication::focusWidget()->objectName()
                                                      : QStringLiteral("no focus")));
        QTest::keyClick(tree, Qt::Key_E, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu != nullptr);
        QCOMPARE(menu->title(), QStringLiteral("&Edit"));
        QTest::keyClick(menu, Qt::Key_Escape);
        QTest::keyClick(frame->menuBar(), Qt::Key_Escape);
        QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
        QCOMPARE(seams->dialogs_run, (QStringList{"dlg_1021"}));

        // With nothing selected Edit is off, and the key opens the menu from the view too.
        view->list()->clearSelection();
        view->list()->setFocus();
        QTest::keyClick(view->list(), Qt::Key_E, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
        QCOMPARE(qobject_cast<QMenu*>(QApplication::activePopupWidget())->title(), QStringLiteral("&Edit"));
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
        QTest::keyClick(frame->menuBar(), Qt::Key_Escape);
        QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
        QCOMPARE(seams->dialogs_run, (QStringList{"dlg_1021"}));
    }

    // Edit on a join leads to the join editor: the join is never loaded as a plain table.
    void aJoinIsLeftToTheJoinEditor() {
        CServerNode* sales = testing::click_node(*window, "(PROD)SALES ON DBPACK");
 QVERIFY(sales != nullptr);
        select("CUSTOMER_ORDERS");
        reset_log();
        seams->next_dialog([](QDialog& d) {
            d.reject();
            return d.result();
        });
        press_edit();
        QVERIFY(!seams->dialogs_run.contains("dlg_1021"));
        QVERIFY(seams->dialogs_run.contains("dlg_EditJoin"));
        // The join's header comes with the join request; its members load as tables of their own.
        const std::vector<int> sent = codes();
        QVERIFY(std::count(sent.begin(), sent.end(), 55) >= 1);
    }

    // Return Groups shows or hides the GROUP fields at once; only OK keeps the change and sends it.
    void returnGroupsShowsTheGroupFieldsAtOnce() {
        CServerNode* sales = window->doc().root().find_by_name("(PROD)SALES ON DBPACK");
        QVERIFY(sales != nullptr);
        QCOMPARE(window->doc().selected(), sales);
        const QStringList without{"CUST-ID",     "NAME",        "CUST-STREET", "CUST-CITY", "OPENED",
                                  "CUST-CREDIT", "CUST-ACTIVE", "CUST-FLAGS",  "CITY_CODE", "CREDIT_K"};
        QStringList with = without;
        with.insert(2, "CUST-ADDRESS");
        const auto customer = [sales]() -> model::CConfigTable& {
            for (auto& t : sales->config.tables)
                if (t->name == "CUSTOMER") return *t;
            qFatal("no CUSTOMER");
        };
        select("CUSTOMER");
        reset_log();
        QList<QStringList> seen;
        seams->next_dialog(table_edit(
            [&](QDialog& d) {
                auto* list = ui::find_control<QListWidget>(&d, 1003);
                seen << entries(list);
                toggle(&d, 1033);
                seen << entries(list);
            },
            false));
        press_edit();
        QCOMPARE(seen, (QList<QStringList>{without, with}));
        QVERIFY(!customer().return_groups);
        QCOMPARE(codes(), (std::vector<int>{23, 25, 54, 24}));

        seen.clear();
        select("CUSTOMER");
        reset_log();
        seams->next_dialog(table_edit(
            [&](QDialog& d) {
                auto* list = ui::find_control<QListWidget>(&d, 1003);
                toggle(&d, 1033);
                // A selected field stays selected; the group field comes and goes around it.
                select_field(d, "CUST-STREET");
                toggle(&d, 1033);
                toggle(&d, 1033);
                seen << entries(list);
                QCOMPARE(list->selectedItems().size(), 1);
                QCOMPARE(list->selectedItems().front()->text(), QStringLiteral("CUST-STREET"));
            },
            true));
        press_edit();
        QCOMPARE(seen, (QList<QStringList>{with}));
        QCOMPARE(codes(), (std::vector<int>{23, 25, 54, 34, 24}));
        QVERIFY(customer().return_groups);
    }
};

KESTRA_QTEST_MAIN(TableEditTest)
#include "table_edit_test.moc"
