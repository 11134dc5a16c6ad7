#include "ui/client_config_view.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/ui_hooks.h"
#include "ui/artwork.h"
#include "ui/command_actions.h"
#include "ui/host_text.h"
#include "ui/keyboard_popup.h"
#include "ui/main_frame.h"
#include "ui/object_names.h"
#include "workspace/admin_doc.h"
#include "workspace/command_ids.h"

namespace kestra::ui {

using workspace::ViewMode;

namespace {

EntryDialogs* entry_dialogs = nullptr;

struct ModeButton {
    ViewMode mode;
    int id;
    const char* caption;
};
constexpr ModeButton kModeButtons[] = {{ViewMode::tables, 1002, "TABLES"},
                                       {ViewMode::applications, 1003, "APPS"},
                                       {ViewMode::limits, 1004, "LIMITS"},
                                       {ViewMode::global, 1011, "GLOBAL"}};

}  // namespace

void set_entry_dialogs(EntryDialogs* dialogs) { entry_dialogs = dialogs; }

bool CClientConfigView::event(QEvent* event) {
    // Key events reach the view from its focused control when that control leaves them: a ShortcutOverride taken
    // here keeps the menu bar from claiming the key, and the key press that follows presses Edit.
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence mnemonic = QKeySequence::mnemonic(edit_->text());
        // A disabled Edit leaves the key to the menu.
        if (!mnemonic.isEmpty() && QKeySequence(key->keyCombination()) == mnemonic && edit_->isVisible() &&
            edit_->isEnabled()) {
            if (event->type() == QEvent::KeyPress) edit_->animateClick();
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

CClientConfigView::CClientConfigView(workspace::CTreeController& tree, QWidget* parent)
    : QWidget(parent), tree_(tree) {
    setObjectName(QStringLiteral("configView"));
    setAutoFillBackground(true);

    auto* layout = new QVBoxLayout(this);
    // The pane starts narrow; what does not fit is cut rather than forcing the tree aside.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    auto* modes = new QHBoxLayout;
    modes->setSpacing(2);
    int i = 0;
    for (const ModeButton& m : kModeButtons) {
        auto* b = new QToolButton(this);
        set_control_id(b, m.id);
        const QString caption = QString::fromLatin1(m.caption);
        b->setText(caption);
        b->setAccessibleName(caption);
        b->setToolTip(caption);
        b->setAutoRaise(true);
        QFont small = b->font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        const QIcon images = mode_button_icon(caption, small);
        b->setIcon(images);
        b->setIconSize(images.availableSizes().value(0));
        // The images keep their size; a pane too narrow for all four cuts the last.
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        const ViewMode mode = m.mode;
        connect(b, &QToolButton::clicked, this, [this, mode] { set_mode(mode); });
        modes->addWidget(b);
        modes_[i++] = b;
    }
    modes->addStretch();
    // Made after the mode buttons above them, so that Tab meets them all in the order they are shown (a tab order
    // set by hand would not survive the move into the window's splitter).
    caption_ = new QLabel(this);
    list_ = new QListWidget(this);
    new_ = new QPushButton(QStringLiteral("&New"), this);
    delete_ = new QPushButton(QStringLiteral("&Delete"), this);
    edit_ = new QPushButton(QStringLiteral("&Edit"), this);
    set_control_id(caption_, 1001);
    set_control_id(list_, 1000);
    caption_->setBuddy(list_);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    install_keyboard_popup(list_, [this] { table_popup(below_current_item(list_)); });
    set_control_id(new_, 1007);
    set_control_id(delete_, 1008);
    set_control_id(edit_, 1009);
    // Alt+E is also the menu bar's Edit menu, and two owners of one key make Qt open neither. The button's key
    // therefore acts only while the focus is in this view (see event()); elsewhere, or with Edit disabled, it opens
    // the menu.
    edit_->setShortcut(QKeySequence());
    layout->addLayout(modes);
    layout->addWidget(caption_);
    layout->addWidget(list_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(new_);
    buttons->addWidget(delete_);
    buttons->addWidget(edit_);
    buttons->addStretch();
    layout->addLayout(buttons);

    connect(list_, &QListWidget::itemSelectionChanged, this, &CClientConfigView::update_buttons);
    // A double click or Enter on an entry edits it (the platform's way of opening an item).
    // Enter acts on the line with the focus frame, which need not be selected after Tab and Home.
    connect(list_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        if (item != nullptr && !item->isSelected() && (item->flags() & Qt::ItemIsSelectable)) {
            list_->clearSelection();
            item->setSelected(true);
        }
        on_edit();
    });
    connect(list_, &QListWidget::customContextMenuRequested, this, &CClientConfigView::table_popup);
    connect(new_, &QPushButton::clicked, this, &CClientConfigView::on_new);
    connect(delete_, &QPushButton::clicked, this, &CClientConfigView::on_delete);
    connect(edit_, &QPushButton::clicked, this, &CClientConfigView::on_edit);
    tree_.add_listener(this);
    model_.set_node(tree_.doc().selected());
    refill();
}

void CClientConfigView::focusInEvent(QFocusEvent* event) {
    // F6 gives the pane the focus and it lands on the list. A focus proxy would do the same, but would also make Tab
    // jump from the tree straight to the list, past the mode buttons above it.
    list_->setFocus(event->reason());
}

QSize CClientConfigView::sizeHint() const { return {200, 200}; }

QSize CClientConfigView::minimumSizeHint() const { return {100, 100}; }

void CClientConfigView::set_mode(ViewMode mode) {
    model_.set_mode(mode);
    refill();
}

void CClientConfigView::refill() {
    caption_->setText(QString::fromLatin1(model_.caption().c_str()));
    list_->setAccessibleName(caption_->text());
    list_->clear();
    const QColor red(0xFF, 0, 0);
    for (const workspace::ViewLine& line : model_.lines()) {
        auto* item = new QListWidgetItem(from_host(line.text), list_);
        if (line.update_allowed) item->setForeground(red);
        if (line.glyph != workspace::LineGlyph::none) item->setIcon(table_kind_icon(line.glyph == workspace::LineGlyph::join));
        // Limits and global lines are text to read, not entries to pick.
        if (!model_.entries_mode()) item->setFlags(Qt::ItemIsEnabled);
    }
    int i = 0;
    for (const ModeButton& m : kModeButtons) modes_[i++]->setEnabled(m.mode != model_.mode());
    update_buttons();
}

std::vector<std::size_t> CClientConfigView::selected_rows() const {
    std::vector<std::size_t> rows;
    for (int r = 0; r < list_->count(); ++r)
        if (list_->item(r)->isSelected()) rows.push_back(static_cast<std::size_t>(r));
    return rows;
}

void CClientConfigView::update_buttons() {
    const workspace::ViewButtons b = model_.buttons(model_.entries_mode() ? selected_rows().size() : 0);
    new_->setEnabled(b.add);
    delete_->setEnabled(b.remove);
    edit_->setEnabled(b.edit);
}

void CClientConfigView::forget_branch(const model::CServerNode& branch) {
    const bool had = model_.node() != nullptr;
    model_.forget_branch(branch);
    if (had && model_.node() == nullptr) refill();
}

void CClientConfigView::tree_changed() {
    if (model_.node() == tree_.doc().selected() && model_.node() != nullptr && !list_->selectedItems().isEmpty())
        return;  // the same file: keep what the user selected
    model_.set_node(tree_.doc().selected());
    refill();
}

void CClientConfigView::on_new() {
    if (!model_.entries_mode()) {
        app::message_box(workspace::kIllegalFunction);
        return;
    }
    if (!model_.showing_file()) return;
    const std::vector<std::size_t> before = selected_rows();
    if (entry_dialogs != nullptr) entry_dialogs->new_entry(*this, model_.mode());
    // A new join selects itself; the refill must not take that selection away again.
    const std::vector<std::size_t> chosen = selected_rows();
    refill();
    if (chosen != before) {
        for (std::size_t row : chosen)
            if (QListWidgetItem* item = list_->item(static_cast<int>(row))) item->setSelected(true);
        if (!chosen.empty())
            list_->setCurrentItem(list_->item(static_cast<int>(chosen.back())), QItemSelectionModel::NoUpdate);
        update_buttons();
    }
    emit changed();
}

void CClientConfigView::on_delete() {
    if (!model_.entries_mode()) {
        app::message_box(workspace::kIllegalFunction);
        return;
    }
    const std::vector<std::size_t> rows = selected_rows();
    if (rows.empty()) return;
    model_.delete_entries(tree_.doc(), rows);
    list_->clearSelection();
    refill();
    emit changed();
}

void CClientConfigView::on_edit() {
    if (!model_.showing_file()) return;
    int index = -1;
    if (model_.entries_mode()) {
        const std::vector<std::size_t> rows = selected_rows();
        if (rows.size() != 1) return;
        index = static_cast<int>(rows.front());
    }
    if (entry_dialogs != nullptr) entry_dialogs->edit_entry(*this, model_.mode(), index);
    refill();
    emit changed();
}

void CClientConfigView::table_popup(const QPoint& pos) {
    if (!model_.entries_mode() || !model_.showing_file()) return;
    if (QApplication::activePopupWidget() != nullptr) return;  // one popup at a time
    auto* main = qobject_cast<CMainFrame*>(window());
    if (main == nullptr) return;
    for (QMenu* old : findChildren<QMenu*>(QStringLiteral("menu_103_TablePopup"))) old->deleteLater();
    QMenu* menu = make_popup("_TablePopup_", main->commands(), this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(list_->viewport()->mapToGlobal(pos));
}

bool CClientConfigView::handle_command(int id) {
    if (id != workspace::cmd::kUpdateAllowed) return false;
    if (!model_.entries_mode()) return true;
    model_.toggle_update_allowed(tree_.doc(), selected_rows());
    list_->clearSelection();
    refill();
    emit changed();
    return true;
}

}  // namespace kestra::ui
