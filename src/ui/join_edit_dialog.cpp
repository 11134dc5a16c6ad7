#include "ui/join_edit_dialog.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/ui_hooks.h"
#include "model/text_limits.h"
#include "ui/add_join_table_dialog.h"
#include "ui/artwork.h"
#include "ui/expression_edit_dialog.h"
#include "ui/host_text.h"
#include "ui/keyboard_popup.h"
#include "ui/object_names.h"
#include "ui/ui_seams.h"

namespace kestra::ui {

namespace {

constexpr int kNameId = 29;
constexpr int kTreeId = 1084;
constexpr int kAddTableId = 1085;
constexpr int kMoveUpId = 1188;
constexpr int kMoveDownId = 1189;

// These popups' captions carry no mnemonics, and table, set and field names from the host may hold "&": shown
// literally, never as a key.
QString menu_caption(const std::string& text) { return from_host(text).replace(QLatin1Char('&'), QStringLiteral("&&")); }

void fill_menu(QMenu* menu, const std::vector<workspace::JoinMenuItem>& items, const std::function<void(int)>& run) {
    for (const workspace::JoinMenuItem& item : items) {
        switch (item.kind) {
            case workspace::JoinMenuItem::Kind::separator:
                menu->addSeparator();
                break;
            case workspace::JoinMenuItem::Kind::submenu: {
                QMenu* sub = menu->addMenu(menu_caption(item.text));
                sub->setEnabled(item.enabled);
                fill_menu(sub, item.items, run);
                break;
            }
            case workspace::JoinMenuItem::Kind::command: {
                QAction* action = menu->addAction(menu_caption(item.text));
                set_command_id(action, item.id);
                action->setCheckable(item.checkable);
                action->setChecked(item.checked);
                action->setEnabled(item.enabled);
                const int id = item.id;
                QObject::connect(action, &QAction::triggered, menu, [run, id] { run(id); });
                break;
            }
        }
    }
}

}  // namespace

// --- The tree ---

CJoinTree::CJoinTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    // Dragging near the top or bottom scrolls by the view's own timer.
    setAutoScroll(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
}

QStringList CJoinTree::mimeTypes() const {
    return {QString::fromLatin1(kMemberMime)};
}

QMimeData* CJoinTree::mimeData(const QList<QTreeWidgetItem*>& items) const {
    if (items.isEmpty()) return nullptr;
    const QTreeWidgetItem* item = items.front();
    if (item->data(0, kMemberRole).toInt() < 0 || item->data(0, kJoinFieldRole).toInt() >= 0) return nullptr;
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kMemberMime), QByteArray::number(item->data(0, kMemberRole).toInt()));
    return mime;
}

Qt::DropActions CJoinTree::supportedDropActions() const {
    return Qt::MoveAction;
}

int CJoinTree::drop_target(const QPoint& pos) const {
    const QTreeWidgetItem* item = itemAt(pos);
    if (item == nullptr) return -1;
    const int member = item->data(0, kMemberRole).toInt();
    return member < 0 ? 0 : member;  // the root puts the member first
}

