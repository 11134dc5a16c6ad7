// The Get Files and Put Files windows against the test host in this process: files fetched into an archive and
// read back, a list that fails half-way, list-file errors, an older host, the progress the bar shows, Put of a
// selection, broken archives, Enter in the name edit, and the bar's drawing. One login serves the class.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "app/admin_app.h"
#include "archive/archive_reader.h"
#include "hostlink/host_session.h"
#include "qtest_support.h"
#include "support/inprocess_host.h"
#include "support/recording_ui_hooks.h"
#include "ui/admin_frame.h"
#include "ui/archive_commands.h"
#include "ui/command_actions.h"
#include "ui/main_frame.h"
#include "ui/object_names.h"
#include "ui/progress_bar.h"
#include "workspace/command_ids.h"

using namespace kestra;
namespace cmd = kestra::workspace::cmd;

namespace {

const QString kDaily = QStringLiteral("(PROD)REPORT/DAILY ON DISK");
const QString kEmpty = QStringLiteral("(PROD)EMPTY ON DISK");
const QString kBig = QStringLiteral("(TEST)BIG/FILE ON DISK");
constexpr std::int64_t kBigSize = 2 * 1024 * 1024;

QPushButton* button(QDialog& d, int id) {
    return ui::find_control<QPushButton>(&d, id);
}

// Types into the name edit and presses Get.
void get(QDialog& d, const QString& text) {
    auto* edit = ui::find_control<QLineEdit>(&d, 1175);
    edit->setText(text);
    QTest::mouseClick(button(d, 3), Qt::LeftButton);
}

int save(QDialog& d) {
    QTest::mouseClick(button(d, ui::kOkId), Qt::LeftButton);
    return d.result();
}

int cancel(QDialog& d) {
    QTest::mouseClick(button(d, ui::kCancelId), Qt::LeftButton);
    return d.result();
}

// Close to a colour, but not it: an anti-aliased text pixel.
bool near(const QColor& c, const QColor& target) {
    const int d =
        std::abs(c.red() - target.red()) + std::abs(c.green() - target.green()) + std::abs(c.blue() - target.blue());
    return d > 0 && d < 200;
}

int count_near(const QImage& image, const QColor& target) {
    int n = 0;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y) n += near(image.pixelColor(x, y), target) ? 1 : 0;
    return n;
}

// Every value the bar painted, in order.
class PaintProbe : public QObject {
  public:
    explicit PaintProbe(ui::CProgressBar* bar) : bar_(bar) { bar->installEventFilter(this); }
    QList<int> values;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && (values.isEmpty() || values.back() != bar_->value()))
            values << bar_->value();
        return false;
    }

  private:
    ui::CProgressBar* bar_;
};

std::vector<std::string> archived_names(const std::string& path) {
    archive::ArchiveReader reader;
    std::string error;
    if (!reader.open(path, error)) return {error};
    std::vector<std::string> names;
    for (const auto& e : reader.entries()) names.push_back(e.header.name);
    return names;
}

std::string archived_data(const std::string& path, std::size_t index) {
    archive::ArchiveReader reader;
    std::string error;
    if (!reader.open(path, error) || index >= reader.entries().size()) return "?";
    std::string out(static_cast<std::size_t>(reader.entries()[index].size), '\0');
    if (!reader.read_data(index, 0, {reinterpret_cast<std::uint8_t*>(out.data()), out.size()}, error)) return "?";
    return out;
}

std::string host_contents(testing::InProcessHost& host, const std::string& name) {
    std::lock_guard lock(host.server().host().mutex);
    for (const auto& f : host.server().host().state.host_files) {
        if (f.name != name) continue;
        std::string out(static_cast<std::size_t>(hostsim::host_file_size(f.attributes)), '\0');
        hostsim::host_file_bytes(f, 0, out.size(), reinterpret_cast<std::uint8_t*>(out.data()));
        return out;
    }
    return "?";
}

