#include "ui/admin_view.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDrag>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>

#include "app/ui_hooks.h"
#include "configsvc/config_file_names.h"
#include "ui/admin_view_accessible.h"
#include "ui/artwork.h"
#include "ui/command_actions.h"
#include "ui/config_name_dialog.h"
#include "ui/host_text.h"
#include "ui/keyboard_popup.h"
#include "ui/main_frame.h"
#include "ui/ui_seams.h"
#include "workspace/admin_doc.h"
#include "workspace/clipboard_codec.h"
#include "workspace/command_ids.h"

namespace kestra::ui {

namespace cmd = workspace::cmd;
using model::CServerNode;
using workspace::NodeGlyph;

namespace {

constexpr const char* kClipboardMime = "application/x-kestra-admin";

QFont tree_font(const workspace::TreeFont& f) {
    QFont font(QString::fromLatin1(f.face.c_str()), f.point_size);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

workspace::ClipNode clip_of(const CServerNode& node) {
    workspace::ClipNode out{node.name, node.config.number, node.collapsed, {}};
    for (const auto& child : node.children()) out.children.push_back(clip_of(*child));
    return out;
}

CMainFrame* main_frame_of(QWidget* w) { return qobject_cast<CMainFrame*>(w->window()); }

CServerNode* dragged = nullptr;

QMimeData* mime_of(const CServerNode& node) {
    const workspace::ClipNode clip = clip_of(node);
    auto* mime = new QMimeData;
    const std::string bytes = workspace::encode_private(clip);
    mime->setData(QString::fromLatin1(kClipboardMime), QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    mime->setText(from_host(workspace::encode_text(clip)));
    return mime;
}

}  // namespace

CAdminView::CAdminView(workspace::CTreeController& tree, QWidget* parent) : QAbstractScrollArea(parent), tree_(tree) {
    install_admin_view_accessibility();
    setObjectName(QStringLiteral("adminView"));
    setAccessibleName(QStringLiteral("Configuration files"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setFont(tree_font(tree_.doc().tree_font));
    viewport()->setBackgroundRole(QPalette::Base);
    QPalette pal = viewport()->palette();
    pal.setColor(QPalette::Base, Qt::white);
    viewport()->setPalette(pal);
    viewport()->setAutoFillBackground(true);
    viewport()->setAcceptDrops(true);
    // Once another window or program replaces what this window put there, Paste is no longer this window's.
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        if (own_clip_ == nullptr || QGuiApplication::clipboard()->mimeData() != own_clip_) {
            own_clip_ = nullptr;
            if (tree_.doc().clipboard.owner) {
                tree_.doc().clipboard.owner = false;
                emit changed();
            }
        }
    });
    tree_.add_listener(this);
    relayout();
}

CServerNode* CAdminView::dragged_node() { return dragged; }

void CAdminView::set_dragged_node(CServerNode* node) { dragged = node; }

QSize CAdminView::sizeHint() const { return {200, 200}; }

void CAdminView::relayout() {
    const QFontMetrics fm(viewport()->font());
    layout_ = workspace::layout_tree(
        tree_.doc().root(), [&fm](std::string_view text) { return fm.horizontalAdvance(from_host(text)); },
        fm.height());
    const int step = std::max(layout_.row_height, 1);
    verticalScrollBar()->setSingleStep(step);
    verticalScrollBar()->setPageStep(step * workspace::kPageRows);
    verticalScrollBar()->setRange(0, std::max(0, layout_.height - viewport()->height()));
    horizontalScrollBar()->setSingleStep(step);
    horizontalScrollBar()->setPageStep(std::max(viewport()->width(), 1));
    horizontalScrollBar()->setRange(0, std::max(0, layout_.width - viewport()->width()));
}

void CAdminView::forget_branch(const CServerNode& branch) {
    if (dragged != nullptr && branch.contains(dragged)) dragged = nullptr;
    if (press_node_ != nullptr && branch.contains(press_node_)) press_node_ = nullptr;
    // The rows point at nodes; none is drawn or hit until the next layout.
    layout_ = {};
    viewport()->update();
}

void CAdminView::tree_changed() {
    relayout();
    show_selection();
    viewport()->update();
    emit changed();
}

QRect CAdminView::node_rect(const CServerNode* node) const {
    const int row = layout_.row_of(node);
    if (row < 0) return {};
    const workspace::TreeRow& r = layout_.rows[static_cast<std::size_t>(row)];
    return QRect(r.x, r.y, r.width, r.height)
        .translated(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
}

void CAdminView::show_selection() {
    const int row = layout_.row_of(tree_.doc().selected());
    if (row < 0) return;
    const workspace::TreeRow& r = layout_.rows[static_cast<std::size_t>(row)];
    QScrollBar* v = verticalScrollBar();
    // Just enough to bring the row into view.
    if (r.y < v->value())
        v->setValue(r.y);
    else if (r.y + layout_.row_height > v->value() + viewport()->height())
        v->setValue(r.y + layout_.row_height - viewport()->height());
}

CServerNode* CAdminView::node_at(const QPoint& pos) const {
    return layout_.node_at(pos.x() + horizontalScrollBar()->value(), pos.y() + verticalScrollBar()->value());
}

void CAdminView::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), Qt::white);
    p.translate(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    QPen dotted(QColor(128, 128, 128), 1, Qt::DotLine);
    p.setPen(dotted);
    for (const workspace::TreeLine& l : layout_.lines) p.drawLine(l.x1, l.y1, l.x2, l.y2);
    const CServerNode* selected = tree_.doc().selected();
    const QIcon glyphs[] = {tree_glyph_icon(NodeGlyph::expanded), tree_glyph_icon(NodeGlyph::collapsed),
                            tree_glyph_icon(NodeGlyph::collapsed_empty), tree_glyph_icon(NodeGlyph::leaf)};
    for (const workspace::TreeRow& r : layout_.rows) {
        const QRect glyph(r.x, r.y + (r.height - workspace::kGlyphSize) / 2, workspace::kGlyphSize,
                          workspace::kGlyphSize);
        glyphs[static_cast<int>(r.glyph)].paint(&p, glyph);
        const QRect text(r.x + workspace::kGlyphSize, r.y, r.width - workspace::kGlyphSize, r.height);
        const bool on = r.node == selected;
        if (on) p.fillRect(text, palette().color(QPalette::Highlight));
        p.setPen(on ? palette().color(QPalette::HighlightedText) : QColor(Qt::black));
        p.drawText(text.adjusted(workspace::kTextInset, 0, -workspace::kTextInset, 0),
                   Qt::AlignLeft | Qt::AlignVCenter, from_host(r.node->name));
        if (on && hasFocus()) {
            p.setPen(QPen(palette().color(QPalette::HighlightedText), 1, Qt::DotLine));
            p.drawRect(text.adjusted(0, 0, -1, -1));
        }
    }
}

void CAdminView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    relayout();
}

void CAdminView::select(CServerNode* node) {
    if (node == nullptr || node == tree_.doc().selected()) return;
    tree_.select(node);
    tree_changed();
}

void CAdminView::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    press_node_ = nullptr;
    if (event->button() != Qt::LeftButton) return;
    CServerNode* node = node_at(event->pos());
    select(node);
    // Only a node the save prompt let through can be dragged.
    if (node != nullptr && node == tree_.doc().selected()) press_node_ = node;
}

