// The program on a screen of twice the pixel density (QT_SCALE_FACTOR=2): every picture of the tree, the list, the
// mode buttons, the toolbar and the join and field-list windows is drawn at twice its logical size rather than
// scaled up, and the tree keeps its logical metrics, so its rows are twice as tall in device pixels.
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <memory>

#include "qtest_support.h"
#include "support/inprocess_host.h"
#include "support/recording_ui_hooks.h"
#include "ui/admin_frame.h"
#include "ui/admin_view.h"
#include "ui/artwork.h"
#include "ui/client_config_view.h"
#include "ui/field_list_panel.h"
#include "ui/host_text.h"
#include "ui/join_edit_dialog.h"
#include "ui/main_frame.h"
#include "ui/object_names.h"
#include "ui/toolbar_icons.h"
#include "workspace/admin_doc.h"
#include "workspace/command_ids.h"
#include "workspace/join_edit_model.h"
#include "workspace/tree_layout.h"

using namespace kestra;

namespace {

constexpr qreal kScale = 2.0;

struct NamedIcon {
    QString name;
    QIcon icon;
    QSize logical;
};

// What a pixmap at `ratio` must be: the logical size times the ratio, marked with that ratio.
QString pixmap_fault(const NamedIcon& n, qreal ratio) {
    const QPixmap pm = n.icon.pixmap(n.logical, ratio);
    const QSize want = n.logical * ratio;
    if (pm.size() != want || !qFuzzyCompare(pm.devicePixelRatio(), ratio))
        return QStringLiteral("%1: %2x%3 at ratio %4, want %5x%6")
            .arg(n.name)
            .arg(pm.width())
            .arg(pm.height())
            .arg(pm.devicePixelRatio())
            .arg(want.width())
            .arg(want.height());
    return {};
}

// Whether the 2x pixmap holds more than the 1x one doubled pixel for pixel.
bool drawn_finer(const NamedIcon& n) {
    const QImage fine = n.icon.pixmap(n.logical, kScale).toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage coarse = n.icon.pixmap(n.logical, 1.0)
                              .toImage()
                              .convertToFormat(QImage::Format_ARGB32)
                              .scaled(fine.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return fine != coarse;
}

}  // namespace

class HiDpiTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::InProcessHost> host;
    std::unique_ptr<testing::RecordingUiHooks> hooks;
    std::unique_ptr<testing::TestSeams> seams;
    std::unique_ptr<ui::CMainFrame> frame;
    ui::CAdminFrame* window = nullptr;
    // A file of two tables and a join of them, for the field list and the Edit Join tree as they show their icons.
    model::CConfigFile file;
    model::CConfigTable join;
    std::unique_ptr<workspace::CJoinEditModel> join_model;
    std::unique_ptr<ui::CEditJoinDlg> join_dialog;
    std::unique_ptr<ui::CFieldListPanel> fields;

    void make_field_and_join_windows() {
        for (const char* name : {"CUST", "ORD"}) {
            auto t = std::make_unique<model::CConfigTable>();
            t->name.assign(name);
            t->table_number = static_cast<std::int32_t>(file.tables.size() + 1);
            t->fields_loaded = true;
            const std::pair<std::int32_t, std::int32_t> kinds[] = {
                {model::FieldKind::host, model::DateKind::standard},
                {model::FieldKind::host, model::DateKind::date},
                {model::FieldKind::user_defined, model::DateKind::standard},
                {model::FieldKind::calculated, model::DateKind::currency}};
            for (const auto& [kind, date] : kinds) {
                auto f = std::make_unique<model::CConfigField>();
                f->name.assign(std::string(name) + "-" + std::to_string(t->fields.size() + 1));
                f->tblfieldnum = static_cast<std::int32_t>(t->fields.size() + 1);
                f->field_kind = kind;
                f->date_kind = date;
                f->data_type_code = 9;
                t->fields.push_back(std::move(f));
            }
            auto set = std::make_unique<model::CTableSet>();
            set->set_name.assign(std::string("BY-") + name);
            set->keys.push_back({1, 0, 1});
            t->sets.push_back(std::move(set));
            file.tables.push_back(std::move(t));
        }
        fields = std::make_unique<ui::CFieldListPanel>();
        fields->set_table(file.tables[0].get(), &file);
        fields->show();
        join.join_table = true;
        join.name.assign("J");
        join_model = std::make_unique<workspace::CJoinEditModel>(file, join, [](model::CConfigTable&) { return true; });
        join_model->open();
        join_model->add_table(*file.tables[0]);
        join_model->add_table(*file.tables[1]);
        join_model->member_command(1, workspace::join_cmd::kFirstSet);
        join_dialog = std::make_unique<ui::CEditJoinDlg>(*join_model, QStringLiteral("Edit Join"));
        join_dialog->show();
    }

