// The desktop program from start to exit against the test host in this process, as a user goes through it: each
// step drives the real windows with clicks and keys, the seams answering only what a user would type or pick. After
// each step the active window is grabbed, its layout checked and the image compared with its reference; at the end
// the host's stored state must be exactly what the steps did. A second variant uses the keyboard alone.
//
// Each variant logs in once: a login and a logout drain the line for about a second each.
//
// The screenshots go to $KESTRA_WALKTHROUGH_DIR when it is set (scripts/demo --tour), else to
// build/screenshots/walkthrough (a suffix for other scales and platforms, so parallel runs keep their own).
#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <nlohmann/json.hpp>

#include "app/admin_app.h"
#include "qtest_support.h"
#include "support/inprocess_host.h"
#include "support/recording_ui_hooks.h"
#include "support/temp_dir.h"
#include "ui/admin_frame.h"
#include "ui/admin_view.h"
#include "ui/client_config_view.h"
#include "ui/command_actions.h"
#include "ui/main_frame.h"
#include "ui/object_names.h"
#include "ui/settings_dialogs.h"
#include "workspace/admin_doc.h"
#include "workspace/command_ids.h"

using namespace kestra;
namespace cmd = kestra::workspace::cmd;
using model::CServerNode;

namespace {

const std::string kSales = "(PROD)SALES ON DBPACK";
const std::string kPayroll = "(PAY)PAYROLL ON PAYPACK";
const std::string kArchive = "(PROD)SALES/ARCHIVE ON DBPACK";
const QString kDaily = QStringLiteral("(PROD)REPORT/DAILY ON DISK");

// Mode buttons and list buttons of the configuration view.
constexpr int kTablesMode = 1002;
constexpr int kApplicationsMode = 1003;
constexpr int kLimitsMode = 1004;
constexpr int kGlobalMode = 1011;
constexpr int kNewButton = 1007;
constexpr int kEditButton = 1009;

// Dialogs that are not OK/Cancel windows, and why they need neither button.
bool exempt_from_buttons(const QString& name) {
    // The preview is a viewer with a toolbar; Escape or its close box ends it.
    return name == QStringLiteral("dlg_PrintPreview");
}

QString describe(const QWidget* w) {
    QString text;
    if (auto* label = qobject_cast<const QLabel*>(w)) text = label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(w)) text = button->text();
    return QStringLiteral("%1 %2 \"%3\"").arg(QString::fromLatin1(w->metaObject()->className()), w->objectName(), text);
}

// The widest line of a caption as drawn: mnemonic ampersands take no room.
int caption_width(const QFontMetrics& metrics, QString text, bool mnemonic) {
    if (mnemonic) {
        text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
        text.remove(QLatin1Char('&'));
        text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    }
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

// A tool button in a toolbar draws its icon alone; its text is the tooltip.
bool shows_text(const QAbstractButton* button) {
    auto* tool = qobject_cast<const QToolButton*>(button);
    return tool == nullptr || tool->toolButtonStyle() != Qt::ToolButtonIconOnly || tool->icon().isNull();
}

// Widgets whose children are placed by the widget itself, not by a layout a dialog author wrote: scrolled
// contents move past the viewport, MDI windows overlap by design, a combo box's popup lives apart.
bool children_exempt(const QWidget* w) {
    if (qobject_cast<const QMdiArea*>(w) != nullptr) return true;
    if (auto* parent = w->parentWidget()) {
        if (auto* area = qobject_cast<const QAbstractScrollArea*>(parent); area != nullptr && area->viewport() == w)
            return true;
    }
    return qobject_cast<const QComboBox*>(w) != nullptr || qobject_cast<const QMenuBar*>(w) != nullptr;
}

// Every visible control inside its window and clear of its siblings; no caption cut short.
void check_layout(const QWidget* window, const QWidget* parent, QStringList& problems) {
    const QRect bounds = window->rect();
    QList<const QWidget*> shown;
    for (QObject* child : parent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w == nullptr || w->isWindow() || !w->isVisibleTo(window)) continue;
        shown.push_back(w);
        const QRect in_window(w->mapTo(window, QPoint(0, 0)), w->size());
        if (!bounds.contains(in_window))
            problems << QStringLiteral("%1 at %2,%3 %4x%5 leaves its window %6x%7")
                            .arg(describe(w))
                            .arg(in_window.x())
                            .arg(in_window.y())
                            .arg(in_window.width())
                            .arg(in_window.height())
                            .arg(bounds.width())
                            .arg(bounds.height());
        if (auto* label = qobject_cast<const QLabel*>(w)) {
            const bool plain = label->textFormat() == Qt::PlainText ||
                               (label->textFormat() == Qt::AutoText && !Qt::mightBeRichText(label->text()));
            if (plain && !label->wordWrap() && !label->text().isEmpty()) {
                const int room =
                    label->contentsRect().width() - 2 * std::max(label->margin(), 0) - std::max(label->indent(), 0);
                if (caption_width(label->fontMetrics(), label->text(), label->buddy() != nullptr) > room)
                    problems << describe(w) + QStringLiteral(" is cut short (%1 pixels for its text)").arg(room);
            }
        } else if (auto* button = qobject_cast<const QAbstractButton*>(w);
                   button != nullptr && !button->text().isEmpty() && shows_text(button)) {
            int room = button->contentsRect().width();
            // A check box or radio button gives part of its width to the indicator.
            if (qobject_cast<const QCheckBox*>(w) != nullptr || qobject_cast<const QRadioButton*>(w) != nullptr)
                room -= button->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, button) +
                        button->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, button);
            if (!button->icon().isNull()) room -= button->iconSize().width();
            if (caption_width(button->fontMetrics(), button->text(), true) > room)
                problems << describe(w) + QStringLiteral(" is cut short (%1 pixels for its text)").arg(room);
        } else if (auto* group = qobject_cast<const QGroupBox*>(w); group != nullptr && !group->title().isEmpty()) {
            if (caption_width(group->fontMetrics(), group->title(), true) > group->width())
                problems << describe(w) + QStringLiteral(" title is cut short");
        }
        if (!children_exempt(w)) check_layout(window, w, problems);
    }
    if (children_exempt(parent)) return;
    for (int i = 0; i < shown.size(); ++i)
        for (int j = i + 1; j < shown.size(); ++j)
            if (shown[i]->geometry().intersects(shown[j]->geometry()))
                problems << describe(shown[i]) + QStringLiteral(" overlaps ") + describe(shown[j]);
}