void CAdminView::mouseMoveEvent(QMouseEvent* event) {
    if (press_node_ == nullptr || (event->buttons() & Qt::LeftButton) == 0) return;
    if (node_rect(press_node_).contains(event->pos())) return;
    CServerNode* node = press_node_;
    press_node_ = nullptr;
    start_drag(node);
}

void CAdminView::mouseReleaseEvent(QMouseEvent*) { press_node_ = nullptr; }

void CAdminView::start_drag(CServerNode* node) {
    // What Cut would take: a file without children.
    if (node->is_root() || !node->children().empty()) return;
    dragged = node;
    auto* drag = new QDrag(this);
    drag->setMimeData(mime_of(*node));
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    // A move within this tree was done by the drop itself; another tree only ever copies.
    dragged = nullptr;
    tree_changed();
}

workspace::DropEffect CAdminView::effect_of(const QDropEvent* event) const {
    const QMimeData* mime = event->mimeData();
    if (mime == nullptr || !(mime->hasFormat(QString::fromLatin1(kClipboardMime)) || mime->hasText()))
        return workspace::DropEffect::none;
    const Qt::KeyboardModifiers keys = event->modifiers();
    const CServerNode* target = node_at(event->position().toPoint());
    return workspace::drop_effect(dragged, target, tree_.doc().root(), (keys & Qt::ControlModifier) != 0,
                                  (keys & (Qt::AltModifier | Qt::ShiftModifier)) != 0);
}