    std::vector<NamedIcon> all_icons() const {
        std::vector<NamedIcon> out;
        const QSize glyph(workspace::kGlyphSize, workspace::kGlyphSize);
        using workspace::NodeGlyph;
        for (auto [g, name] : {std::pair{NodeGlyph::expanded, "expanded"}, std::pair{NodeGlyph::collapsed, "collapsed"},
                               std::pair{NodeGlyph::collapsed_empty, "empty"}, std::pair{NodeGlyph::leaf, "leaf"}})
            out.push_back({QStringLiteral("tree glyph ") + QLatin1String(name), ui::tree_glyph_icon(g), glyph});
        out.push_back({"table", ui::table_kind_icon(false), {16, 16}});
        out.push_back({"join table", ui::table_kind_icon(true), {16, 16}});
        out.push_back({"join member", ui::join_member_icon(), {16, 16}});
        out.push_back({"join field", ui::join_field_icon(), {16, 16}});
        out.push_back({"join root", ui::join_root_icon(), {16, 16}});
        for (auto origin : {ui::FieldOrigin::host, ui::FieldOrigin::offset, ui::FieldOrigin::calculated})
            for (bool formatted : {false, true})
                out.push_back(
                    {QStringLiteral("field %1%2").arg(static_cast<int>(origin)).arg(formatted ? " formatted" : ""),
                     ui::field_icon(origin, formatted), ui::kFieldIconSize});
        // As the windows show them: the field list's glyphs, the join tree's pictures, the toolbar's actions and the
        // mode buttons.
        auto* list = fields->findChild<QListWidget*>(QStringLiteral("ctl_1003"));
        for (int i = 0; i < list->count(); ++i)
            out.push_back(
                {QStringLiteral("field list ") + list->item(i)->text(), list->item(i)->icon(), list->iconSize()});
        QTreeWidget* tree = join_dialog->tree();
        QTreeWidgetItem* root = tree->topLevelItem(0);
        out.push_back({"join tree root", root->icon(0), tree->iconSize()});
        out.push_back({"join tree member", root->child(1)->icon(0), tree->iconSize()});
        out.push_back({"join tree field", root->child(1)->child(0)->icon(0), tree->iconSize()});
        for (QAction* a : frame->tool_bar()->actions())
            if (!a->isSeparator()) out.push_back({a->objectName(), a->icon(), frame->tool_bar()->iconSize()});
        for (int id : {1002, 1003, 1004, 1011}) {
            auto* b = ui::find_control<QToolButton>(window->config_view(), id);
            if (b != nullptr) out.push_back({b->text(), b->icon(), b->iconSize()});
        }
        return out;
    }

  private slots:
    void initTestCase() {
        QCOMPARE(qApp->devicePixelRatio(), kScale);
        host = std::make_unique<testing::InProcessHost>();
        QVERIFY(host->started());
        hooks = std::make_unique<testing::RecordingUiHooks>();
        seams = std::make_unique<testing::TestSeams>();
        frame = std::make_unique<ui::CMainFrame>(host->ini());
        window = testing::open_connection(*frame, *seams);
        QVERIFY(window != nullptr);
        QCOMPARE(window->devicePixelRatio(), kScale);
        make_field_and_join_windows();
        QVERIFY(QTest::qWaitForWindowExposed(join_dialog.get()));
    }

    void cleanupTestCase() {
        join_dialog.reset();
        fields.reset();
        join_model.reset();
        frame.reset();
        seams.reset();
        hooks.reset();
        host.reset();
    }