// A dialog a user can finish from the keyboard: Enter presses a default button, Escape has a Cancel to match.
void check_buttons(const QDialog& dialog, QStringList& problems) {
    if (exempt_from_buttons(dialog.objectName())) return;
    bool default_button = false;
    bool cancel_button = false;
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        if (button->window() != &dialog || !button->isVisibleTo(&dialog)) continue;
        default_button |= button->isDefault();
        auto* box = qobject_cast<QDialogButtonBox*>(button->parentWidget());
        cancel_button |= button->objectName() == QStringLiteral("ctl_2") ||
                         (box != nullptr && box->buttonRole(button) == QDialogButtonBox::RejectRole);
    }
    if (!default_button) problems << dialog.objectName() + QStringLiteral(" has no default button");
    if (!cancel_button) problems << dialog.objectName() + QStringLiteral(" has no Cancel button");
}

QString shots_folder() {
    const QString chosen = qEnvironmentVariable("KESTRA_WALKTHROUGH_DIR");
    if (!chosen.isEmpty()) return chosen;
    QString name = QStringLiteral("walkthrough");
    if (QGuiApplication::platformName() != QStringLiteral("offscreen"))
        name += QLatin1Char('-') + QGuiApplication::platformName();
    if (qApp->devicePixelRatio() > 1.0) name += QStringLiteral("-scale%1").arg(qApp->devicePixelRatio());
    return QStringLiteral(KESTRA_BIN_DIR "/../screenshots/") + name;
}

nlohmann::json read_json(const std::string& path, std::string& error) {
    nlohmann::json out = nlohmann::json::parse(testing::TempDir::read(path), nullptr, false);
    if (out.is_discarded()) error = "cannot parse " + path;
    return out;
}

}  // namespace

class WalkthroughTest : public QObject {
    Q_OBJECT

    using Step = std::pair<const char*, void (WalkthroughTest::*)()>;

    testing::TempDir scratch;
    std::unique_ptr<testing::InProcessHost> host;
    std::unique_ptr<testing::RecordingUiHooks> hooks;
    std::unique_ptr<testing::TestSeams> seams;
    std::unique_ptr<ui::CMainFrame> frame;
    QPointer<ui::CAdminFrame> window;
    QString shots;
    int shot_number = 0;
    // What look_at found wrong during the current step.
    QStringList problems;

    // ---- the user's actions ----

    ui::CAdminView* tree() const { return window->tree_view(); }
    ui::CClientConfigView* view() const { return window->config_view(); }
    CServerNode* node(const std::string& name) const { return window->doc().root().find_by_name(name); }
    const CServerNode* selected() const { return window->doc().selected(); }

