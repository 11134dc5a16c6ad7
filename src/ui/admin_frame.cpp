#include "ui/admin_frame.h"

#include <QCloseEvent>
#include <QFrame>
#include <QMdiArea>
#include <QSplitter>

#include "ui/archive_commands.h"
#include "ui/admin_view.h"
#include "ui/client_config_view.h"
#include "ui/host_text.h"
#include "ui/report_commands.h"
#include "ui/options_dialogs.h"
#include "ui/toolbar_icons.h"
#include "ui/window_geometry.h"
#include "workspace/command_ids.h"

namespace kestra::ui {

namespace cmd = workspace::cmd;

namespace {

// A pane that asks for the size both panes start at, until a view takes its place.
class EmptyPane : public QFrame {
  public:
    QSize sizeHint() const override { return {CAdminFrame::kPaneSize, CAdminFrame::kPaneSize}; }
};

QWidget* empty_pane(const QString& name) {
    auto* pane = new EmptyPane;
    pane->setObjectName(name);
    pane->setFrameShape(QFrame::StyledPanel);
    pane->setBackgroundRole(QPalette::Base);
    pane->setAutoFillBackground(true);
    return pane;
}

}  // namespace

CAdminFrame::CAdminFrame(std::unique_ptr<workspace::CAdminDoc> doc, std::string ini_path, QWidget* parent)
    : QMdiSubWindow(parent), doc_(std::move(doc)), tree_(std::make_unique<workspace::CTreeController>(*doc_)),
      ini_path_(std::move(ini_path)), splitter_(new QSplitter(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frame_connection"));
    setWindowTitle(from_host(doc_->title()));
    splitter_->setObjectName(QStringLiteral("splitter"));
    splitter_->setChildrenCollapsible(false);
    splitter_->addWidget(empty_pane(QStringLiteral("pane_tree")));
    splitter_->addWidget(empty_pane(QStringLiteral("pane_view")));
    for (int i = 0; i < 2; ++i) splitter_->widget(i)->resize(kPaneSize, kPaneSize);
    splitter_->setSizes({kPaneSize, kPaneSize});
    setWidget(splitter_);
    setWindowIcon(toolbar_icon(cmd::kNewConnection));
    tree_view_ = new CAdminView(*tree_);
    config_view_ = new CClientConfigView(*tree_);
    set_panes(tree_view_, config_view_);
    connect(tree_view_, &CAdminView::changed, this, &CAdminFrame::commands_changed);
    connect(config_view_, &CClientConfigView::changed, this, &CAdminFrame::commands_changed);
    adjustSize();
    // The report's page file lives as long as the window. Should it fail here, the report commands try again and
    // say why.
    doc_->print.page_file.create();
    // The window opens on the host's list of files with the root selected.
    if (doc_->session().logged_in()) tree_->load_tree();
}

CAdminFrame::~CAdminFrame() {
    // The views go with the splitter after this; they must not hear from the tree again.
    tree_->remove_listener(tree_view_);
    tree_->remove_listener(config_view_);
}

void CAdminFrame::set_panes(QWidget* tree, QWidget* view) {
    const QList<int> sizes = splitter_->sizes();
    if (tree != nullptr) delete splitter_->replaceWidget(0, tree);
    if (view != nullptr) delete splitter_->replaceWidget(1, view);
    splitter_->setSizes(sizes);
}

bool CAdminFrame::restore_placement() {
    const std::string suffix = doc_->placement_suffix();
    const auto placement = workspace::read_placement(ini_path_, workspace::open_pos_key(suffix));
    if (!placement) return false;
    QRect normal = to_qrect(placement->normal);
    if (mdiArea() != nullptr) {
        // Within the main window's client area: keep at least a corner of it reachable.
        const QRect area(QPoint(0, 0), mdiArea()->viewport()->size());
        if (!normal.intersects(area)) normal.moveTopLeft(QPoint(0, 0));
    }
    showNormal();
    setGeometry(normal);
    normal_geometry_ = normal;
    if (placement->maximized() || (placement->flags & workspace::WindowPlacement::kRestoreToMaximized) != 0)
        showMaximized();

    QList<int> sizes = splitter_->sizes();
    for (int pane = 1; pane <= 2; ++pane) {
        const auto pos = workspace::read_splitter(ini_path_, workspace::split_pos_key(pane, suffix));
        if (!pos) continue;
        sizes[pane - 1] = pos->width;
        splitter_->widget(pane - 1)->setMinimumWidth(pos->min_width);
    }
    splitter_->setSizes(sizes);
    return true;
}

void CAdminFrame::save_placement() const {
    const std::string suffix = doc_->placement_suffix();
    const QRect normal = normal_geometry_.isValid() ? normal_geometry_ : geometry();
    workspace::write_placement(ini_path_, workspace::open_pos_key(suffix), current_placement(this, normal));
    const QList<int> sizes = splitter_->sizes();
    for (int pane = 1; pane <= 2 && pane <= sizes.size(); ++pane) {
        const QWidget* w = splitter_->widget(pane - 1);
        workspace::write_splitter(
            ini_path_, workspace::split_pos_key(pane, suffix),
            workspace::SplitterPos{sizes[pane - 1], w->height(), w->minimumWidth(), w->minimumHeight()});
    }
}

bool CAdminFrame::handle_command(int id) {
    switch (id) {
        case cmd::kCloseConnection:
            close();
            return true;
        case cmd::kNextPane:
            focus_pane(1);
            return true;
        case cmd::kPrevPane:
            focus_pane(-1);
            return true;
        case cmd::kGetFiles:
            get_files_from_host(doc_->session(), window());
            return true;
        case cmd::kPutFiles:
            put_files_onto_host(doc_->session(), window());
            return true;
        case cmd::kDefaultOptions:
            run_options_dialog(doc_->session(), window());
            return true;
        case cmd::kEnvironmentCommand:
            run_environment_command(doc_->client(), window());
            return true;
        case cmd::kPrint:
        case cmd::kPrintPreview:
        case cmd::kExportPdf:
            return run_report_command(*this, id);
        default:
            break;
    }
    const bool handled = tree_view_->handle_command(id) || config_view_->handle_command(id);
    if (handled) emit commands_changed();
    return handled;
}

void CAdminFrame::focus_pane(int step) {
    const int count = splitter_->count();
    int current = 0;
    for (int i = 0; i < count; ++i)
        if (splitter_->widget(i)->isAncestorOf(focusWidget()) || splitter_->widget(i) == focusWidget()) current = i;
    QWidget* next = splitter_->widget(((current + step) % count + count) % count);
    next->setFocus(Qt::OtherFocusReason);
}

void CAdminFrame::closeEvent(QCloseEvent* event) {
    // A modified file is saved or let go first (Yes or No: the window closes either way).
    if (!doc_->closed()) tree_->leave(true);
    save_placement();
    // The logout's diagnostics, if any, are shown; the window closes either way.
    if (doc_->close() != 0) doc_->session().show_errors();
    QMdiSubWindow::closeEvent(event);
}

void CAdminFrame::moveEvent(QMoveEvent* event) {
    QMdiSubWindow::moveEvent(event);
    if (!isMaximized() && !isMinimized() && isVisible()) normal_geometry_ = geometry();
}

void CAdminFrame::resizeEvent(QResizeEvent* event) {
    QMdiSubWindow::resizeEvent(event);
    if (!isMaximized() && !isMinimized() && isVisible()) normal_geometry_ = geometry();
}

}  // namespace kestra::ui
