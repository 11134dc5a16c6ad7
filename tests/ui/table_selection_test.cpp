// The DMSII Table Selection and COBOL Table Selection windows against the test host in this process: what each
// sends (read from the host's request log), what the lists show and in which fonts, the table name dialog, the
// messages and focus of refused entries, and the read-only COBOL information. One login serves the class.
#include <QAbstractItemView>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <memory>

#include "app/admin_app.h"
#include "configsvc/cobol_table_request.h"
#include "configsvc/config_file_requests.h"
#include "configsvc/table_requests.h"
#include "hostlink/host_session.h"
#include "model/config_file.h"
#include "qtest_support.h"
#include "support/inprocess_host.h"
#include "support/recording_ui_hooks.h"
#include "ui/cobol_table_dialog.h"
#include "ui/object_names.h"
#include "ui/table_name_dialog.h"
#include "ui/table_selection_dialog.h"
#include "workspace/admin_doc.h"

using namespace kestra;

namespace {

const QString kSalesDescfile = "(PROD)DESCRIPTION/SALESDB ON DBPACK";
// A dataset whose derived table name is 30 characters long, one more than a table name may have.
const QString kThirty = "LONG-DATASET-NAME-OF-THIRTY-CH";

QStringList entries(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

// The entries drawn in bold.
QStringList bold(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->data(Qt::FontRole).value<QFont>().bold()) out << list->item(i)->text();
    return out;
}

void select(QListWidget* list, const QStringList& names) {
    list->clearSelection();
    for (const QString& name : names) {
        const auto found = list->findItems(name, Qt::MatchExactly);
        QVERIFY2(!found.isEmpty(), qPrintable(name));
        found.front()->setSelected(true);
    }
}

void click(const QWidget* d, int id) {
    auto* b = ui::find_control<QPushButton>(d, id);
    QVERIFY(b != nullptr);
    QVERIFY2(b->isEnabled(), qPrintable(QString::number(id)));
    QTest::mouseClick(b, Qt::LeftButton);
}

// Answers the table name dialog: records what it showed, then gives `name` with OK, or cancels when it is empty.
struct NameAnswer {
    QString message;
    QString shown;
    bool whole = false;
};
testing::TestSeams::DialogHandler answer_name(NameAnswer& seen, const QString& name) {
    return [&seen, name](QDialog& d) {
        auto& dialog = static_cast<ui::CTableNameDlg&>(d);
        seen.message = dialog.message_line()->text();
        seen.shown = dialog.name_edit()->text();
        seen.whole = dialog.name_edit()->fontMetrics().horizontalAdvance(seen.shown) <
                     dialog.name_edit()->contentsRect().width();
        if (name.isEmpty()) {
            QTest::mouseClick(ui::find_control<QPushButton>(&d, ui::kCancelId), Qt::LeftButton);
        } else {
            dialog.name_edit()->setText(name);
            QTest::mouseClick(ui::find_control<QPushButton>(&d, ui::kOkId), Qt::LeftButton);
        }
        return d.result();
    };
}

}  // namespace

class TableSelectionTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::InProcessHost> host;
    std::unique_ptr<testing::RecordingUiHooks> hooks;
    std::unique_ptr<testing::TestSeams> seams;
    std::unique_ptr<workspace::CAdminDoc> doc;
    model::CConfigFile sales;

    std::size_t sent(int code) const { return host->requests().count(2, code); }
    std::vector<int> codes() const {
        std::vector<int> out;
        for (const auto& e : host->requests().entries()) out.push_back(e.code);
        return out;
    }

    // Opens the dialog with the description file chosen and its databases fetched.
    std::unique_ptr<ui::CTableSelectionDlg> dmsii(const QString& descfile = kSalesDescfile) {
        auto d = std::make_unique<ui::CTableSelectionDlg>(*doc, sales.tables);
        d->show();
        auto* files = ui::find_control<QComboBox>(d.get(), 1017);
        files->setEditText(descfile);
        auto* databases = ui::find_control<QComboBox>(d.get(), 1018);
        databases->showPopup();
        databases->hidePopup();
        return d;
    }
    static void choose_database(ui::CTableSelectionDlg& d, const QString& name) {
        auto* databases = ui::find_control<QComboBox>(&d, 1018);
        const int at = databases->findText(name);
        QVERIFY2(at >= 0, qPrintable(name));
        databases->setCurrentIndex(at);
        emit databases->activated(at);
    }

    std::unique_ptr<ui::CCobolTableDlg> cobol(const QString& name, const QString& target, int mode = 0) {
        auto d = std::make_unique<ui::CCobolTableDlg>(*doc, sales);
        d->show();
        if (mode != 0) choose_mode(*d, mode);
        QTest::keyClicks(ui::find_control<QLineEdit>(d.get(), 1014), name);
        ui::find_control<QLineEdit>(d.get(), 1171)->setText("(PAY)SOURCE/TIMECARD");
        QTest::keyClicks(ui::find_control<QLineEdit>(d.get(), 1047), target);
        ui::find_control<QLineEdit>(d.get(), 1048)->setText("(PAY)DATA/TIMECARD ON PAYPACK");
        return d;
    }
    // Clicks the radio button on its mark, where a click always lands whatever the width of its cell.
    static void choose_mode(QDialog& d, int mode) {
        auto* radio = ui::find_control<QRadioButton>(&d, 1073 + mode);
        QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
        QVERIFY(radio->isChecked());
    }
    static QString message(const QDialog& d) { return ui::find_control<QLabel>(&d, 1173)->text(); }

  private slots:
    void initTestCase() {
        host = std::make_unique<testing::InProcessHost>();
        QVERIFY(host->started());
        {
            auto& shared = host->server().host();
            std::lock_guard lock(shared.mutex);
            // A database whose host order is not the sorted one, with a name one character too long.
            hostsim::DescDatabase unsorted;
            unsorted.name = "UNSORTED";
            unsorted.datasets = {{"ZETA", 0}, {"Z-BY-B", 1}, {"Z-BY-A", 1}, {"ALPHA", 0}, {kThirty.toStdString(), 0}};
            shared.state.description_files.at(0).databases.push_back(unsorted);
            // The first record again, found by a sequence number of fewer than six digits.
            auto& records = shared.state.cobol_sources.at(0).records;
            hostsim::CobolRecord by_sequence = records.at(0);
            by_sequence.fd_sequence = 123;
            by_sequence.fd_name = "SEQUENCED-FILE";
            records.push_back(by_sequence);
        }
        hooks = std::make_unique<testing::RecordingUiHooks>();
        seams = std::make_unique<testing::TestSeams>();
        auto session = std::make_unique<hostlink::CHostSession>();
        QCOMPARE(host->login(*session), 0);
        doc = std::make_unique<workspace::CAdminDoc>(std::move(session));
        std::uint32_t reference = 0;
        QCOMPARE(configsvc::open_config(doc->client(), 1, reference), 0);
        sales.file_reference = static_cast<std::int32_t>(reference);
        QCOMPARE(configsvc::get_table_list(doc->client(), doc->pending_unloads(), sales), 0);
        QVERIFY(sales.tables.size() >= 2);
    }

    void cleanupTestCase() {
        QVERIFY(seams->unexpected_dialogs.isEmpty());
        doc.reset();
        seams.reset();
        hooks.reset();
        host.reset();
    }

    void init() {
        hooks->boxes.clear();
        app::admin_app().sort_datasets = 0;
    }

    // --- DMSII Table Selection ---

    void openingListsTheDescriptionFiles() {
        const std::size_t before = sent(12);
        ui::CTableSelectionDlg d(*doc, sales.tables);
        QCOMPARE(d.objectName(), QStringLiteral("dlg_DmsiiTableSelection"));
        QCOMPARE(d.windowTitle(), QStringLiteral("DMSII Table Selection"));
        QCOMPARE(sent(12), before + 1);
        auto* files = ui::find_control<QComboBox>(&d, 1017);
        QVERIFY(files->isEditable());
        QCOMPARE(files->count(), 2);
        QCOMPARE(files->itemText(0), kSalesDescfile);
        QVERIFY(files->currentText().isEmpty());
        QVERIFY(!ui::find_control<QPushButton>(&d, ui::kOkId)->isEnabled());
        QVERIFY(!ui::find_control<QPushButton>(&d, 1020)->isEnabled());
        QVERIFY(!ui::find_control<QPushButton>(&d, 1021)->isEnabled());
        QCOMPARE(ui::find_control<QListWidget>(&d, 1019)->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(ui::find_control<QListWidget>(&d, 1016)->selectionMode(), QAbstractItemView::ExtendedSelection);
    }

    void aRefusedDescriptionFileNameSendsNothing() {
        ui::CTableSelectionDlg d(*doc, sales.tables);
        d.show();
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        auto* files = ui::find_control<QComboBox>(&d, 1017);
        auto* databases = ui::find_control<QComboBox>(&d, 1018);
        const std::size_t before = sent(3);
        for (const char* name : {"", "SALES/DESC ON PACK", "(PROD)SALES/DESC"}) {
            hooks->boxes.clear();
            files->setEditText(name);
            databases->setFocus();
            databases->showPopup();
            QVERIFY(!databases->view()->isVisible());
            QCOMPARE(hooks->boxes.size(), std::size_t{1});
            const std::string expected = *name == '\0'
                                             ? "No description file name given"
                                             : "description file name must include both a usercode and packname";
            QVERIFY2(hooks->boxes[0].find(expected) != std::string::npos, hooks->boxes[0].c_str());
            QVERIFY(files->hasFocus() || files->lineEdit()->hasFocus());
        }
        QCOMPARE(sent(3), before);
        QCOMPARE(databases->count(), 0);
    }

    void datasetsComeInHostOrderUnlessSorted() {
        auto d = dmsii();
        auto* databases = ui::find_control<QComboBox>(d.get(), 1018);
        QCOMPARE(databases->count(), 3);
        QCOMPARE(databases->itemText(2), QStringLiteral("UNSORTED"));
        const std::size_t before = sent(4);
        choose_database(*d, "UNSORTED");
        QCOMPARE(sent(4), before + 1);
        auto* datasets = ui::find_control<QListWidget>(d.get(), 1019);
        QCOMPARE(entries(datasets), (QStringList{"ZETA", "Z-BY-B", "Z-BY-A", "ALPHA", kThirty}));
        QCOMPARE(bold(datasets), (QStringList{"ZETA", "ALPHA", kThirty}));
        // The current database again: nothing is sent and the list stays as it is.
        select(datasets, {"ALPHA"});
        choose_database(*d, "UNSORTED");
        QCOMPARE(sent(4), before + 1);
        QCOMPARE(datasets->selectedItems().size(), 1);

        app::admin_app().sort_datasets = 1;
        auto sorted = dmsii();
        choose_database(*sorted, "UNSORTED");
        QCOMPARE(entries(ui::find_control<QListWidget>(sorted.get(), 1019)),
                 (QStringList{"ALPHA", kThirty, "ZETA", "Z-BY-A", "Z-BY-B"}));
    }

    void copyInsertsTheSelectedEntriesInListOrder() {
        auto d = dmsii();
        choose_database(*d, "SALESDB");
        auto* datasets = ui::find_control<QListWidget>(d.get(), 1019);
        auto* tables = ui::find_control<QListWidget>(d.get(), 1016);
        QCOMPARE(bold(datasets), (QStringList{"CUSTOMER", "ORDERS", "PRODUCT"}));
        select(datasets, {"PRODUCT", "CUST-BY-ID"});
        QVERIFY(ui::find_control<QPushButton>(d.get(), 1020)->isEnabled());
        click(d.get(), 1020);
        QCOMPARE(entries(tables), (QStringList{"CUST_BY_ID", "PRODUCT"}));
        QCOMPARE(bold(tables), QStringList{"PRODUCT"});
        QVERIFY(datasets->selectedItems().isEmpty());
        QVERIFY(!ui::find_control<QPushButton>(d.get(), 1020)->isEnabled());
        QVERIFY(ui::find_control<QPushButton>(d.get(), ui::kOkId)->isEnabled());
        const auto& made = d->model().new_tables();
        QCOMPARE(made[0]->dataset.str(), std::string("CUSTOMER"));
        QCOMPARE(made[0]->set.str(), std::string("CUST-BY-ID"));
        QVERIFY(made[0]->over_a_set);
        QCOMPARE(made[1]->database.str(), std::string("SALESDB"));
        QCOMPARE(made[1]->description_file.str(), kSalesDescfile.toStdString());
        select(tables, {"CUST_BY_ID"});
        const QString look = testing::compare_screenshot(d.get(), "dmsii-table-selection");
        QVERIFY2(look.isEmpty(), qPrintable(look));

        // Delete the selected new tables; with none left OK is off again.
        click(d.get(), 1021);
        QCOMPARE(entries(tables), QStringList{"PRODUCT"});
        QVERIFY(!ui::find_control<QPushButton>(d.get(), 1021)->isEnabled());
        QVERIFY(ui::find_control<QPushButton>(d.get(), ui::kOkId)->isEnabled());
        select(tables, {"PRODUCT"});
        click(d.get(), 1021);
        QCOMPARE(tables->count(), 0);
        QVERIFY(!ui::find_control<QPushButton>(d.get(), ui::kOkId)->isEnabled());
        QCOMPARE(seams->pending_dialogs(), 0);
    }

    // CUSTOMER and ORDERS are tables of the file already: each asks for another name, and Cancel stops Copy All.
    void aDuplicateAsksForANameAndCancelStopsCopyAll() {
        auto d = dmsii();
        choose_database(*d, "SALESDB");
        auto* tables = ui::find_control<QListWidget>(d.get(), 1016);
        NameAnswer first, second;
        seams->next_dialog(answer_name(first, {}));
        click(d.get(), 1022);
        QCOMPARE(first.message, QStringLiteral("*** Duplicate table name ***"));
        QCOMPARE(first.shown, QStringLiteral("CUSTOMER"));
        QCOMPARE(tables->count(), 0);
        QVERIFY(!ui::find_control<QPushButton>(d.get(), ui::kOkId)->isEnabled());

        seams->next_dialog(answer_name(first, "CUSTOMER2"));
        seams->next_dialog(answer_name(second, {}));
        click(d.get(), 1022);
        QCOMPARE(second.shown, QStringLiteral("ORDERS"));
        // PRODUCT, after ORDERS, was not reached.
        QCOMPARE(entries(tables), QStringList{"CUSTOMER2"});
        QCOMPARE(seams->pending_dialogs(), 0);

        // A name the administrator gives that is taken already is asked for again.
        NameAnswer again, third;
        seams->next_dialog(answer_name(again, "customer2"));
        seams->next_dialog(answer_name(third, "ORDERS_NOW"));
        select(ui::find_control<QListWidget>(d.get(), 1019), {"ORDERS"});
        click(d.get(), 1020);
        QCOMPARE(third.message, QStringLiteral("*** Duplicate table name ***"));
        QCOMPARE(third.shown, QStringLiteral("CUSTOMER2"));
        QCOMPARE(entries(tables), (QStringList{"CUSTOMER2", "ORDERS_NOW"}));
    }

    void aThirtyCharacterNameIsShownWholeInTheNameDialog() {
        auto d = dmsii();
        choose_database(*d, "UNSORTED");
        auto* datasets = ui::find_control<QListWidget>(d.get(), 1019);
        NameAnswer seen;
        seams->next_dialog(answer_name(seen, "LONG_DATASET_NAME"));
        const auto found = datasets->findItems(kThirty, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        const QRect at = datasets->visualItemRect(found.front());
        QTest::mouseClick(datasets->viewport(), Qt::LeftButton, {}, at.center());
        QTest::mouseDClick(datasets->viewport(), Qt::LeftButton, {}, at.center());
        QCOMPARE(seen.message, QStringLiteral("*** Table name length cannot exceed 29 characters ***"));
        QCOMPARE(seen.shown, QStringLiteral("LONG_DATASET_NAME_OF_THIRTY_CH"));
        QCOMPARE(seen.shown.size(), 30);
        QVERIFY(seen.whole);
        QCOMPARE(entries(ui::find_control<QListWidget>(d.get(), 1016)), QStringList{"LONG_DATASET_NAME"});
        QVERIFY(datasets->selectedItems().isEmpty());
    }

    void okHandsTheNewTablesToTheCaller() {
        auto d = dmsii();
        choose_database(*d, "SALESHIST");
        select(ui::find_control<QListWidget>(d.get(), 1019), {"ORDER-HISTORY"});
        click(d.get(), 1020);
        click(d.get(), ui::kOkId);
        QCOMPARE(d->result(), int(QDialog::Accepted));
        const configsvc::TableList made = d->take_new_tables();
        QCOMPARE(made.size(), std::size_t{1});
        QCOMPARE(made[0]->name.str(), std::string("ORDER_HISTORY"));
    }

    // --- COBOL Table Selection ---

    void aCobolTableIsLoadedWrittenListedAddedAndUnloaded() {
        auto d = cobol("time cards", "TIMECARD-FILE");
        QCOMPARE(d->objectName(), QStringLiteral("dlg_115"));
        QCOMPARE(d->windowTitle(), QStringLiteral("COBOL Table Selection"));
        QCOMPARE(ui::find_control<QLabel>(d.get(), 1172)->text(), QStringLiteral("Name of FD"));
        QVERIFY(ui::find_control<QRadioButton>(d.get(), 1073)->isChecked());
        host->requests().clear();
        click(d.get(), ui::kOkId);
        QCOMPARE(codes(), (std::vector<int>{43, 44, 25, 21, 24}));
        QVERIFY2(hooks->boxes.empty(), hooks->boxes.empty() ? "" : hooks->boxes[0].c_str());
        QCOMPARE(d->result(), int(QDialog::Accepted));
        const auto made = d->take_new_tables();
        QCOMPARE(made.size(), std::size_t{1});
        QCOMPARE(made[0]->name.str(), std::string("TIMECARDS"));
        QVERIFY(configsvc::is_cobol_table(*made[0]));
        QCOMPARE(made[0]->database.str(), std::string("TIMECARD-FILE"));
        QVERIFY(made[0]->table_number > 0);
    }

    void aSequenceNumberIsPaddedToSixDigits() {
        auto d = cobol("sequenced", "123", 2);
        QCOMPARE(ui::find_control<QLabel>(d.get(), 1172)->text(), QStringLiteral("Sequence Number of FD"));
        host->requests().clear();
        click(d.get(), ui::kOkId);
        QCOMPARE(d->result(), int(QDialog::Accepted));
        const auto log = host->requests().entries();
        QVERIFY(!log.empty());
        QCOMPARE(log[0].code, 43);
        QVERIFY2(log[0].body.find("2006000123") != std::string::npos, log[0].body.c_str());
        QCOMPARE(ui::find_control<QLineEdit>(d.get(), 1047)->text(), QStringLiteral("000123"));
        QCOMPARE(d->take_new_tables().at(0)->database.str(), std::string("000123"));
    }

    void aTargetWithALetterIsAnFdNameButNotASequenceNumber() {
        auto d = cobol("lettered", "12A", 2);
        d->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(d.get()));
        const std::size_t before = sent(43);
        const int beeps = seams->beeps;
        click(d.get(), ui::kOkId);
        QCOMPARE(message(*d), QStringLiteral("**Non-digit in sequence number target**"));
        QVERIFY(ui::find_control<QLineEdit>(d.get(), 1047)->hasFocus());
        QCOMPARE(seams->beeps, beeps + 1);
        QCOMPARE(sent(43), before);
        QVERIFY(d->isVisible());

        // As an FD name it passes every check and goes to the host, which knows no such record.
        choose_mode(*d, 0);
        QCOMPARE(ui::find_control<QLabel>(d.get(), 1172)->text(), QStringLiteral("Name of FD"));
        click(d.get(), ui::kOkId);
        QCOMPARE(sent(43), before + 1);
        QCOMPARE(hooks->boxes.size(), std::size_t{1});
        QVERIFY2(hooks->boxes[0].find("COBOL RECORD NOT FOUND") != std::string::npos, hooks->boxes[0].c_str());
        QCOMPARE(message(*d), QString());
        QVERIFY(d->isVisible());
        QCOMPARE(d->result(), 0);
    }

    void aNameOfTheFileIsADuplicateWhateverItsCase() {
        auto d = cobol("orders", "TIMECARD-FILE");
        d->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(d.get()));
        const std::size_t before = sent(43);
        click(d.get(), ui::kOkId);
        QCOMPARE(message(*d), QStringLiteral("**Duplicate Table Name**"));
        QVERIFY(ui::find_control<QLineEdit>(d.get(), 1014)->hasFocus());
        QCOMPARE(ui::find_control<QLineEdit>(d.get(), 1014)->text(), QStringLiteral("ORDERS"));
        QCOMPARE(sent(43), before);
        // The message stays until the next OK, which checks afresh.
        ui::find_control<QLineEdit>(d.get(), 1014)->setText("my table-1");
        ui::find_control<QLineEdit>(d.get(), 1048)->clear();
        click(d.get(), ui::kOkId);
        QCOMPARE(ui::find_control<QLineEdit>(d.get(), 1014)->text(), QStringLiteral("MYTABLE_1"));
        QCOMPARE(message(*d), QStringLiteral("**You must enter a data file name**"));
        QVERIFY(ui::find_control<QLineEdit>(d.get(), 1048)->hasFocus());
    }

    void anOkRetriedAfterARefusedWriteAddsTheTableOnce() {
        auto& shared = host->server().host();
        {
            std::lock_guard lock(shared.mutex);
            shared.state.cobol_sources.at(0).records.at(0).option = -1;
        }
        auto d = cobol("retried", "TIMECARD-FILE");
        host->requests().clear();
        click(d.get(), ui::kOkId);
        QCOMPARE(codes(), (std::vector<int>{43, 44, 24}));
        QCOMPARE(hooks->boxes.size(), std::size_t{1});
        QVERIFY2(hooks->boxes[0].find("CANNOT WRITE TABLE DESCRIPTION") != std::string::npos, hooks->boxes[0].c_str());
        QVERIFY(d->isVisible());
        QCOMPARE(message(*d), QString());
        {
            std::lock_guard lock(shared.mutex);
            shared.state.cobol_sources.at(0).records.at(0).option = 4;
        }
        host->requests().clear();
        click(d.get(), ui::kOkId);
        QCOMPARE(codes(), (std::vector<int>{43, 44, 25, 21, 24}));
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QCOMPARE(d->take_new_tables().size(), std::size_t{1});
        model::CConfigFile reread;
        reread.file_reference = sales.file_reference;
        configsvc::CPendingUnloadList pending;
        QCOMPARE(configsvc::get_table_list(doc->client(), pending, reread), 0);
        const auto named = std::count_if(reread.tables.begin(), reread.tables.end(),
                                         [](const auto& t) { return t->name == "RETRIED"; });
        QCOMPARE(named, 1);
    }

    void theInformationViewIsReadOnlyAndSendsNothing() {
        model::CConfigTable table;
        table.name.assign("TIMECARDS");
        table.dataset.assign(configsvc::kCobolDataset);
        table.database.assign("000123");
        table.description_file.assign("(PAY)SOURCE/TIMECARD");
        QVERIFY(configsvc::is_cobol_table(table));
        host->requests().clear();
        ui::CCobolTableDlg d(table);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QCOMPARE(d.objectName(), QStringLiteral("dlg_115"));
        QVERIFY(d.property("readOnly").toBool());
        QCOMPARE(ui::find_control<QLineEdit>(&d, 1014)->text(), QStringLiteral("TIMECARDS"));
        QCOMPARE(ui::find_control<QLineEdit>(&d, 1171)->text(), QStringLiteral("(PAY)SOURCE/TIMECARD"));
        QCOMPARE(ui::find_control<QLineEdit>(&d, 1047)->text(), QStringLiteral("000123"));
        QVERIFY(ui::find_control<QLineEdit>(&d, 1048)->text().isEmpty());
        QVERIFY(ui::find_control<QLineEdit>(&d, 1049)->text().isEmpty());
        for (int id : {1014, 1171, 1047, 1048, 1049}) QVERIFY(ui::find_control<QLineEdit>(&d, id)->isReadOnly());
        for (int id = 1073; id <= 1076; ++id) {
            auto* radio = ui::find_control<QRadioButton>(&d, id);
            QVERIFY(!radio->isChecked());
            QVERIFY(!radio->isEnabled());
        }
        QVERIFY(ui::find_control(&d, ui::kOkId) == nullptr);
        auto* close = ui::find_control<QPushButton>(&d, ui::kCancelId);
        QCOMPARE(close->text().remove('&'), QStringLiteral("Close"));
        QTest::mouseClick(close, Qt::LeftButton);
        QVERIFY(!d.isVisible());
        QVERIFY(host->requests().entries().empty());
    }
};

KESTRA_QTEST_MAIN(TableSelectionTest)
#include "table_selection_test.moc"