void CJoinTree::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasFormat(QString::fromLatin1(kMemberMime))) {
        QTreeWidget::dragEnterEvent(event);
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void CJoinTree::dragMoveEvent(QDragMoveEvent* event) {
    // The base class runs the auto-scroll timer and draws the indicator; whether a drop is taken is decided here.
    QTreeWidget::dragMoveEvent(event);
    if (event->mimeData()->hasFormat(QString::fromLatin1(kMemberMime)) && drop_target(event->position().toPoint()) >= 0)
        event->acceptProposedAction();
    else
        event->ignore();
}

void CJoinTree::dropEvent(QDropEvent* event) {
    const QByteArray dragged = event->mimeData()->data(QString::fromLatin1(kMemberMime));
    bool ok = false;
    const int from = dragged.toInt(&ok);
    const int to = drop_target(event->position().toPoint());
    // The items are rebuilt from the model; the view must not move them itself.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    stopAutoScroll();
    setState(NoState);
    viewport()->update();
    if (!ok || from < 0 || to < 0 || from == to || !on_move) return;
    // The move may ask first and rebuilds every item: both wait until the drag has ended.
    QMetaObject::invokeMethod(
        this, [this, from, to] { on_move(static_cast<std::size_t>(from), static_cast<std::size_t>(to)); },
        Qt::QueuedConnection);
}

// --- The dialog ---

CEditJoinDlg::CEditJoinDlg(workspace::CJoinEditModel& model, const QString& title, QWidget* parent)
    : QDialog(parent), model_(model) {
    set_dialog_name(this, QStringLiteral("EditJoin"));
    setWindowTitle(title);

    name_ = new QLineEdit(this);
    set_control_role(name_, QStringLiteral("EditJoin"), QStringLiteral("Name"));
    name_->setProperty(kControlIdProperty, kNameId);
    // A stored name longer than may be typed is shown whole; the rule at OK decides.
    limit_host_text(name_, model::kTableNameMax);
    name_->setText(from_host(model_.join().name.view()));
    auto* name_label = new QLabel(QStringLiteral("&Name:"), this);
    name_label->setBuddy(name_);

    tree_ = new CJoinTree(this);
    set_control_role(tree_, QStringLiteral("EditJoin"), QStringLiteral("Tree"));
    tree_->setProperty(kControlIdProperty, kTreeId);
    tree_->setIconSize(QSize(16, 16));
    tree_->on_move = [this](std::size_t from, std::size_t to) { move(from, to); };
    auto* tree_label = new QLabel(QStringLiteral("Join &Tables:"), this);
    set_buddy(tree_label, tree_);

    message_ = new QLabel(this);
    set_control_role(message_, QStringLiteral("EditJoin"), QStringLiteral("Message"));
    message_->setStyleSheet(QStringLiteral("color: #b00000"));

    add_ = new QPushButton(QStringLiteral("&Add Table..."), this);
    set_control_id(add_, kAddTableId);
    up_ = new QPushButton(QStringLiteral("Move &Up"), this);
    set_control_id(up_, kMoveUpId);
    down_ = new QPushButton(QStringLiteral("Move &Down"), this);
    set_control_id(down_, kMoveDownId);
    auto* buttons = ok_cancel_buttons(this);

    auto* side = new QVBoxLayout;
    side->addWidget(add_);
    side->addWidget(up_);
    side->addWidget(down_);
    side->addStretch(1);
    auto* grid = new QGridLayout(this);
    grid->addWidget(name_label, 0, 0);
    grid->addWidget(name_, 0, 1);
    grid->addWidget(tree_label, 1, 0, 1, 2);
    grid->addWidget(tree_, 2, 0, 1, 2);
    grid->addLayout(side, 2, 2);
    grid->addWidget(message_, 3, 0, 1, 3);
    grid->addWidget(buttons, 4, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);

    connect(add_, &QPushButton::clicked, this, &CEditJoinDlg::add_table);
    connect(up_, &QPushButton::clicked, this, [this] {
        const int k = current_member();
        if (k > 0) move(static_cast<std::size_t>(k), static_cast<std::size_t>(k - 1));
    });
    connect(down_, &QPushButton::clicked, this, [this] {
        const int k = current_member();
        if (k >= 0) move(static_cast<std::size_t>(k), static_cast<std::size_t>(k + 1));
    });
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this] { update_buttons(); });
    connect(tree_, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QTreeWidgetItem* item = tree_->itemAt(pos);
        if (item == nullptr) return;
        if (QMenu* menu = open_popup(item)) menu->popup(tree_->viewport()->mapToGlobal(pos));
    });
    // From the keyboard the popup is the current item's, just below it.
    install_keyboard_popup(tree_, [this] {
        QTreeWidgetItem* item = tree_->currentItem();
        if (item == nullptr) return;
        const QPoint below = below_current_item(tree_);
        if (QMenu* menu = open_popup(item)) menu->popup(tree_->viewport()->mapToGlobal(below));
    });

    refill();
    resize(520, 380);
    name_->setFocus(Qt::OtherFocusReason);
}