void CAdminView::dragEnterEvent(QDragEnterEvent* event) {
    if (effect_of(event) == workspace::DropEffect::none && event->mimeData() != nullptr &&
        !(event->mimeData()->hasFormat(QString::fromLatin1(kClipboardMime)) || event->mimeData()->hasText())) {
        event->ignore();
        return;
    }
    // Entering over empty space is fine: the move events decide per node.
    event->acceptProposedAction();
}

void CAdminView::dragMoveEvent(QDragMoveEvent* event) {
    const workspace::DropEffect effect = effect_of(event);
    if (effect == workspace::DropEffect::none) {
        event->ignore();
        return;
    }
    event->setDropAction(effect == workspace::DropEffect::move ? Qt::MoveAction : Qt::CopyAction);
    event->accept();
}

void CAdminView::dropEvent(QDropEvent* event) {
    const workspace::DropEffect effect = effect_of(event);
    CServerNode* target = node_at(event->position().toPoint());
    if (effect == workspace::DropEffect::none || target == nullptr) {
        event->ignore();
        return;
    }
    if (effect == workspace::DropEffect::copy) {
        // A copy only selects the target.
        select(target);
        event->setDropAction(Qt::CopyAction);
        event->accept();
        return;
    }
    if (dragged == nullptr || !tree_.move_file(*dragged, *target)) {
        tree_changed();
        event->ignore();
        return;
    }
    tree_changed();
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void CAdminView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (CServerNode* node = node_at(event->pos()); node != nullptr && node == tree_.doc().selected()) enter();
}

void CAdminView::enter() {
    CServerNode* node = tree_.doc().selected();
    if (node == nullptr) return;
    workspace::toggle_node(*node);
    tree_changed();
}

void CAdminView::keyPressEvent(QKeyEvent* event) {
    if (is_popup_key(*event)) {
        QContextMenuEvent keyboard(QContextMenuEvent::Keyboard, QPoint(), mapToGlobal(QPoint()));
        contextMenuEvent(&keyboard);
        return;
    }
    CServerNode& root = tree_.doc().root();
    const CServerNode* selected = tree_.doc().selected();
    auto move = [&](workspace::TreeMove m) { select(workspace::move_selection(root, selected, m)); };
    switch (event->key()) {
        case Qt::Key_Up:
            move(workspace::TreeMove::up);
            return;
        case Qt::Key_Down:
            move(workspace::TreeMove::down);
            return;
        case Qt::Key_PageUp:
            move(workspace::TreeMove::page_up);
            return;
        case Qt::Key_PageDown:
            move(workspace::TreeMove::page_down);
            return;
        case Qt::Key_Home:
            move(workspace::TreeMove::home);
            return;
        case Qt::Key_End:
            move(workspace::TreeMove::end);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            enter();
            return;
        case Qt::Key_Plus:
            handle_command(cmd::kExpandOneLevel);
            return;
        case Qt::Key_Asterisk:
            handle_command((event->modifiers() & Qt::ControlModifier) != 0 ? cmd::kExpandAll : cmd::kExpandBranch);
            return;
        case Qt::Key_Minus:
            handle_command(cmd::kCollapseBranch);
            return;
        default:
            QAbstractScrollArea::keyPressEvent(event);
    }
}

