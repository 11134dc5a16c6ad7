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
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
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
#include "ui/field_list_panel.h"
#include "ui/join_edit_dialog.h"
#include "ui/main_frame.h"
#include "ui/object_names.h"
#include "ui/settings_dialogs.h"
#include "workspace/admin_doc.h"
#include "workspace/command_ids.h"
#include "workspace/join_edit_model.h"

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
    static QListWidgetItem* item_of(const QListWidget* list, const QString& text) {
        const auto found = list->findItems(text, Qt::MatchExactly);
        return found.isEmpty() ? nullptr : found.front();
    }
    // A click on a list's line; false when the line is not there.
    static bool click_item(QListWidget* list, const QString& text) {
        QListWidgetItem* item = item_of(list, text);
        if (item == nullptr) return false;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(item).center());
        return true;
    }
    // Check boxes and radio buttons are clicked on their indicator: a wide one's middle can be past its caption.
    static void click_button(QWidget& w, int id) {
        auto* button = ui::find_control<QAbstractButton>(&w, id);
        if (button == nullptr) return;
        const bool indicator =
            qobject_cast<QCheckBox*>(button) != nullptr || qobject_cast<QRadioButton*>(button) != nullptr;
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier,
                          indicator ? QPoint(8, button->height() / 2) : button->rect().center());
    }
    // A right click on the join tree's item, then a click on the popup's command; false when either is missing.
    static bool join_popup(ui::CEditJoinDlg& d, QTreeWidgetItem* item, int command) {
        if (item == nullptr) return false;
        // The branch is opened first, as a user does to reach the item.
        for (QTreeWidgetItem* above = item->parent(); above != nullptr; above = above->parent())
            above->setExpanded(true);
        d.tree()->scrollToItem(item);
        QWidget* viewport = d.tree()->viewport();
        const QPoint at = d.tree()->visualItemRect(item).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &event);
        QMenu* menu = nullptr;
        if (!QTest::qWaitFor([&] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())); }, 3000))
            return false;
        QAction* action = menu->findChild<QAction*>(QStringLiteral("cmd_%1").arg(command));
        if (action == nullptr || !action->isEnabled()) {
            menu->close();
            return false;
        }
        // A command in a submenu: the items leading to it open their submenus first, outermost first.
        const auto holder_of = [](const QAction* a) -> QMenu* {
            for (QObject* user : a->associatedObjects())
                if (auto* m = qobject_cast<QMenu*>(user)) return m;
            return nullptr;
        };
        QList<QMenu*> path;
        for (QMenu* m = holder_of(action); m != nullptr && m != menu; m = holder_of(m->menuAction())) path.prepend(m);
        QMenu* open = menu;
        for (QMenu* sub : path) {
            QTest::mouseClick(open, Qt::LeftButton, Qt::NoModifier, open->actionGeometry(sub->menuAction()).center());
            if (!QTest::qWaitFor([sub] { return sub->isVisible(); }, 3000)) return false;
            open = sub;
        }
        QTest::mouseClick(open, Qt::LeftButton, Qt::NoModifier, open->actionGeometry(action).center());
        // The command runs once the popup has gone.
        return QTest::qWaitFor([] { return QApplication::activePopupWidget() == nullptr; }, 3000);
    }
    static int press(QDialog& d, int id) {
        if (auto* button = ui::find_control<QPushButton>(&d, id)) QTest::mouseClick(button, Qt::LeftButton);
        return d.result();
    }

    // ---- what is checked after each step ----

    // The active window must be `expected`; it is grabbed to NN-name.png, its layout checked, and the image compared
    // with its reference offscreen at scale 1 (other runs have no references; their geometry is still checked).
    void look_at(QWidget* expected, const QString& name) {
        if (QApplication::activeWindow() == nullptr) {
            // A dialog under a closed child dialog gets the activation back as the main window does.
            if (qobject_cast<QDialog*>(expected) != nullptr)
                expected->activateWindow();
            else
                hand_back_activation();
        }
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

    void create_table_from_a_database() {
        click_control(kTablesMode);
        const std::size_t adds = sent(21);
        seams->next_dialog([this](QDialog& d) {
            if (d.objectName() != QStringLiteral("dlg_146")) return -1;
            click_button(d, 1024);  // Normal
            look_at(&d, QStringLiteral("create-table"));
            return press(d, ui::kOkId);
        });
        seams->next_dialog([this](QDialog& d) {
            if (d.objectName() != QStringLiteral("dlg_DmsiiTableSelection")) return -1;
            auto* files = ui::find_control<QComboBox>(&d, 1017);
            auto* databases = ui::find_control<QComboBox>(&d, 1018);
            auto* datasets = ui::find_control<QListWidget>(&d, 1019);
            if (files == nullptr || databases == nullptr || datasets == nullptr) return -2;
            files->setCurrentIndex(files->findText(QStringLiteral("(PROD)DESCRIPTION/SALESDB ON DBPACK")));
            // Opening the list of databases fetches them; the user then picks one.
            databases->showPopup();
            databases->hidePopup();
            const int at = databases->findText(QStringLiteral("SALESDB"));
            if (at < 0) return -3;
            databases->setCurrentIndex(at);
            emit databases->activated(at);
            if (!click_item(datasets, QStringLiteral("PRODUCT"))) return -4;
            click_button(d, 1020);  // << Copy
            look_at(&d, QStringLiteral("dmsii-table-selection"));
            return press(d, ui::kOkId);
        });
        click_control(kNewButton);
        QCOMPARE(seams->pending_dialogs(), 0);
        QCOMPARE(sent(21), adds + 1);
        QCOMPARE(lines(), (QStringList{"CUSTOMER", "ORDERS", "CUSTOMER_ORDERS", "PRODUCT"}));
        look_at(frame.get(), QStringLiteral("table-added"));
    }

    // A user who keeps record layouts in COBOL says so once in Preferences; Create Table then opens that window.
    void create_table_from_cobol() {
        seams->next_dialog([this](QDialog& d) {
            if (d.objectName() != QStringLiteral("dlg_128")) return -1;
            click_button(d, 1167);  // New Tables from COBOL Source
            look_at(&d, QStringLiteral("preferences"));
            return press(d, ui::kOkId);
        });
        choose(cmd::kPreferences);
        QCOMPARE(app::admin_app().new_table_from_cobol, 1);
        const std::size_t adds = sent(21);
        seams->next_dialog([](QDialog& d) {
            if (d.objectName() != QStringLiteral("dlg_146")) return -1;
            return press(d, ui::kOkId);  // Normal, as last time
        });
        seams->next_dialog([this](QDialog& d) {
            if (d.objectName() != QStringLiteral("dlg_115")) return -1;
            retype(d, 1014, QStringLiteral("TIMECARDS"));
            retype(d, 1171, QStringLiteral("(PAY)SOURCE/TIMECARD"));
            retype(d, 1047, QStringLiteral("TIMECARD-FILE"));
            retype(d, 1048, QStringLiteral("(PAY)DATA/TIMECARD ON PAYPACK"));
            look_at(&d, QStringLiteral("cobol-table-selection"));
            return press(d, ui::kOkId);
        });
        click_control(kNewButton);
        QCOMPARE(seams->pending_dialogs(), 0);
        QCOMPARE(sent(21), adds + 1);
        QCOMPARE(lines().last(), QStringLiteral("TIMECARDS"));
    }

    // ORDERS: its date field renamed and given another format, and a calculated field written with the
    // Calculation Builder; OK sends both and gives the table back.
    void table_edit() {
        QVERIFY(click_item(view()->list(), QStringLiteral("ORDERS")));
        const std::size_t changes = sent(26);
        const std::size_t added = sent(28);
        const std::size_t unloads = sent(24);
        int reached = 0;  // how far the window got, for the report when it stops early
        seams->next_dialog([this, &reached](QDialog& d) {
            if (d.objectName() != QStringLiteral("dlg_1021")) return -1;
            auto* panel = d.findChild<ui::CFieldListPanel*>();
            if (panel == nullptr) return -2;
            reached = -1;
            QListWidget* fields = panel->list();

            seams->next_dialog([this](QDialog& f) {
                if (f.objectName() != QStringLiteral("dlg_1023")) return -1;
                retype(f, 1098, QStringLiteral("ORDER_DATE"));
                auto* formats = ui::find_control<QComboBox>(&f, 1102);
                if (formats == nullptr || formats->isHidden()) return -2;
                const int at = formats->findText(QStringLiteral("DDMMYY"));
                if (at < 0) return -3;
                formats->setCurrentIndex(at);
                emit formats->activated(at);
                look_at(&f, QStringLiteral("field-edit"));
                return press(f, ui::kOkId);
            });
            QListWidgetItem* date = item_of(fields, QStringLiteral("ORD-DATE"));
            if (date == nullptr) return -3;
            reached = -2;
            const QPoint at = fields->visualItemRect(date).center();
            QTest::mouseClick(fields->viewport(), Qt::LeftButton, Qt::NoModifier, at);
            QTest::mouseDClick(fields->viewport(), Qt::LeftButton, Qt::NoModifier, at);
            if (item_of(fields, QStringLiteral("ORDER_DATE")) == nullptr) return -4;
            reached = 1;

            seams->next_dialog([this](QDialog& u) {
                if (u.objectName() != QStringLiteral("dlg_1025")) return -1;
                retype(u, 1059, QStringLiteral("AMOUNT_K"));
                click_button(u, 1034);  // Calculated
                click_button(u, 1127);  // Numeric
                retype(u, 1058, QStringLiteral("12"));
                retype(u, 1074, QStringLiteral("3"));
                // The calculation put together from the builder's lists and buttons: a field, "/", a number.
                seams->next_dialog([this](QDialog& b) {
                    if (b.objectName() != QStringLiteral("dlg_127")) return -1;
                    auto* insert = ui::find_control<QListWidget>(&b, 1152);
                    auto* choices = ui::find_control<QListWidget>(&b, 1153);
                    if (insert == nullptr || choices == nullptr || !click_item(insert, QStringLiteral("Field")))
                        return -2;
                    QListWidgetItem* amount = item_of(choices, QStringLiteral("ORD-AMOUNT"));
                    if (amount == nullptr) return -3;
                    const QPoint spot = choices->visualItemRect(amount).center();
                    QTest::mouseClick(choices->viewport(), Qt::LeftButton, Qt::NoModifier, spot);
                    QTest::mouseDClick(choices->viewport(), Qt::LeftButton, Qt::NoModifier, spot);
                    QPushButton* divide = nullptr;
                    for (QPushButton* button : b.findChildren<QPushButton*>())
                        if (button->text() == QStringLiteral("/")) divide = button;
                    if (divide == nullptr || !divide->isEnabled()) return -4;
                    QTest::mouseClick(divide, Qt::LeftButton);
                    if (!click_item(insert, QStringLiteral("Number"))) return -5;
                    auto* value = ui::find_control<QLineEdit>(&b, 1154);
                    if (value == nullptr || !value->isEnabled()) return -6;
                    QTest::mouseClick(value, Qt::LeftButton);
                    QTest::keyClicks(value, QStringLiteral("1000"));
                    look_at(&b, QStringLiteral("calculation-builder"));
                    click_button(b, 1157);  // Add
                    return press(b, ui::kOkId);
                });
                click_button(u, 1151);  // Assistant
                auto* definition = ui::find_control<QLineEdit>(&u, 1040);
                if (definition == nullptr ||
                    definition->text().remove(QLatin1Char(' ')) != QStringLiteral("ORD-AMOUNT/1000"))
                    return -2;
                look_at(&u, QStringLiteral("user-defined-field"));
                return press(u, ui::kOkId);
            });
            click_button(*panel, 1018);  // New
            if (item_of(fields, QStringLiteral("AMOUNT_K")) == nullptr) return -5;
            reached = 2;
            look_at(&d, QStringLiteral("table-edit"));
            return press(d, ui::kOkId);
        });
        click_control(kEditButton);
        QVERIFY2(reached == 2,
                 qPrintable(QStringLiteral("stopped at %1 after %2").arg(reached).arg(seams->dialogs_run.join(", "))));
        QCOMPARE(seams->pending_dialogs(), 0);
        QCOMPARE(sent(26), changes + 1);
        QCOMPARE(sent(28), added + 1);
        QCOMPARE(sent(24), unloads + 1);
        QVERIFY(node(kSales)->config.modified);
    }

    // Create Table's Join: CUSTOMER, then ORDERS on its customer set joined to the customer's id.
    void new_join() {
        const std::size_t joins = sent(52);
        int reached = 0;  // how far the window got, for the report when it stops early
        seams->next_dialog([](QDialog& d) {
            if (d.objectName() != QStringLiteral("dlg_146")) return -1;
            click_button(d, 1025);  // Join
            return press(d, ui::kOkId);
        });
        seams->next_dialog([this, &reached](QDialog& d) {
            if (d.objectName() != QStringLiteral("dlg_EditJoin")) return -1;
            auto& join = static_cast<ui::CEditJoinDlg&>(d);
            const auto add_table = [this, &d](const QString& name, bool look) {
                seams->next_dialog([this, name, look](QDialog& pick) {
                    if (pick.objectName() != QStringLiteral("dlg_148")) return -1;
                    auto* list = pick.findChild<QListWidget*>(QStringLiteral("ctl_AddJoinTable_List"));
                    if (list == nullptr || !click_item(list, name)) return -2;
                    if (look) look_at(&pick, QStringLiteral("add-join-table"));
                    return press(pick, ui::kOkId);
                });
                click_button(d, 1085);  // Add Table
            };
            add_table(QStringLiteral("CUSTOMER"), true);
            add_table(QStringLiteral("ORDERS"), false);
            if (join.member_item(1) == nullptr) return -2;
            reached = 1;
            if (!join_popup(join, join.member_item(1), workspace::join_cmd::kFirstSet)) return -3;
            reached = 2;
            // Choosing a set makes a join field of each of its keys.
            if (!QTest::qWaitFor([&join] { return join.join_field_item(1, 0) != nullptr; }, 3000)) return -4;
            reached = 3;
            if (!join_popup(join, join.join_field_item(1, 0), workspace::join_cmd::kFirstJoinField)) return -5;
            const QString joined = QStringLiteral("ORD-CUST = CUSTOMER.CUST-ID");
            if (!QTest::qWaitFor([&] { return join.join_field_item(1, 0)->text(0) == joined; }, 3000)) return -6;
            reached = 4;
            retype(d, "ctl_EditJoin_Name", QStringLiteral("CUSTOMER_SALES"));
            join.tree()->expandAll();
            look_at(&d, QStringLiteral("edit-join"));
            return press(d, ui::kOkId);
        });
        click_control(kNewButton);
        QVERIFY2(reached == 4, qPrintable(QStringLiteral("stopped at %1 after %2")
                                              .arg(reached)
                                              .arg(seams->dialogs_run.join(QStringLiteral(", ")))));
        QCOMPARE(seams->pending_dialogs(), 0);
        QCOMPARE(sent(52), joins + 1);
        QVERIFY2(lines().contains(QStringLiteral("CUSTOMER_SALES")), qPrintable(lines().join(" | ")));
        look_at(frame.get(), QStringLiteral("join-added"));
    }

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
            {"Create Table through DMSII Table Selection", &WalkthroughTest::create_table_from_a_database},
            {"Create Table through COBOL Table Selection", &WalkthroughTest::create_table_from_cobol},
            {"Table Edit", &WalkthroughTest::table_edit},
            {"a new join", &WalkthroughTest::new_join},
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

        // CUSTOMER opened from the view's list by Enter; in Table Edit, the Fields label's mnemonic, the arrows to
        // CUST-STREET, Shift+F10 for its popup and R for "Rename Field...", a new name and Enter; Enter again is OK.
        key(Qt::Key_F6);
        QVERIFY(tab_to(view()->list()));
        key(Qt::Key_Home);
        QCOMPARE(view()->list()->currentItem()->text(), QStringLiteral("CUSTOMER"));
        const std::size_t renames = sent(26);
        QString renamed;
        int stopped = 0;  // where the Table Edit window's keys went wrong, for the report
        seams->next_dialog([this, &renamed, &stopped](QDialog& d) {
            const auto stop = [&stopped](int at) {
                stopped = at;
                return -1;
            };
            if (d.objectName() != QStringLiteral("dlg_1021") || !take_activation(&d)) return stop(1);
            auto* panel = d.findChild<ui::CFieldListPanel*>();
            if (panel == nullptr) return stop(2);
            key(Qt::Key_F, Qt::AltModifier);  // &Fields:
            if (focus() != panel->list()) return stop(3);
            key(Qt::Key_Home);
            // CUST-ADDRESS, a group, is not listed while Return Groups is off.
            for (int i = 0; i < 2; ++i) key(Qt::Key_Down);
            if (panel->list()->currentItem()->text() != QStringLiteral("CUST-STREET")) return stop(4);
            seams->next_dialog([](QDialog& r) {
                if (r.objectName() != QStringLiteral("dlg_1026") || !take_activation(&r)) return -1;
                key(Qt::Key_A, Qt::ControlModifier);
                type(QStringLiteral("STREET"));
                key(Qt::Key_Return);
                return r.result();
            });
            key(Qt::Key_F10, Qt::ShiftModifier);
            if (!QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }, 3000)) return stop(5);
            QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_R);  // &Rename Field...
            // The command runs once the popup has gone; when its dialog has closed, a desktop gives the activation
            // back to Table Edit.
            const auto renaming = [this] { return seams->dialogs_run.last() == QStringLiteral("dlg_1026"); };
            if (!QTest::qWaitFor(renaming, 3000) || !take_activation(&d)) return stop(6);
            if (QListWidgetItem* street = item_of(panel->list(), QStringLiteral("STREET"))) renamed = street->text();
            key(Qt::Key_Return);
            return d.result();
        });
        key(Qt::Key_Return);
        QCOMPARE(stopped, 0);
        QCOMPARE(seams->dialogs_run.mid(seams->dialogs_run.size() - 2),
                 (QStringList{QStringLiteral("dlg_1021"), QStringLiteral("dlg_1026")}));
        QCOMPARE(renamed, QStringLiteral("STREET"));
        QCOMPARE(seams->pending_dialogs(), 0);
        QCOMPARE(sent(26), renames + 1);
        QVERIFY(node(kSales)->config.modified);
        hand_back_activation();

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