    void click_node(const CServerNode* n) {
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, Qt::NoModifier, tree()->node_rect(n).center());
    }
    void click_control(int id) {
        auto* control = ui::find_control<QAbstractButton>(view(), id);
        QVERIFY2(control != nullptr && control->isEnabled(), qPrintable(QString::number(id)));
        QTest::mouseClick(control, Qt::LeftButton);
    }
    // A menu command as a click on its menu item does it.
    void choose(int command) {
        QAction* action = frame->commands().action(command);
        frame->update_commands();
        QVERIFY2(action->isEnabled(), qPrintable(action->text()));
        action->trigger();
    }
    QStringList lines() const {
        QStringList out;
        for (int i = 0; i < view()->list()->count(); ++i) out << view()->list()->item(i)->text();
        return out;
    }
    std::size_t sent(int code) const { return host->requests().count(2, code); }

    static void retype(QDialog& d, int id, const QString& text) {
        auto* edit = ui::find_control<QLineEdit>(&d, id);
        if (edit == nullptr) return;
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    static void retype(QDialog& d, const char* name, const QString& text) {
        auto* edit = d.findChild<QLineEdit*>(QString::fromLatin1(name));
        if (edit == nullptr) return;
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    static int press(QDialog& d, int id) {
        if (auto* button = ui::find_control<QPushButton>(&d, id)) QTest::mouseClick(button, Qt::LeftButton);
        return d.result();
    }

    // ---- what is checked after each step ----

    // The active window must be `expected`; it is grabbed to NN-name.png, its layout checked, and the image compared
    // with its reference offscreen at scale 1 (other runs have no references; their geometry is still checked).
    void look_at(QWidget* expected, const QString& name) {
        if (QApplication::activeWindow() == nullptr && !qobject_cast<QDialog*>(expected)) hand_back_activation();
        if (!QTest::qWaitForWindowActive(expected, 3000))
            problems << QStringLiteral("%1: %2 is not the active window (%3 is)")
                            .arg(name, expected->objectName(),
                                 QApplication::activeWindow() ? QApplication::activeWindow()->objectName()
                                                              : QStringLiteral("none"));
        QApplication::processEvents();
        const QString file = QStringLiteral("%1-%2").arg(++shot_number, 2, 10, QLatin1Char('0')).arg(name);
        check_layout(expected, expected, problems);
        if (auto* dialog = qobject_cast<QDialog*>(expected)) check_buttons(*dialog, problems);
        const QImage image = expected->grab().toImage();
        const QString shot_path = shots + QLatin1Char('/') + file + QStringLiteral(".png");
        // References are drawn offscreen at scale 1; xcb's platform theme adds icons to dialog buttons.
        if (qApp->devicePixelRatio() > 1.0 || QGuiApplication::platformName() != QStringLiteral("offscreen")) {
            image.save(shot_path);
            return;
        }
        const QString problem = testing::compare_image(
            image, shot_path,
            QStringLiteral(KESTRA_TEST_DATA "/screenshots/walkthrough/") + file + QStringLiteral(".png"), 0.02);
        if (!problem.isEmpty()) problems << file + QStringLiteral(": ") + problem;
    }

    // Offscreen and under a bare X server no window manager hands the activation back to the main window when a
    // dialog closes; a desktop does, and the next thing a user clicks is there.
    void hand_back_activation() {
        if (QApplication::activeWindow() != nullptr || frame == nullptr || !frame->isVisible()) return;
        frame->activateWindow();
        (void)QTest::qWaitForWindowActive(frame.get(), 3000);
    }

    // A desktop's window manager activates a modal dialog as it opens; under a bare X server the activation can
    // stay with the owner, so the keys would go there.
    static bool take_activation(QWidget* dialog) {
        // The keys go where the focus is, so the focus must have arrived inside as well.
        const auto ready = [dialog] {
            return dialog->isActiveWindow() && focus() != nullptr && dialog->isAncestorOf(focus());
        };
        if (QTest::qWaitFor(ready, 1000)) return true;
        dialog->activateWindow();
        return QTest::qWaitFor(ready, 3000);
    }

    // Runs the steps in order, stopping at the first that fails: later steps stand on earlier ones.
    void run(const std::vector<Step>& steps) {
        for (const auto& [name, step] : steps) {
            hooks->boxes.clear();
            problems.clear();
            (this->*step)();
            if (QTest::currentTestFailed()) {
                qWarning("the walkthrough stopped at step %s", name);
                return;
            }
            // A message box no step asked for is an error the user would have seen.
            const QString first_box = hooks->boxes.empty() ? QString() : QString::fromStdString(hooks->boxes.front());
            QVERIFY2(hooks->boxes.empty(), qPrintable(QString::fromLatin1(name) + QStringLiteral(": ") + first_box));
            QVERIFY2(seams->unexpected_dialogs.isEmpty(), qPrintable(QString::fromLatin1(name) + QStringLiteral(": ") +
                                                                     seams->unexpected_dialogs.join(", ")));
            QVERIFY2(seams->pending_dialogs() == 0, name);
            QVERIFY2(problems.isEmpty(), qPrintable(QString::fromLatin1(name) + QStringLiteral(":\n  ") +
                                                    problems.join(QStringLiteral("\n  "))));
            QCOMPARE(app::admin_app().wait_count, 0);
        }
    }

    // ---- the steps, in the order the walkthrough takes them ----

    void connect() {
        seams->next_dialog([this](QDialog& d) {
            auto* user = d.findChild<QLineEdit*>(QStringLiteral("ctl_Connect_UserId"));
            auto* password = d.findChild<QLineEdit*>(QStringLiteral("ctl_Connect_Password"));
            auto* providers = d.findChild<QComboBox*>(QStringLiteral("ctl_Connect_Provider"));
            if (user == nullptr || password == nullptr || providers == nullptr) return -1;
            user->setFocus();
            user->selectAll();
            QTest::keyClicks(user, QStringLiteral("ADMIN"));
            password->setFocus();
            QTest::keyClicks(password, QStringLiteral("SECRET"));
            providers->setCurrentIndex(providers->findText(QStringLiteral("Tavlink")));
            look_at(&d, QStringLiteral("connect"));
            return press(d, ui::kOkId);
        });
        choose(cmd::kNewConnection);
        window = frame->active_connection();
        QVERIFY2(window != nullptr, hooks->boxes.empty() ? "no window" : hooks->boxes.front().c_str());
        QVERIFY(window->doc().session().logged_in());
        window->showMaximized();
        QVERIFY(node(kSales) != nullptr);
        look_at(frame.get(), QStringLiteral("connected"));
    }

    void select_file() {
        click_node(node(kSales));
        QCOMPARE(selected(), node(kSales));
        QCOMPARE(lines(), (QStringList{"CUSTOMER", "ORDERS", "CUSTOMER_ORDERS"}));
        look_at(frame.get(), QStringLiteral("sales-tables"));
    }

    void four_modes() {
        const std::pair<int, const char*> modes[] = {{kLimitsMode, "Limits:"},
                                                     {kGlobalMode, "Global:"},
                                                     {kApplicationsMode, "Applications:"},
                                                     {kTablesMode, "Tables:"}};
        for (const auto& [button, caption] : modes) {
            click_control(button);
            QCOMPARE(ui::find_control<QLabel>(view(), 1001)->text(), QString::fromLatin1(caption));
            QVERIFY(!lines().isEmpty());
            QString name = QString::fromLatin1(caption).toLower();
            name.chop(1);
            look_at(frame.get(), QStringLiteral("mode-") + name);
        }
    }

    void global_settings() {
        click_control(kGlobalMode);
        const std::size_t before = sent(31);
        seams->next_dialog([this](QDialog& d) {
            if (d.objectName() != QStringLiteral("dlg_1017")) return -1;
            retype(d, 1013, QStringLiteral("7"));
            if (auto* description = ui::find_control<QTextEdit>(&d, 1016)) {
                description->setFocus();
                QTest::keyClick(description, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(description, QStringLiteral("Sales and orders, walked through"));
            }
            look_at(&d, QStringLiteral("global-settings"));
            return press(d, ui::kOkId);
        });
        click_control(kEditButton);
        QCOMPARE(sent(31), before + 1);
        QVERIFY(node(kSales)->config.modified);
        QCOMPARE(node(kSales)->config.global_options.priority, 7);
    }

    void limits() {
        click_control(kLimitsMode);
        seams->next_dialog([this](QDialog& d) {
            if (d.objectName() != QStringLiteral("dlg_1006")) return -1;
            retype(d, 1049, QStringLiteral("100"));
            if (auto* error = ui::find_control<QRadioButton>(&d, 1052)) QTest::mouseClick(error, Qt::LeftButton);
            look_at(&d, QStringLiteral("limits"));
            return press(d, ui::kOkId);
        });
        click_control(kEditButton);
        QVERIFY2(lines().contains("Error Msg @ 100 Rows"), qPrintable(lines().join(" | ")));
    }

    void application() {
        click_control(kApplicationsMode);
        seams->file_answers = {QStringLiteral(KESTRA_TEST_DATA "/exe/Pay.Roll.EXE")};
        seams->next_dialog([this](QDialog& d) {
            if (d.objectName() != QStringLiteral("dlg_1016")) return -1;
            press(d, 1150);  // Browse... names the program from its header
            look_at(&d, QStringLiteral("add-application"));
            return press(d, ui::kOkId);
        });
        click_control(kNewButton);
        QCOMPARE(seams->file_requests.back().caption, QStringLiteral("Select Application"));
        QVERIFY2(lines().join("\n").contains("PAY"), qPrintable(lines().join(" | ")));
    }

    // ---- Steps of windows still to come go here, in this order: Create Table through DMSII Table Selection and
    // through COBOL Table Selection; Table Edit with Field Edit, User Defined Field and the Calculation Builder; a
    // new join. Each adds its host state to tests/data/walkthrough/host-after.json. ----

    void save() {
        QAction* action = frame->commands().action(cmd::kSaveConfigFile);
        frame->update_commands();
        QVERIFY(action->isEnabled());
        const std::size_t before = sent(40);
        QTest::mouseClick(frame->tool_bar()->widgetForAction(action), Qt::LeftButton);
        QCOMPARE(sent(40), before + 1);
        QVERIFY(!node(kSales)->config.modified);
        look_at(frame.get(), QStringLiteral("saved"));
    }

    void print_preview() {
        seams->next_dialog([this](QDialog& d) {
            look_at(&d, QStringLiteral("print-options"));
            return press(d, ui::kOkId);
        });
        seams->next_dialog([this](QDialog& d) {
            d.resize(640, 520);
            look_at(&d, QStringLiteral("print-preview"));
            d.reject();
            return d.result();
        });
        choose(cmd::kPrintPreview);
        QVERIFY(seams->dialogs_run.contains(QStringLiteral("dlg_PrintPreview")));
    }

    void export_pdf() {
        const std::string pdf = scratch.file("sales.pdf");
        seams->file_answers = {QString::fromStdString(pdf)};
        seams->next_dialog([](QDialog& d) { return press(d, ui::kOkId); });
        choose(cmd::kExportPdf);
        QVERIFY(testing::TempDir::read(pdf).rfind("%PDF-", 0) == 0);
    }

    void get_files() {
        seams->file_answers = {QString::fromStdString(scratch.file("daily.kba"))};
        seams->next_dialog([this](QDialog& d) {
            if (d.objectName() != QStringLiteral("dlg_GetFiles")) return -1;
            auto* name = ui::find_control<QLineEdit>(&d, 1175);
            name->setFocus();
            QTest::keyClicks(name, kDaily);
            press(d, 3);  // Get
            if (!QTest::qWaitFor([name] { return name->text().isEmpty(); }, 5000)) return -2;
            look_at(&d, QStringLiteral("get-files"));
            return press(d, ui::kOkId);
        });
        choose(cmd::kGetFiles);
        QVERIFY(QFile::exists(QString::fromStdString(scratch.file("daily.kba"))));
    }

    void put_files() {
        seams->file_answers = {QString::fromStdString(scratch.file("daily.kba"))};
        const std::size_t before = sent(50);
        seams->next_dialog([this](QDialog& d) {
            if (d.objectName() != QStringLiteral("dlg_PutFiles")) return -1;
            auto* list = ui::find_control<QListWidget>(&d, 1003);
            if (list == nullptr || list->count() != 1) return -2;
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                              list->visualItemRect(list->item(0)).center());
            press(d, ui::kOkId);  // Put
            look_at(&d, QStringLiteral("put-files"));
            return press(d, ui::kCancelId);
        });
        choose(cmd::kPutFiles);
        QVERIFY(sent(50) > before);
    }

    void add_file() {
        click_node(&window->doc().root());
        seams->next_dialog([this](QDialog& d) {
            if (d.objectName() != QStringLiteral("dlg_102")) return -1;
            retype(d, 1000, QStringLiteral("(WALK)TOUR ON DBPACK"));
            look_at(&d, QStringLiteral("add-file"));
            return press(d, ui::kOkId);
        });
        choose(cmd::kAddConfigFile);
        QVERIFY(node("(WALK)TOUR ON DBPACK") != nullptr);
        QCOMPARE(selected(), node("(WALK)TOUR ON DBPACK"));
    }

    void rename_file() {
        seams->next_dialog([this](QDialog& d) {
            if (d.objectName() != QStringLiteral("dlg_101")) return -1;
            retype(d, "ctl_RenameConfig_Name", QStringLiteral("(WALK)TOURS ON DBPACK"));
            look_at(&d, QStringLiteral("rename-file"));
            return press(d, ui::kOkId);
        });
        choose(cmd::kRenameConfigFile);
        QVERIFY(node("(WALK)TOUR ON DBPACK") == nullptr);
        QCOMPARE(selected(), node("(WALK)TOURS ON DBPACK"));
    }

    void copy_and_paste() {
        click_node(node(kArchive));
        choose(cmd::kCopy);
        click_node(node("(WALK)TOURS ON DBPACK"));
        seams->next_dialog([this](QDialog& d) {
            retype(d, 1000, QStringLiteral("(WALK)CLOSED ON DBPACK"));
            look_at(&d, QStringLiteral("paste-file"));
            return press(d, ui::kOkId);
        });
        choose(cmd::kPaste);
        QVERIFY(node("(WALK)CLOSED ON DBPACK") != nullptr);
        QCOMPARE(node("(WALK)CLOSED ON DBPACK")->parent(), node("(WALK)TOURS ON DBPACK"));
        look_at(frame.get(), QStringLiteral("pasted"));
    }

    void delete_file() {
        click_node(node("(WALK)CLOSED ON DBPACK"));
        hooks->answers = {app::MessageResult::Yes};
        choose(cmd::kDeleteConfigFile);
        QCOMPARE(hooks->boxes, std::vector<std::string>{"Delete Client Configuration File (WALK)CLOSED ON DBPACK"});
        hooks->boxes.clear();
        QVERIFY(node("(WALK)CLOSED ON DBPACK") == nullptr);
    }

    // Limits of PAYROLL changed and not saved: closing the connection asks, and Yes saves before the logout.
    void close_through_the_save_prompt() {
        click_node(node(kPayroll));
        click_control(kLimitsMode);
        seams->next_dialog([](QDialog& d) {
            retype(d, 1049, QStringLiteral("250"));
            return press(d, ui::kOkId);
        });
        click_control(kEditButton);
        QVERIFY(node(kPayroll)->config.modified);
        const std::size_t saves = sent(40);
        const std::size_t logouts = host->requests().count(0, 3);
        hooks->answers = {app::MessageResult::Yes};
        choose(cmd::kCloseConnection);
        QCOMPARE(hooks->boxes, std::vector<std::string>{"Save changes to Client Configuration File " + kPayroll});
        hooks->boxes.clear();
        QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), 5000);
        QCOMPARE(sent(40), saves + 1);
        QTRY_COMPARE_WITH_TIMEOUT(host->requests().count(0, 3), logouts + 1, 5000);
        look_at(frame.get(), QStringLiteral("closed"));
    }

    void exit() {
        choose(cmd::kExit);
        QTRY_VERIFY_WITH_TIMEOUT(!frame->isVisible(), 5000);
    }

    // ---- the keyboard-only variant ----

    static QWidget* focus() { return QApplication::focusWidget(); }
    // One key to whatever has the focus, as a keyboard sends it.
    static void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = focus() != nullptr ? focus() : QApplication::activeWindow();
        if (target != nullptr) QTest::keyClick(target, k, modifiers);
    }
    static void type(const QString& text) {
        if (focus() != nullptr) QTest::keyClicks(focus(), text);
    }
    // Tab until the focus is on `target`, as a user looking at the screen would; false when it never comes.
    static bool tab_to(const QWidget* target) {
        for (int i = 0; i < 40 && focus() != target; ++i) key(Qt::Key_Tab);
        return focus() == target;
    }
    // A menu by its mnemonic, then an item of it by its own.
    void menu_item(Qt::Key menu, Qt::Key item) {
        hand_back_activation();
        QTest::keyClick(frame.get(), menu, Qt::AltModifier);
        QTRY_VERIFY_WITH_TIMEOUT(QApplication::activePopupWidget() != nullptr, 3000);
        QTest::keyClick(QApplication::activePopupWidget(), item);
    }

  private slots:
    void initTestCase() {
        testing::InProcessHost::Setup setup;
        const std::string saved = scratch.file("host-after.json");
        setup.adjust = [saved](hostsim::ServerOptions& options) { options.save_file = saved; };
        setup.settings = "[admin]\nallow downloads=1\n";
        host = std::make_unique<testing::InProcessHost>(setup);
        QVERIFY(host->started());
        hooks = std::make_unique<testing::RecordingUiHooks>();
        seams = std::make_unique<testing::TestSeams>();
        ui::set_entry_dialogs(&ui::settings_entry_dialogs());
        shots = shots_folder();
        QDir(shots).removeRecursively();
        QVERIFY(QDir().mkpath(shots));
        qInfo("screenshots in %s", qPrintable(shots));
    }

    void cleanupTestCase() {
        frame.reset();
        ui::set_entry_dialogs(nullptr);
        seams.reset();
        hooks.reset();
        host.reset();
    }

    void walkthrough() {
        frame = std::make_unique<ui::CMainFrame>(host->ini());
        frame->resize(800, 560);
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        run({
            {"connect", &WalkthroughTest::connect},
            {"select a file", &WalkthroughTest::select_file},
            {"the four modes", &WalkthroughTest::four_modes},
            {"Global Settings", &WalkthroughTest::global_settings},
            {"Limits", &WalkthroughTest::limits},
            {"an application", &WalkthroughTest::application},
            // The table, field and join steps go here.
            {"Save", &WalkthroughTest::save},
            {"Print Preview", &WalkthroughTest::print_preview},
            {"Export to PDF", &WalkthroughTest::export_pdf},
            {"Get Files", &WalkthroughTest::get_files},
            {"Put Files", &WalkthroughTest::put_files},
            {"Add", &WalkthroughTest::add_file},
            {"Rename", &WalkthroughTest::rename_file},
            {"Copy and Paste", &WalkthroughTest::copy_and_paste},
            {"Delete", &WalkthroughTest::delete_file},
            {"close through the save prompt", &WalkthroughTest::close_through_the_save_prompt},
            {"Exit", &WalkthroughTest::exit},
        });
        if (QTest::currentTestFailed()) return;

        // The host holds exactly what the walk did. On a difference the state is written beside the screenshots: a
        // new step's changes are looked at there, then copied over the expected file.
        std::string error;
        QCOMPARE(host->server().save(error), 0);
        const std::string actual_path = scratch.file("host-after.json");
        const nlohmann::json actual = read_json(actual_path, error);
        QVERIFY2(error.empty(), error.c_str());
        const nlohmann::json expected = read_json(KESTRA_TEST_DATA "/walkthrough/host-after.json", error);
        const std::string written = (shots + QStringLiteral("/host-after.json")).toStdString();
        if (!(actual == expected)) {  // a missing file parses as "discarded", which compares unequal both ways
            std::FILE* out = std::fopen(written.c_str(), "w");
            if (out != nullptr) {
                std::fputs(actual.dump(2).c_str(), out);
                std::fclose(out);
            }
        }
        QVERIFY2(error.empty(), (error + "; the host's state is in " + written).c_str());
        QVERIFY2(actual == expected, ("the host's state differs (written to " + written + "):\n" +
                                      nlohmann::json::diff(expected, actual).dump(1).substr(0, 2000))
                                         .c_str());
    }

    // The checks themselves: a window with the faults they look for is caught, a sound one passes.
    void theChecksFindWhatTheyLookFor() {
        QDialog bad;
        bad.setObjectName(QStringLiteral("dlg_Bad"));
        bad.resize(200, 100);
        auto* label = new QLabel(QStringLiteral("A caption far wider than its label"), &bad);
        label->setGeometry(5, 5, 60, 20);
        auto* first = new QPushButton(QStringLiteral("One"), &bad);
        first->setGeometry(10, 40, 80, 24);
        auto* second = new QPushButton(QStringLiteral("Two"), &bad);
        second->setGeometry(60, 40, 80, 24);
        auto* outside = new QPushButton(QStringLiteral("Out"), &bad);
        outside->setGeometry(150, 80, 80, 24);
        // A dialog makes its focused push button the default unless told otherwise.
        for (QPushButton* button : {first, second, outside}) button->setAutoDefault(false);
        bad.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bad));
        QStringList found;
        check_layout(&bad, &bad, found);
        check_buttons(bad, found);
        const QString all = found.join(QLatin1Char('\n'));
        QVERIFY2(all.contains(QStringLiteral("\"A caption far wider than its label\" is cut short")), qPrintable(all));
        QVERIFY2(all.contains(QStringLiteral("\"One\" overlaps QPushButton  \"Two\"")), qPrintable(all));
        QVERIFY2(all.contains(QStringLiteral("\"Out\" at 150,80 80x24 leaves its window")), qPrintable(all));
        QVERIFY2(all.contains(QStringLiteral("dlg_Bad has no default button")), qPrintable(all));
        QVERIFY2(all.contains(QStringLiteral("dlg_Bad has no Cancel button")), qPrintable(all));
        QCOMPARE(found.size(), 5);

        // The same controls laid out, with OK and Cancel: nothing to report.
        QDialog good;
        good.setObjectName(QStringLiteral("dlg_Good"));
        auto* layout = new QVBoxLayout(&good);
        layout->addWidget(new QLabel(QStringLiteral("A caption far wider than its label"), &good));
        layout->addWidget(new QCheckBox(QStringLiteral("&Update Allowed"), &good));
        layout->addWidget(ui::ok_cancel_buttons(&good));
        good.show();
        QVERIFY(QTest::qWaitForWindowExposed(&good));
        found.clear();
        check_layout(&good, &good, found);
        check_buttons(good, found);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
    }

    // Select a file, switch modes, change a limit, save and exit, by key events alone.
    void keyboardOnly() {
        frame = std::make_unique<ui::CMainFrame>(host->ini());
        frame->resize(800, 560);
        frame->show();
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));

        bool typed = false;
        seams->next_dialog([&typed](QDialog& d) {
            if (!take_activation(&d)) return -1;
            key(Qt::Key_U, Qt::AltModifier);  // &User ID
            key(Qt::Key_A, Qt::ControlModifier);
            type(QStringLiteral("ADMIN"));
            key(Qt::Key_A, Qt::AltModifier);  // P&assword
            type(QStringLiteral("SECRET"));
            key(Qt::Key_P, Qt::AltModifier);  // &Provider
            type(QStringLiteral("T"));
            typed = d.findChild<QLineEdit*>(QStringLiteral("ctl_Connect_UserId"))->text() == QStringLiteral("ADMIN") &&
                    d.findChild<QComboBox*>(QStringLiteral("ctl_Connect_Provider"))->currentText() ==
                        QStringLiteral("Tavlink");
            key(Qt::Key_Return);
            return d.result();
        });
        QTest::keyClick(frame.get(), Qt::Key_N, Qt::ControlModifier);
        QVERIFY(typed);
        window = frame->active_connection();
        QVERIFY2(window != nullptr, hooks->boxes.empty() ? "the Connect dialog stayed" : hooks->boxes.front().c_str());
        hand_back_activation();
        QTRY_VERIFY2_WITH_TIMEOUT(focus() != nullptr && window->isAncestorOf(focus()),
                                  qPrintable(focus() ? describe(focus()) : QStringLiteral("no focus")), 3000);

        // The tree has the focus, or F6 brings it there; Down from the root is the first file.
        if (focus() != tree() && !tree()->isAncestorOf(focus())) key(Qt::Key_F6);
        QVERIFY(focus() == tree() || tree()->isAncestorOf(focus()));
        key(Qt::Key_Home);
        key(Qt::Key_Down);
        QCOMPARE(selected(), node(kSales));

        // ---- Opening a table and renaming a field go here, once the Table Edit window and the field dialogs
        // exist: Enter on a table in the list, the field's dialog, a new name typed, Enter. ----

        // Limits by Tab and Space, then the Edit button.
        key(Qt::Key_F6);
        QVERIFY(tab_to(ui::find_control<QWidget>(view(), kLimitsMode)));
        key(Qt::Key_Space);
        QCOMPARE(ui::find_control<QLabel>(view(), 1001)->text(), QStringLiteral("Limits:"));
        seams->next_dialog([](QDialog& d) {
            if (!take_activation(&d)) return -1;
            key(Qt::Key_L, Qt::AltModifier);  // &Limit
            key(Qt::Key_A, Qt::ControlModifier);
            type(QStringLiteral("500"));
            key(Qt::Key_Return);
            return d.result();
        });
        // Alt+E is the menu bar's &Edit as well as the button's: the button is reached by Tab.
        QVERIFY(tab_to(ui::find_control<QWidget>(view(), kEditButton)));
        key(Qt::Key_Space);
        QCOMPARE(seams->dialogs_run.back(), QStringLiteral("dlg_1006"));
        QVERIFY2(lines().filter(QRegularExpression(QStringLiteral("@ 500 Rows$"))).size() == 1,
                 qPrintable(lines().join(" | ")));
        QVERIFY(node(kSales)->config.modified);

        const std::size_t saves = sent(40);
        menu_item(Qt::Key_F, Qt::Key_S);  // &File, &Save Configuration File
        QCOMPARE(sent(40), saves + 1);
        QVERIFY(!node(kSales)->config.modified);

        const std::size_t logouts = host->requests().count(0, 3);
        menu_item(Qt::Key_F, Qt::Key_X);  // &File, E&xit
        QTRY_VERIFY_WITH_TIMEOUT(!frame->isVisible(), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(host->requests().count(0, 3), logouts + 1, 5000);
        QVERIFY(hooks->boxes.empty());
        QVERIFY(seams->unexpected_dialogs.isEmpty());
    }
};

int main(int argc, char** argv) {
    // A run at another scale (QT_SCALE_FACTOR=2) keeps it; everything else about the look is fixed as usual.
    const QByteArray scale = qgetenv("QT_SCALE_FACTOR");
    kestra::testing::prepare_qt_environment();
    if (!scale.isEmpty()) qputenv("QT_SCALE_FACTOR", scale);
    QApplication app(argc, argv);
    kestra::testing::fix_look();
    WalkthroughTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "walkthrough_test.moc"