    void everyIconHasAPixmapOfTwiceItsLogicalSize() {
        const std::vector<NamedIcon> icons = all_icons();
        // Four tree glyphs, two table kinds, three join pictures, six field glyphs, four in the field list, three in
        // the join tree, seven toolbar buttons, four modes.
        QCOMPARE(icons.size(), std::size_t{33});
        for (const NamedIcon& n : icons) {
            QVERIFY2(n.logical.isValid() && !n.logical.isEmpty(), qPrintable(n.name));
            QString fault = pixmap_fault(n, kScale);
            QVERIFY2(fault.isEmpty(), qPrintable(fault));
            // And at ratios no image file was made for.
            fault = pixmap_fault(n, 1.5);
            QVERIFY2(fault.isEmpty(), qPrintable(fault));
            fault = pixmap_fault(n, 3.0);
            QVERIFY2(fault.isEmpty(), qPrintable(fault));
        }
    }

    void iconsAreDrawnAtTheRatioNotScaledUp() {
        // A picture with slanted or curved lines or text shows finer detail at 2x than its 1x pixels doubled.
        for (const NamedIcon& n : all_icons()) {
            if (n.name.startsWith(QStringLiteral("tree glyph")) || n.name.startsWith(QStringLiteral("table")) ||
                n.name == QStringLiteral("join table"))
                continue;  // straight lines on whole pixels: doubled and redrawn are the same
            QVERIFY2(drawn_finer(n), qPrintable(n.name));
        }
        // The disabled look is made at the ratio too.
        const QIcon cut = ui::toolbar_icon(workspace::cmd::kCut);
        const QPixmap disabled = cut.pixmap(QSize(16, 16), kScale, QIcon::Disabled);
        QCOMPARE(disabled.size(), QSize(32, 32));
        QVERIFY(disabled.toImage() != cut.pixmap(QSize(16, 16), kScale).toImage());
    }

    void treeRowsAreTwiceAsTallInDevicePixels() {
        ui::CAdminView* tree = window->tree_view();
        QCOMPARE(tree->viewport()->devicePixelRatio(), kScale);
        // The layout a screen of scale 1 gives: metrics measured on a plain 96-dpi image.
        QImage plain(1, 1, QImage::Format_ARGB32);
        const QFontMetrics fm(tree->viewport()->font(), &plain);
        const workspace::TreeLayout at_one = workspace::layout_tree(
            window->doc().root(), [&fm](std::string_view text) { return fm.horizontalAdvance(ui::from_host(text)); },
            fm.height());
        const workspace::TreeLayout& at_two = tree->layout();
        QVERIFY(at_two.rows.size() >= 3);
        QCOMPARE(at_two.rows.size(), at_one.rows.size());
        QCOMPARE(qRound(at_two.row_height * kScale), 2 * at_one.row_height);
        for (std::size_t i = 0; i < at_two.rows.size(); ++i) {
            // Indents and row positions stay in logical pixels.
            QCOMPARE(at_two.rows[i].x, at_one.rows[i].x);
            QCOMPARE(at_two.rows[i].y, at_one.rows[i].y);
        }
        // What the tree paints is at device resolution.
        const QPixmap shot = tree->viewport()->grab();
        QCOMPARE(shot.devicePixelRatio(), kScale);
        QCOMPARE(shot.size(), tree->viewport()->size() * kScale);
    }

    void screenshotsAtScaleTwo() {
        // Every picture on one sheet, at 2x, for a person to look at; and the connection window as it stands.
        QWidget sheet;
        sheet.setObjectName(QStringLiteral("iconSheet"));
        auto* grid = new QGridLayout(&sheet);
        int i = 0;
        for (const NamedIcon& n : all_icons()) {
            auto* label = new QLabel(&sheet);
            label->setPixmap(n.icon.pixmap(n.logical, kScale));
            grid->addWidget(label, i / 6, i % 6);
            ++i;
        }
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QString problem = testing::compare_screenshot(&sheet, QStringLiteral("hidpi-icons"));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        problem = testing::compare_screenshot(frame.get(), QStringLiteral("hidpi-frame"));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
};

int main(int argc, char** argv) {
    kestra::testing::prepare_qt_environment();
    qputenv("QT_SCALE_FACTOR", "2");
    qunsetenv("QT_ENABLE_HIGHDPI_SCALING");
    QApplication app(argc, argv);
    kestra::testing::fix_look();
    HiDpiTest tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "hidpi_test.moc"