QTreeWidgetItem* CEditJoinDlg::member_item(std::size_t k) const {
    QTreeWidgetItem* root = tree_->topLevelItem(0);
    if (root == nullptr || k >= static_cast<std::size_t>(root->childCount())) return nullptr;
    return root->child(static_cast<int>(k));
}

QTreeWidgetItem* CEditJoinDlg::join_field_item(std::size_t k, std::size_t i) const {
    QTreeWidgetItem* member = member_item(k);
    if (member == nullptr || i >= static_cast<std::size_t>(member->childCount())) return nullptr;
    return member->child(static_cast<int>(i));
}

int CEditJoinDlg::current_member() const {
    const QTreeWidgetItem* item = tree_->currentItem();
    if (item == nullptr || item->data(0, CJoinTree::kJoinFieldRole).toInt() >= 0) return -1;
    return item->data(0, CJoinTree::kMemberRole).toInt();
}

void CEditJoinDlg::refill(int member, int join_field) {
    tree_->clear();
    auto* root = new QTreeWidgetItem(tree_, QStringList(QString::fromLatin1(workspace::kJoinRootText)));
    root->setIcon(0, join_root_icon());
    root->setData(0, CJoinTree::kMemberRole, -1);
    root->setData(0, CJoinTree::kJoinFieldRole, -1);
    root->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled);
    QTreeWidgetItem* select = nullptr;
    for (std::size_t k = 0; k < model_.member_count(); ++k) {
        auto* item = new QTreeWidgetItem(root, QStringList(from_host(model_.member_text(k))));
        item->setIcon(0, join_member_icon());
        item->setData(0, CJoinTree::kMemberRole, static_cast<int>(k));
        item->setData(0, CJoinTree::kJoinFieldRole, -1);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled);
        if (static_cast<int>(k) == member && join_field < 0) select = item;
        for (std::size_t i = 0; i < model_.join_field_count(k); ++i) {
            auto* field = new QTreeWidgetItem(item, QStringList(from_host(model_.join_field_text(k, i))));
            field->setIcon(0, join_field_icon());
            field->setData(0, CJoinTree::kMemberRole, static_cast<int>(k));
            field->setData(0, CJoinTree::kJoinFieldRole, static_cast<int>(i));
            field->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled);
            if (static_cast<int>(k) == member && static_cast<int>(i) == join_field) select = field;
        }
    }
    tree_->expandAll();
    // Auto-scroll starts one row from the edge.
    tree_->setAutoScrollMargin(std::max(tree_->visualItemRect(root).height(), 16));
    if (select != nullptr) {
        tree_->setCurrentItem(select);
        tree_->scrollToItem(select);
    }
    update_buttons();
}

void CEditJoinDlg::update_buttons() {
    const int k = current_member();
    up_->setEnabled(k > 0 && model_.can_move_up(static_cast<std::size_t>(k)));
    down_->setEnabled(k >= 0 && model_.can_move_down(static_cast<std::size_t>(k)));
    add_->setEnabled(!model_.available_tables().empty() && model_.member_count() < workspace::kJoinMemberLimit);
}

QMenu* CEditJoinDlg::open_popup(QTreeWidgetItem* item) {
    if (item == nullptr) return nullptr;
    tree_->setCurrentItem(item);
    for (QMenu* old : findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly)) old->deleteLater();
    const int k = item->data(0, CJoinTree::kMemberRole).toInt();
    const int i = item->data(0, CJoinTree::kJoinFieldRole).toInt();
    int resource = workspace::join_cmd::kRootMenu;
    std::vector<workspace::JoinMenuItem> items;
    if (k < 0) {
        items = model_.root_menu();
    } else if (i < 0) {
        resource = workspace::join_cmd::kMemberMenu;
        items = model_.member_menu(static_cast<std::size_t>(k));
    } else {
        resource = workspace::join_cmd::kJoinFieldMenu;
        items = model_.join_field_menu(static_cast<std::size_t>(k), static_cast<std::size_t>(i));
    }
    if (items.empty()) return nullptr;
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("menu_%1").arg(resource));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const auto member = static_cast<std::size_t>(std::max(k, 0));
    const auto field = static_cast<std::size_t>(std::max(i, 0));
    // Commands run once the menu has closed, so a dialog they open is not stacked on the popup.
    fill_menu(menu, items, [this, resource, member, field](int id) {
        QMetaObject::invokeMethod(
            this, [this, resource, member, field, id] { run(resource, member, field, id); }, Qt::QueuedConnection);
    });
    return menu;
}

