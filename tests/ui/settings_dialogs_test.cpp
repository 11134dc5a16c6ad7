// The Global Settings and Limits windows opened by the configuration view's Edit, against the test host in this
// process: what they refuse, what reaches the host, and the view's lines afterwards. The class logs in once.
#include "ui/settings_dialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QToolButton>
#include <algorithm>
#include <memory>

#include "app/admin_app.h"
#include "configsvc/options_requests.h"
#include "platform/profile_file.h"
#include "qtest_support.h"
#include "support/inprocess_host.h"
#include "support/recording_ui_hooks.h"
#include "ui/admin_frame.h"
#include "ui/admin_view.h"
#include "ui/client_config_view.h"
#include "ui/main_frame.h"
#include "ui/object_names.h"
#include "workspace/admin_doc.h"
#include "workspace/command_ids.h"

using namespace kestra;
using model::CServerNode;

namespace {


void set_text(QDialog& d, int id, const QString& text) {
    auto* edit = ui::find_control<QLineEdit>(&d, id);
    QVERIFY2(edit != nullptr, qPrintable(QString::number(id)));
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

void press_ok(QDialog& d) {
    QTest::mouseClick(ui::find_control<QPushButton>(&d, ui::kOkId), Qt::LeftButton);
}

}  // namespace

class SettingsDialogsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::InProcessHost> host;
    std::unique_ptr<testing::RecordingUiHooks> hooks;
    std::unique_ptr<testing::TestSeams> seams;
    std::unique_ptr<ui::CMainFrame> frame;
    ui::CAdminFrame* window = nullptr;
    ui::CClientConfigView* view = nullptr;
    CServerNode* payroll = nullptr;