// How many first get requests named the file.
std::size_t first_requests(testing::InProcessHost& host, const std::string& name) {
    std::size_t n = 0;
    for (const auto& e : host.requests().entries())
        if ((e.code == 57 || e.code == 49) && e.body.find(name) != std::string::npos) ++n;
    return n;
}

}  // namespace

class TransferWindowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::InProcessHost> host;
    std::unique_ptr<testing::RecordingUiHooks> hooks;
    std::unique_ptr<testing::TestSeams> seams;
    std::unique_ptr<hostlink::CHostSession> session;
    std::unique_ptr<QWidget> main;

    std::string archive_path(const char* name) const { return host->dir().file(name); }

    // Fetches the named files into a new archive and saves it.
    void make_archive(const std::string& path, const QStringList& names) {
        seams->file_answers.push_back(QString::fromStdString(path));
        seams->next_dialog([&](QDialog& d) {
            for (const QString& n : names) get(d, n);
            return save(d);
        });
        ui::get_files_from_host(*session, main.get());
    }

  private slots:
    void initTestCase() {
        testing::InProcessHost::Setup setup;
        setup.adjust = [](hostsim::ServerOptions&) {};
        host = std::make_unique<testing::InProcessHost>(setup);
        QVERIFY(host->started());
        {
            hostsim::HostFile big;
            big.name = kBig.toStdString();
            big.attributes.frame_size = 8;
            big.attributes.record_size = 1024;
            big.attributes.record_count = kBigSize / 1024;
            big.generated_seed = 11;
            std::lock_guard lock(host->server().host().mutex);
            host->server().host().state.host_files.push_back(big);
        }
        hooks = std::make_unique<testing::RecordingUiHooks>();
        seams = std::make_unique<testing::TestSeams>();
        session = std::make_unique<hostlink::CHostSession>();
        QCOMPARE(host->login(*session), std::int16_t{0});
        main = std::make_unique<QWidget>();
        main->resize(400, 300);
        main->show();
    }

    void cleanupTestCase() {
        if (session) session->host_logout();
        session.reset();
        main.reset();
        QVERIFY(seams->unexpected_dialogs.isEmpty());
        seams.reset();
        hooks.reset();
        host.reset();
    }

    void init() {
        hooks->boxes.clear();
        seams->beeps = 0;
        seams->file_requests.clear();
    }

    void oneFileIsFetchedSavedAndReadBack() {
        const std::string path = archive_path("one.kba");
        seams->file_answers.push_back(QString::fromStdString(path));
        QString status_during;
        seams->next_dialog([&](QDialog& d) {
            if (d.objectName() != "dlg_GetFiles") return -1;
            if (ui::find_control<QLabel>(&d, 1174)->text() != QString::fromStdString(path)) return -2;
            get(d, kDaily);
            status_during = ui::find_control<QLabel>(&d, 1177)->text();
            if (!ui::find_control<QLineEdit>(&d, 1175)->text().isEmpty()) return -3;
            if (d.findChild<ui::CProgressBar*>("ctl_1176")->value() != 100) return -4;
            return save(d);
        });
        ui::get_files_from_host(*session, main.get());
        QCOMPARE(seams->file_requests.size(), std::size_t{1});
        QCOMPARE(seams->file_requests[0].caption, QString("Save Brisel Software Archive"));
        QVERIFY(seams->file_requests[0].save);
        QVERIFY(status_during.isEmpty());  // cleared once the file is in
        QCOMPARE(seams->beeps, 1);
        QVERIFY(hooks->boxes.empty());
        QCOMPARE(archived_names(path), std::vector<std::string>{kDaily.toStdString()});
        QCOMPARE(archived_data(path, 0), std::string("DAILY SALES 001\nTOTAL 000012345\n"));
        QCOMPARE(hooks->waiting(), 0);
    }

    void aListWhoseSecondFileFailsKeepsTheFirstAndNeverAsksForTheThird() {
        const std::string path = archive_path("list.kba");
        const std::string list = host->dir().write(
            "names.txt", kDaily.toStdString() + "\n(PROD)NO/SUCH ON DISK\n" + kEmpty.toStdString() + "\n");
        host->requests().clear();
        seams->file_answers.push_back(QString::fromStdString(path));
        bool enabled_after = false;
        seams->next_dialog([&](QDialog& d) {
            get(d, "@" + QString::fromStdString(list));
            enabled_after = button(d, 3)->isEnabled() && button(d, ui::kOkId)->isEnabled();
            return save(d);
        });
        ui::get_files_from_host(*session, main.get());
        QVERIFY(enabled_after);
        QCOMPARE(hooks->boxes.size(), std::size_t{1});
        QCOMPARE(first_requests(*host, "NO/SUCH"), std::size_t{1});
        QCOMPARE(first_requests(*host, "EMPTY"), std::size_t{0});
        QCOMPARE(archived_names(path), std::vector<std::string>{kDaily.toStdString()});
    }

    void aMissingListFileIsNamedAndCancelDeletesTheArchive() {
        const std::string path = archive_path("missing.kba");
        const std::string list = host->dir().file("absent.txt");
        host->requests().clear();
        seams->file_answers.push_back(QString::fromStdString(path));
        seams->next_dialog([&](QDialog& d) {
            get(d, "@" + QString::fromStdString(list));
            return cancel(d);
        });
        ui::get_files_from_host(*session, main.get());
        QCOMPARE(hooks->boxes.size(), std::size_t{1});
        QVERIFY(hooks->boxes[0].find("Cannot open list file " + list) != std::string::npos);
        QCOMPARE(first_requests(*host, "ON DISK"), std::size_t{0});
        QVERIFY(!std::filesystem::exists(path));
        QCOMPARE(seams->beeps, 0);
    }

    void enterInTheNameEditGetsAndNeverSaves() {
        const std::string path = archive_path("enter.kba");
        seams->file_answers.push_back(QString::fromStdString(path));
        int result_after_enter = -1;
        seams->next_dialog([&](QDialog& d) {
            auto* edit = ui::find_control<QLineEdit>(&d, 1175);
            edit->setFocus();
            QTest::keyClicks(edit, kDaily);
            QTest::keyClick(edit, Qt::Key_Return);
            result_after_enter = d.isVisible() ? 0 : 1;
            // With the edit empty Enter is Save.
            QTest::keyClick(edit, Qt::Key_Return);
            return d.result();
        });
        ui::get_files_from_host(*session, main.get());
        QCOMPARE(result_after_enter, 0);
        QCOMPARE(seams->beeps, 1);
        QCOMPARE(archived_names(path), std::vector<std::string>{kDaily.toStdString()});
    }

    void progressIsWholeNeverFallsAndEndsAt100() {
        const std::string path = archive_path("big.kba");
        seams->file_answers.push_back(QString::fromStdString(path));
        QList<int> big_values, empty_values;
        seams->next_dialog([&](QDialog& d) {
            auto* bar = d.findChild<ui::CProgressBar*>("ctl_1176");
            {
                PaintProbe probe(bar);
                get(d, kBig);
                big_values = probe.values;
            }
            // Hidden between the files, so the empty file's one value shows.
            bar->set_value(-1);
            {
                PaintProbe probe(bar);
                get(d, kEmpty);
                empty_values = probe.values;
            }
            return save(d);
        });
        ui::get_files_from_host(*session, main.get());
        QVERIFY(big_values.size() > 20);
        QCOMPARE(big_values.back(), 100);
        for (int i = 1; i < big_values.size(); ++i) QVERIFY(big_values[i] >= big_values[i - 1]);
        QCOMPARE(empty_values, QList<int>{100});
        QCOMPARE(archived_data(path, 0), host_contents(*host, kBig.toStdString()));
    }

    // Between the files of a list the window repaints: buttons off, the bar at the last file's end.
    void theWindowDuringAList() {
        const std::string path = archive_path("during.kba");
        const std::string list =
            host->dir().write("two.txt", kDaily.toStdString() + "\n" + kEmpty.toStdString() + "\n");
        seams->file_answers.push_back(QString::fromStdString(path));
        QString problem = "not shot";
        bool buttons_off = false;
        seams->next_dialog([&](QDialog& d) {
            // Runs from the event loop the list turns between its files.
            QTimer::singleShot(0, &d, [&] {
                buttons_off = !button(d, 3)->isEnabled() && !button(d, ui::kOkId)->isEnabled();
                problem = testing::compare_screenshot(&d, "get-files-during-list", 0.05);
            });
            ui::find_control<QLineEdit>(&d, 1175)->setText("@" + QString::fromStdString(list));
            QTest::mouseClick(button(d, 3), Qt::LeftButton);
            return save(d);
        });
        ui::get_files_from_host(*session, main.get());
        QVERIFY(buttons_off);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QCOMPARE(archived_names(path).size(), std::size_t{2});
    }

    // Escape and closing while a list runs: the window stays until the file under way is in, the rest of the list
    // is never asked for, and the window then ends cancelled, which deletes the archive.
    void escapeDuringAListEndsTheWindowAfterTheFileUnderWay() {
        const std::string path = archive_path("escape.kba");
        const std::string list = host->dir().write(
            "three.txt", kDaily.toStdString() + "\n(PROD)DATA/WORDS ON DISK\n" + kEmpty.toStdString() + "\n");
        host->requests().clear();
        seams->file_answers.push_back(QString::fromStdString(path));
        bool open_after_escape = false;
        int result = -1;
        seams->next_dialog([&](QDialog& d) {
            QTimer::singleShot(0, &d, [&] {
                QTest::keyClick(&d, Qt::Key_Escape);
                d.close();
                open_after_escape = d.isVisible() && d.result() == 0;
            });
            ui::find_control<QLineEdit>(&d, 1175)->setText("@" + QString::fromStdString(list));
            QTest::mouseClick(button(d, 3), Qt::LeftButton);
            result = d.result();
            return result;
        });
        ui::get_files_from_host(*session, main.get());
        QVERIFY(open_after_escape);
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(first_requests(*host, "DAILY"), std::size_t{1});
        QCOMPARE(first_requests(*host, "WORDS"), std::size_t{0});
        QVERIFY(!std::filesystem::exists(path));
        QCOMPARE(seams->beeps, 0);
    }

    void putSendsTwoEntriesInListOrderAndDeselectsThem() {
        const std::string path = archive_path("put.kba");
        make_archive(path, {kDaily, "(PROD)DATA/WORDS ON DISK"});
        const std::string daily = host_contents(*host, kDaily.toStdString());
        const std::string words = host_contents(*host, "(PROD)DATA/WORDS ON DISK");
        {
            // The host's copies change, so the put must bring the originals back.
            std::lock_guard lock(host->server().host().mutex);
            for (auto& f : host->server().host().state.host_files)
                if (f.name == kDaily.toStdString()) f.contents = std::string(daily.size(), 'x');
        }
        host->requests().clear();
        seams->file_answers.push_back(QString::fromStdString(path));
        QStringList rows;
        int selected_after = -1, bar_after = 0;
        seams->next_dialog([&](QDialog& d) {
            if (d.objectName() != "dlg_PutFiles") return -1;
            auto* list = ui::find_control<QListWidget>(&d, 1003);
            for (int i = 0; i < list->count(); ++i) rows << list->item(i)->text();
            list->item(1)->setSelected(true);
            list->item(0)->setSelected(true);
            QTest::mouseClick(button(d, ui::kOkId), Qt::LeftButton);
            selected_after = static_cast<int>(list->selectedItems().size());
            bar_after = d.findChild<ui::CProgressBar*>("ctl_1176")->value();
            if (!d.isVisible()) return -2;  // Put leaves the window open
            return cancel(d);
        });
        ui::put_files_onto_host(*session, main.get());
        QCOMPARE(rows, (QStringList{kDaily, "(PROD)DATA/WORDS ON DISK"}));
        QCOMPARE(selected_after, 0);
        QCOMPARE(bar_after, -1);
        QVERIFY(hooks->boxes.empty());
        std::vector<std::string> order;
        for (const auto& e : host->requests().entries())
            if (e.code == 50 && e.body.size() > 4 && e.body.find("ON DISK") != std::string::npos)
                order.push_back(e.body.substr(4, e.body.find(" ON DISK") + 8 - 4));
        QCOMPARE(order, (std::vector<std::string>{kDaily.toStdString(), "(PROD)DATA/WORDS ON DISK"}));
        QCOMPARE(host_contents(*host, kDaily.toStdString()), daily);
        QCOMPARE(host_contents(*host, "(PROD)DATA/WORDS ON DISK"), words);
    }

    void aTenByteFileIsNotAnArchive() {
        seams->file_answers.push_back(QString::fromStdString(host->dir().write("ten.kba", "0123456789")));
        ui::put_files_onto_host(*session, main.get());
        QCOMPARE(hooks->boxes, std::vector<std::string>{"Not an archive file"});
        QVERIFY(!seams->dialogs_run.contains("dlg_PutFiles") || seams->pending_dialogs() == 0);
        QCOMPARE(seams->file_requests[0].caption, QString("Open Brisel Software Archive"));
        QVERIFY(seams->file_requests[0].must_exist);
    }

    void aBrokenEntryIsListedAndRefusedAlone() {
        const std::string path = archive_path("broken.kba");
        make_archive(path, {kEmpty, kDaily});
        std::filesystem::resize_file(path, std::filesystem::file_size(path) - 5);
        host->requests().clear();
        seams->file_answers.push_back(QString::fromStdString(path));
        QString broken_row;
        int selected_after = -1;
        seams->next_dialog([&](QDialog& d) {
            auto* list = ui::find_control<QListWidget>(&d, 1003);
            broken_row = list->item(1)->text();
            list->selectAll();
            QTest::mouseClick(button(d, ui::kOkId), Qt::LeftButton);
            selected_after = static_cast<int>(list->selectedItems().size());
            return cancel(d);
        });
        ui::put_files_onto_host(*session, main.get());
        QVERIFY(broken_row.startsWith("(unreadable: "));
        QCOMPARE(hooks->boxes.size(), std::size_t{1});
        // The readable entry went and was deselected; the broken one stays selected, nothing of it sent.
        QCOMPARE(selected_after, 1);
        QCOMPARE(host->requests().count(2, 50), std::size_t{2});
    }

    void theBarDrawsItsShareInBlueAndTheRestInWhite() {
        QWidget back;
        back.setAutoFillBackground(true);
        QPalette palette = back.palette();
        palette.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
        back.setPalette(palette);
        auto* bar = new ui::CProgressBar(&back);
        bar->setGeometry(0, 0, 202, 24);
        back.resize(202, 24);
        back.show();
        QVERIFY(QTest::qWaitForWindowExposed(&back));
        const QColor blue(0, 0, 255);
        for (int value : {-1, 0, 37, 100}) {
            bar->set_value(value);
            const QImage image = back.grab().toImage();
            const QString problem = testing::compare_screenshot(&back, QStringLiteral("progress-%1").arg(value));
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
            int blue_pixels = 0, white_pixels = 0, other = 0;
            for (int x = 0; x < image.width(); ++x)
                for (int y = 0; y < image.height(); ++y) {
                    const QColor c = image.pixelColor(x, y);
                    if (c == blue)
                        ++blue_pixels;
                    else if (c == QColor(Qt::white))
                        ++white_pixels;
                    else
                        ++other;
                }
            if (value < 0) {
                QCOMPARE(blue_pixels + white_pixels, 0);
                continue;
            }
            // Inner width 200: at 37 the fill ends at x = 1 + 74.
            const int mid = image.height() / 2;
            const int inner = image.width() - 2;
            if (value == 37) {
                QCOMPARE(image.pixelColor(1 + inner * 30 / 100, 2), blue);
                QCOMPARE(image.pixelColor(1 + inner * 50 / 100, 2), QColor(Qt::white));
            }
            // The text: bluish on white at 0, whitish on blue at 100 (anti-aliased, so not the exact colours).
            if (value == 0) QVERIFY(count_near(image, blue) > 10);
            if (value == 100) QVERIFY(count_near(image, QColor(Qt::white)) > 10);
            QCOMPARE(image.pixelColor(0, mid), QColor(0xC0, 0xC0, 0xC0));
            QVERIFY(other > 0);  // anti-aliased text edges at least
        }
        // At 37 the text straddles the edge and shows in both colours.
        bar->set_value(37);
        bar->resize(60, 24);
        back.resize(60, 24);
        const QImage narrow = back.grab().toImage();
        bool white_on_blue = false, blue_on_white = false;
        const int edge = 1 + 58 * 37 / 100;
        for (int y = 1; y < narrow.height() - 1; ++y) {
            for (int x = 1; x < edge; ++x) white_on_blue |= near(narrow.pixelColor(x, y), QColor(Qt::white));
            for (int x = edge; x < narrow.width() - 1; ++x) blue_on_white |= near(narrow.pixelColor(x, y), blue);
        }
        QVERIFY(white_on_blue);
        QVERIFY(blue_on_white);
    }
    // The commands of the active connection window: Get Files only while downloads are allowed; each opens its
    // file dialog.
    void theCommandsFollowAllowDownloadsAndRunOnTheActiveWindow() {
        app::admin_app().allow_downloads = 0;
        auto frame = std::make_unique<ui::CMainFrame>(host->ini());
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        seams->next_dialog(testing::log_in_as_admin);
        QVERIFY(frame->new_connection() != nullptr);
        QVERIFY(!frame->commands().action(cmd::kGetFiles)->isEnabled());
        QVERIFY(frame->commands().action(cmd::kPutFiles)->isEnabled());
        app::admin_app().allow_downloads = 1;
        frame->update_commands();
        QVERIFY(frame->commands().action(cmd::kGetFiles)->isEnabled());
        frame->run_command(cmd::kGetFiles);
        frame->run_command(cmd::kPutFiles);
        QCOMPARE(seams->file_requests.size(), std::size_t{2});
        QCOMPARE(seams->file_requests[0].caption, QString("Save Brisel Software Archive"));
        QCOMPARE(seams->file_requests[0].filter, QString("Archives (*.kba *.KBA)"));
        QCOMPARE(seams->file_requests[0].default_suffix, QString("KBA"));
        QCOMPARE(seams->file_requests[1].caption, QString("Open Brisel Software Archive"));
        // The connection window goes first (it logs out), while the main window is whole.
        QPointer<ui::CAdminFrame> window(frame->active_connection());
        window->close();
        QTRY_VERIFY(window.isNull());
        frame->close();
        frame.reset();
        app::admin_app().allow_downloads = 0;
    }

    // Last: the provider reads its paths when its first user starts it, so the class's session logs out first.
    void anOlderHostIsStillServed() {
        session->host_logout();
        session.reset();
        testing::InProcessHost::Setup setup;
        setup.adjust = [](hostsim::ServerOptions& o) { o.older_host = true; };
        testing::InProcessHost older(setup);
        QVERIFY(older.started());
        hostlink::CHostSession old_session;
        QCOMPARE(older.login(old_session), std::int16_t{0});
        const std::string path = archive_path("older.kba");
        seams->file_answers.push_back(QString::fromStdString(path));
        seams->next_dialog([&](QDialog& d) {
            get(d, kDaily);
            return save(d);
        });
        ui::get_files_from_host(old_session, main.get());
        old_session.host_logout();
        QCOMPARE(archived_data(path, 0), std::string("DAILY SALES 001\nTOTAL 000012345\n"));
        QVERIFY(older.requests().count(2, 49) > 0);
    }
};

KESTRA_QTEST_MAIN(TransferWindowsTest)
#include "transfer_windows_test.moc"