void CAdminView::contextMenuEvent(QContextMenuEvent* event) {
    // The Menu key may arrive both as a key and as the platform's context menu event: one popup is enough.
    if (QApplication::activePopupWidget() != nullptr) return;
    QPoint at = event->globalPos();
    if (event->reason() == QContextMenuEvent::Mouse) {
        select(node_at(event->pos()));
    } else {
        // From the keyboard: just below the selected node's name, where the eye already is.
        show_selection();
        const QRect r = node_rect(tree_.doc().selected());
        at = viewport()->mapToGlobal(r.isEmpty() ? QPoint(0, 0) : QPoint(r.left() + workspace::kGlyphSize, r.bottom()));
    }
    if (tree_.doc().selected() == nullptr) return;
    CMainFrame* main = main_frame_of(this);
    if (main == nullptr) return;
    main->update_commands();
    for (QMenu* old : findChildren<QMenu*>(QStringLiteral("menu_103_SimplePopup"))) old->deleteLater();
    QMenu* menu = make_popup("_SimplePopup_", main->commands(), this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(at);
}

bool CAdminView::handle_command(int id) {
    CServerNode* selected = tree_.doc().selected();
    switch (id) {
        case cmd::kExpandOneLevel:
            if (selected != nullptr && !selected->children().empty()) workspace::expand_one_level(*selected);
            break;
        case cmd::kExpandBranch:
            if (selected != nullptr) workspace::expand_branch(*selected);
            break;
        case cmd::kExpandAll:
            workspace::expand_branch(tree_.doc().root());
            break;
        case cmd::kCollapseBranch:
            if (selected != nullptr && !selected->children().empty()) workspace::collapse_branch(*selected);
            break;
        case cmd::kAddConfigFile:
            add_file(false);
            break;
        case cmd::kPaste:
            add_file(true);
            break;
        case cmd::kRenameConfigFile:
            rename_file();
            break;
        case cmd::kSaveConfigFile:
            tree_.save_selected();
            break;
        case cmd::kDeleteConfigFile:
            tree_.delete_file((seams().keyboard_modifiers() & Qt::ControlModifier) != 0);
            break;
        case cmd::kCopy:
            if (tree_.copy_file()) put_on_clipboard();
            break;
        case cmd::kCut:
            if (tree_.cut_file()) put_on_clipboard();
            break;
        default:
            return false;
    }
    tree_changed();
    return true;
}

void CAdminView::add_file(bool paste) {
    if (tree_.doc().selected() == nullptr) {
        app::message_box(workspace::kUnsupportedOperation);
        return;
    }
    if (paste && tree_.kept() == nullptr) return;
    CConfigNameDlg dialog(paste ? configsvc::NameUse::paste : configsvc::NameUse::add, tree_.doc().root(), {}, this);
    if (seams().exec_dialog(dialog) != QDialog::Accepted) return;
    if (paste)
        tree_.paste_file(dialog.name());
    else
        tree_.add_file(dialog.name());
}

void CAdminView::rename_file() {
    CServerNode* node = tree_.doc().selected();
    if (node == nullptr || node->is_root()) {
        app::message_box(workspace::kUnsupportedOperation);
        return;
    }
    CConfigNameDlg dialog(configsvc::NameUse::rename, tree_.doc().root(), node->name, this);
    if (seams().exec_dialog(dialog) != QDialog::Accepted) return;
    tree_.rename_file(dialog.name());
}

void CAdminView::put_on_clipboard() {
    const CServerNode* kept = tree_.kept();
    if (kept == nullptr) return;
    QMimeData* mime = mime_of(*kept);
    own_clip_ = mime;
    QGuiApplication::clipboard()->setMimeData(mime);
}

}  // namespace kestra::ui