    QStringList lines() const {
        QStringList out;
        for (int i = 0; i < view->list()->count(); ++i) out << view->list()->item(i)->text();
        return out;
    }
    std::vector<int> codes() const {
        std::vector<int> out;
        for (const auto& e : host->requests().entries())
            if (e.kind == 2) out.push_back(e.code);
        return out;
    }
    void mode(int button) { QTest::mouseClick(ui::find_control<QToolButton>(view, button), Qt::LeftButton); }
    void edit() { QTest::mouseClick(ui::find_control<QPushButton>(view, 1009), Qt::LeftButton); }

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
    }

    void cleanupTestCase() {
        frame.reset();
        ui::set_entry_dialogs(nullptr);
        QVERIFY(seams->unexpected_dialogs.isEmpty());
        seams.reset();
        hooks.reset();
        host.reset();
    }

    void globalSettingsRefuseBadNumbersWithFocusThere() {
        mode(1011);
        payroll->config.modified = false;
        host->requests().clear();
        hooks->boxes.clear();
        bool checked = false;
        seams->next_dialog([&](QDialog& d) {
            [&] {
                QCOMPARE(d.objectName(), QStringLiteral("dlg_1017"));
                QCOMPARE(ui::find_control<QLineEdit>(&d, 1113)->text(), QStringLiteral("PAY"));
                set_text(d, 1113, "<abc");  // typed in lower case, shown in upper case
                QCOMPARE(ui::find_control<QLineEdit>(&d, 1113)->text(), QStringLiteral("<ABC"));
                // The priority field takes digits only: what is pasted is still checked at OK.
                ui::find_control<QLineEdit>(&d, 1013)->setText("-1");
                press_ok(d);
                QCOMPARE(hooks->boxes.back(), std::string("Please enter an integer between 0 and 99."));
                QCOMPARE(d.focusWidget(), ui::find_control<QWidget>(&d, 1013));
                ui::find_control<QLineEdit>(&d, 1013)->setText("AB");
                press_ok(d);
                QCOMPARE(hooks->boxes.back(), std::string("Please enter an integer."));
                set_text(d, 1013, "5");
                set_text(d, 1014, "12");
                set_text(d, 1015, "31");
                for (const char* year : {"1699", "2501"}) {
                    set_text(d, 1170, year);
                    press_ok(d);
                    QCOMPARE(hooks->boxes.back(), std::string("Please enter an integer between 1700 and 2500."));
                    QCOMPARE(d.focusWidget(), ui::find_control<QWidget>(&d, 1170));
                    QVERIFY(d.isVisible());
                }
                set_text(d, 1170, "2500");
                checked = true;
            }();
            press_ok(d);
            return d.result();
        });
        edit();
        QVERIFY(checked);
        QCOMPARE(seams->pending_dialogs(), 0);
        const std::vector<int> sent = codes();
        QCOMPARE(std::count(sent.begin(), sent.end(), 31), 1);
        QVERIFY(payroll->config.modified);
        QCOMPARE(payroll->config.global_options.usercode.view(), std::string_view());
        QCOMPARE(payroll->config.global_options.priority, 5);
        QCOMPARE(payroll->config.global_options.date_base_year, 2500);
        QVERIFY(lines().contains("Usercode = <default>"));
        QVERIFY(lines().contains("Date Base:12/31/00"));
        QString shown;
        seams->next_dialog([&](QDialog& d) {
            shown = ui::find_control<QLineEdit>(&d, 1113)->text();
            d.reject();
            return d.result();
        });
        edit();
        QCOMPARE(shown, QStringLiteral("<default>"));

        // What the host keeps comes back on a fresh read.
        payroll->config.global_options = model::CGlobalOptions();
        QCOMPARE(configsvc::get_global(window->doc().client(), payroll->config), 0);
        QCOMPARE(payroll->config.global_options.priority, 5);
        QCOMPARE(payroll->config.global_options.date_base_month, 12);
    }

    // An untouched group sends back the code it opened with, even one the test host refuses: the refusal is
    // shown, the value stays in the model and the file stays modified for a later Save.
    void anUnknownCodeGoesBackAndARefusalStillMarksTheFile() {
        payroll->config.global_options.security_use = 7;
        payroll->config.modified = false;
        hooks->boxes.clear();
        bool unchecked = false;
        seams->next_dialog([&](QDialog& d) {
            unchecked = true;
            for (int id : {1119, 1116, 1117, 1118}) unchecked &= !ui::find_control<QRadioButton>(&d, id)->isChecked();
            press_ok(d);
            return d.result();
        });
        edit();
        QVERIFY(unchecked);
        QCOMPARE(payroll->config.global_options.security_use, 7);
        QVERIFY(payroll->config.modified);
        QCOMPARE(hooks->boxes.size(), std::size_t{1});  // the host's refusal
    }

    void aZeroDateBaseIsSaved() {
        seams->next_dialog([&](QDialog& d) {
            ui::find_control<QRadioButton>(&d, 1116)->click();
            for (int id : {1014, 1015, 1170}) set_text(d, id, "0");
            press_ok(d);
            return d.result();
        });
        hooks->boxes.clear();
        edit();
        QVERIFY2(hooks->boxes.empty(), hooks->boxes.front().c_str());
        QVERIFY(lines().contains("Date Base:0/0/0"));
        payroll->config.global_options = model::CGlobalOptions();
        QCOMPARE(configsvc::get_global(window->doc().client(), payroll->config), 0);
        QCOMPARE(payroll->config.global_options.security_use, 1);
        QCOMPARE(payroll->config.global_options.date_base_year, 0);
        QCOMPARE(payroll->config.global_options.date_base_day, 0);
    }

    void limitsRefuseAnOversizedCountAndReachTheHost() {
        mode(1004);
        host->requests().clear();
        hooks->boxes.clear();
        payroll->config.modified = false;
        seams->next_dialog([&](QDialog& d) {
            [&] {
                QCOMPARE(d.objectName(), QStringLiteral("dlg_1006"));
                set_text(d, 1049, "2147483648");
                press_ok(d);
                QCOMPARE(hooks->boxes.back(), std::string("Please enter an integer between 0 and 2147483647."));
                QCOMPARE(d.focusWidget(), ui::find_control<QWidget>(&d, 1049));
                set_text(d, 1049, "100");
                QTest::mouseClick(ui::find_control<QRadioButton>(&d, 1052), Qt::LeftButton);
                ui::find_control<QCheckBox>(&d, 1042)->setChecked(true);
            }();
            press_ok(d);
            return d.result();
        });
        edit();
        QCOMPARE(codes(), std::vector<int>{33});
        QVERIFY(payroll->config.modified);
        QVERIFY(lines().contains("Error Msg @ 100 Rows"));
        QVERIFY(lines().contains("Where Req'ed"));
        payroll->config.limits = model::CConfigLimits();
        QCOMPARE(configsvc::get_limits(window->doc().client(), payroll->config), 0);
        QCOMPARE(payroll->config.limits.row_count, 100);
        QCOMPARE(payroll->config.limits.row_limit_kind, 2);
    }

    void cancelChangesNothing() {
        host->requests().clear();
        const model::CConfigLimits before = payroll->config.limits;
        seams->next_dialog([](QDialog& d) {
            set_text(d, 1049, "7");
            d.reject();
            return d.result();
        });
        edit();
        QVERIFY(codes().empty());
        QVERIFY(payroll->config.limits == before);
    }

    void optionsSetTheSessionsDefaultsAndSendThem() {
        host->requests().clear();
        hostlink::CDefaultOptions& options = window->doc().session().default_options();
        const bool groups = options.return_groups;
        const bool update = options.update_allowed;
        seams->next_dialog([&](QDialog& d) {
            if (d.objectName() == "dlg_1005") {
                ui::find_control<QCheckBox>(&d, 1041)->setChecked(!groups);
                ui::find_control<QCheckBox>(&d, 1039)->setChecked(!update);
            }
            press_ok(d);
            return d.result();
        });
        frame->run_command(workspace::cmd::kDefaultOptions);
        QCOMPARE(options.return_groups, !groups);
        QCOMPARE(options.update_allowed, !update);
        QCOMPARE(codes(), std::vector<int>{9});
        // What the host now holds comes back on a fresh read.
        options.return_groups = groups;
        QCOMPARE(options.get(window->doc().session()), 0);
        QCOMPARE(options.return_groups, !groups);
    }

    void enterInEnvironmentCommandSendsAndKeepsTheWindow() {
        host->requests().clear();
        QStringList responses;
        bool open_after = false;
        bool cleared = false;
        seams->next_dialog([&](QDialog& d) {
            auto* command = ui::find_control<QLineEdit>(&d, 1167);
            auto* response = ui::find_control<QPlainTextEdit>(&d, 1169);
            cleared = command->text().isEmpty() && response->isReadOnly();
            QTest::keyClicks(command, "mx");
            QTest::keyClick(command, Qt::Key_Return);
            responses << response->toPlainText();
            open_after = d.isVisible() && command->selectedText() == "mx";
            QTest::mouseClick(ui::find_control<QPushButton>(&d, ui::kCancelId), Qt::LeftButton);
            return d.result();
        });
        frame->run_command(workspace::cmd::kEnvironmentCommand);
        QVERIFY(cleared);
        QVERIFY(open_after);
        QCOMPARE(codes(), std::vector<int>{42});
        QCOMPARE(responses.size(), 1);
        QVERIFY(!responses.front().isEmpty());
        QVERIFY(responses.front() != "*** Error ***");
    }

    void preferencesActAtOnce() {
        app::CAdminApp& a = app::admin_app();
        const int sort = a.sort_datasets;
        const int confirm = a.confirm_config_delete;
        seams->next_dialog([&](QDialog& d) {
            if (d.objectName() == "dlg_128") {
                ui::find_control<QCheckBox>(&d, 1193)->setChecked(sort == 0);
                ui::find_control<QCheckBox>(&d, 1165)->setChecked(confirm == 0);
            }
            press_ok(d);
            return d.result();
        });
        frame->run_command(workspace::cmd::kPreferences);
        QCOMPARE(a.sort_datasets, sort == 0 ? 1 : 0);
        QCOMPARE(a.confirm_config_delete, confirm == 0 ? 1 : 0);
    }

    void globalSettingsLooksRight() {
        mode(1011);
        seams->next_dialog([](QDialog& d) {
            d.adjustSize();
            const QString problem = testing::compare_screenshot(&d, "global-settings");
            if (!problem.isEmpty()) qWarning("%s", qPrintable(problem));
            d.reject();
            return d.result();
        });
        edit();
    }

    void anApplicationIsFetchedBeforeItsWindowOpens() {
        CServerNode* sales = window->doc().root().find_by_name("(PROD)SALES ON DBPACK");
        ui::CAdminView* tree = window->tree_view();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, tree->node_rect(sales).center());
        mode(1003);
        QVERIFY(lines().size() >= 2);
        view->list()->clearSelection();
        view->list()->item(1)->setSelected(true);
        host->requests().clear();
        std::vector<int> before_open;
        QStringList accessible;
        bool red_follows_the_box = false, edit_rules = false;
        int copied = -1;
        QString shot;
        seams->next_dialog([&](QDialog& d) {
            before_open = codes();
            ui::find_control<QCheckBox>(&d, 1038)->setChecked(true);
            ui::find_control<QCheckBox>(&d, 1069)->setChecked(true);
            ui::find_control<QCheckBox>(&d, 1043)->setChecked(true);
            d.adjustSize();
            shot = testing::compare_screenshot(&d, "application");
            auto* list = ui::find_control<QListWidget>(&d, 1017);
            auto* available = ui::find_control<QListWidget>(&d, 1018);
            for (int i = 0; i < list->count(); ++i) accessible << list->item(i)->text();
            auto red = [&](int row) { return list->item(row)->foreground().color() == QColor(0xFF, 0, 0); };
            auto* update = ui::find_control<QCheckBox>(&d, 1038);
            update->setChecked(true);
            const bool on = red(0);
            update->setChecked(false);
            red_follows_the_box = on && !red(0);
            auto* edit = ui::find_control<QPushButton>(&d, 1039);
            list->item(0)->setSelected(true);
            const bool customer = edit->isEnabled();
            list->clearSelection();
            list->item(1)->setSelected(true);
            edit_rules = customer && !edit->isEnabled();  // ORDERS allows no updates in the file
            // The same table again adds nothing.
            available->clearSelection();
            for (int i = 0; i < available->count(); ++i)
                if (available->item(i)->text() == "CUSTOMER") available->item(i)->setSelected(true);
            QTest::mouseClick(ui::find_control<QPushButton>(&d, 1067), Qt::LeftButton);
            copied = list->count();
            press_ok(d);
            return d.result();
        });
        edit();
        QVERIFY2(shot.isEmpty(), qPrintable(shot));
        QCOMPARE(before_open, std::vector<int>{36});
        QCOMPARE(accessible, (QStringList{"CUSTOMER", "ORDERS"}));
        QVERIFY(red_follows_the_box);
        QVERIFY(edit_rules);
        QCOMPARE(copied, 2);
        QCOMPARE(codes(), (std::vector<int>{36, 38}));
        QVERIFY(sales->config.modified);
    }

    void aNewApplicationIsCheckedNamedByBrowseAndAdded() {
        mode(1003);
        host->requests().clear();
        const int beeps = seams->beeps;
        const std::size_t count = window->doc().selected()->config.applications.size();
        QString title, too_long, failed_message, failed_name, browsed;
        seams->file_answers = {QString(KESTRA_TEST_DATA) + "/exe/ten_bytes.exe",
                               QString(KESTRA_TEST_DATA) + "/exe/Pay.Roll.EXE"};
        seams->next_dialog([&](QDialog& d) {
            title = d.windowTitle();
            auto* name = ui::find_control<QLineEdit>(&d, 1037);
            auto* message = ui::find_control<QLabel>(&d, 1149);
            name->setText("ABCDEFGHIJKLMNOPQ");
            press_ok(d);
            too_long = message->text();
            auto* browse = ui::find_control<QPushButton>(&d, 1150);
            QTest::mouseClick(browse, Qt::LeftButton);
            failed_message = message->text();
            failed_name = name->text();
            QTest::mouseClick(browse, Qt::LeftButton);
            browsed = name->text() + "|" + message->text();
            press_ok(d);
            return d.result();
        });
        QTest::mouseClick(ui::find_control<QPushButton>(view, 1007), Qt::LeftButton);
        QCOMPARE(title, QStringLiteral("Add Application"));
        QCOMPARE(too_long, QStringLiteral("**Program name is too long**"));
        QCOMPARE(failed_message, QStringLiteral("Cannot read old EXE header"));
        QCOMPARE(failed_name, QString());
        QCOMPARE(browsed, QStringLiteral("PAY|"));
        QCOMPARE(seams->beeps, beeps + 2);
        QCOMPARE(seams->file_requests.back().caption, QStringLiteral("Select Application"));
        QCOMPARE(codes(), std::vector<int>{35});
        QCOMPARE(window->doc().selected()->config.applications.size(), count + 1);
        QVERIFY(lines().contains("PAY, Inquiry only") || lines().join("\n").contains("PAY"));
    }

    // The host refuses a name another workstation added meanwhile: the record goes again, the error is shown.
    void aRefusedAddTakesTheRecordOut() {
        model::CConfigFile& file = window->doc().selected()->config;
        auto pay = std::find_if(file.applications.begin(), file.applications.end(),
                                [](const auto& a) { return a->program_name.view() == "PAY"; });
        QVERIFY(pay != file.applications.end());
        file.applications.erase(pay);  // the host still has it
        const std::size_t count = file.applications.size();
        file.modified = false;
        hooks->boxes.clear();
        host->requests().clear();
        seams->next_dialog([](QDialog& d) {
            ui::find_control<QLineEdit>(&d, 1037)->setText("PAY");
            press_ok(d);
            return d.result();
        });
        QTest::mouseClick(ui::find_control<QPushButton>(view, 1007), Qt::LeftButton);
        QCOMPARE(codes(), std::vector<int>{35});
        QCOMPARE(file.applications.size(), count);
        QCOMPARE(hooks->boxes.size(), std::size_t{1});
        QVERIFY(file.modified);
    }

    // Preferences reach kestra.ini when the main window closes.
    void preferencesAreWrittenAtClose() {
        const int sort = app::admin_app().sort_datasets;
        frame->close();
        QCOMPARE(platform::get_private_profile_int("admin", "sort datasets", -1, app::admin_app().settings_path()),
                 sort);
    }
};

KESTRA_QTEST_MAIN(SettingsDialogsTest)
#include "settings_dialogs_test.moc"