void CEditJoinDlg::run(int menu, std::size_t k, std::size_t i, int id) {
    workspace::JoinAction action = workspace::JoinAction::none;
    int keep_member = static_cast<int>(k);
    int keep_field = -1;
    switch (menu) {
        case workspace::join_cmd::kMemberMenu:
            action = model_.member_command(k, id);
            if (id == workspace::join_cmd::kDeleteTable) keep_member = -1;
            break;
        case workspace::join_cmd::kJoinFieldMenu:
            action = model_.join_field_command(k, i, id);
            keep_field = static_cast<int>(i);
            break;
        default:
            action = model_.root_command(id);
            keep_member = static_cast<int>(model_.member_count()) - 1;
            break;
    }
    switch (action) {
        case workspace::JoinAction::none:
            break;
        case workspace::JoinAction::changed:
            refill(keep_member, keep_field);
            break;
        case workspace::JoinAction::edit_where:
            edit_where(k);
            break;
        case workspace::JoinAction::edit_expression:
            edit_join_value(k, i);
            break;
    }
}

void CEditJoinDlg::edit_where(std::size_t k) {
    expr::CExpressionParser parser;
    if (!model_.begin_where_edit(k, parser)) return;
    CExpressionEditDlg dialog(parser, this);
    if (seams().exec_dialog(dialog) != QDialog::Accepted) return;
    model_.store_where(k, parser.GetText());
    refill(static_cast<int>(k));
}

void CEditJoinDlg::edit_join_value(std::size_t k, std::size_t i) {
    expr::CExpressionParser parser;
    std::vector<expr::MemberFieldRef> refs;
    if (!model_.begin_join_value_edit(k, i, parser, refs)) return;
    CExpressionEditDlg dialog(parser, this);
    if (seams().exec_dialog(dialog) != QDialog::Accepted) return;
    model_.store_join_value(k, i, parser, refs);
    refill(static_cast<int>(k), static_cast<int>(i));
}

void CEditJoinDlg::add_table() {
    const auto tables = model_.available_tables();
    if (tables.empty() || model_.member_count() >= workspace::kJoinMemberLimit) return;
    std::vector<std::string> names;
    for (const model::CConfigTable* t : tables) names.push_back(t->name.str());
    CAddJoinTableDlg dialog(names, this);
    if (seams().exec_dialog(dialog) != QDialog::Accepted) return;
    const int row = dialog.selected();
    if (row < 0 || static_cast<std::size_t>(row) >= tables.size()) return;
    if (model_.add_table(*tables[static_cast<std::size_t>(row)]))
        refill(static_cast<int>(model_.member_count()) - 1);
    else
        update_buttons();
}

void CEditJoinDlg::move(std::size_t from, std::size_t to) {
    if (to >= model_.member_count() || !model_.move_member(from, to)) return;
    refill(static_cast<int>(to));
}

void CEditJoinDlg::accept() {
    std::size_t bad = 0;
    const char* refusal = model_.save(to_host(name_->text()), bad);
    if (refusal == nullptr) {
        QDialog::accept();
        return;
    }
    if (QString::fromLatin1(refusal) == QString::fromLatin1(workspace::kJoinFragmented)) {
        refill(static_cast<int>(bad));
        if (QTreeWidgetItem* item = member_item(bad)) item->setExpanded(true);
        refuse_field(tree_, message_, QString::fromLatin1(refusal));
        return;
    }
    refuse_field(name_, message_, QString::fromLatin1(refusal));
}

}  // namespace kestra::ui
