#include "ui/client_config_view.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/ui_hooks.h"
#include "ui/command_actions.h"
#include "ui/host_text.h"
#include "ui/main_frame.h"
#include "ui/object_names.h"
#include "workspace/admin_doc.h"
#include "workspace/command_ids.h"

namespace kestra::ui {

using workspace::ViewMode;

namespace {

EntryDialogs* entry_dialogs = nullptr;

// The list's glyphs for a plain table and a join table.
QIcon table_glyph(bool join) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(64, 64, 64));
    p.setBrush(Qt::white);
    if (join) {
        p.drawRect(1, 2, 8, 8);
        p.drawRect(6, 6, 8, 8);
    } else {
        p.drawRect(1, 2, 13, 11);
        p.drawLine(1, 5, 14, 5);
        p.drawLine(6, 5, 6, 13);
    }
    return QIcon(pm);
}

// A mode button's four images, named after its caption with U (normal), F (under the mouse), D (down) and X
// (disabled: the current mode).
QIcon mode_images(const QString& caption, const QFont& font) {
    const QFontMetrics fm(font);
    const QSize size(fm.horizontalAdvance(caption) + 10, fm.height() + 6);
    auto image = [&](QColor face, QColor text, bool sunken) {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QColor(96, 96, 96));
        p.setBrush(face);
        p.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 3, 3);
        p.setFont(font);
        p.setPen(text);
        p.drawText(QRect(QPoint(sunken ? 1 : 0, sunken ? 1 : 0), size), Qt::AlignCenter, caption);
        return pm;
    };
    QIcon icon;
    icon.addPixmap(image(QColor(236, 236, 236), Qt::black, false), QIcon::Normal, QIcon::Off);       // U
    icon.addPixmap(image(QColor(214, 230, 250), Qt::black, false), QIcon::Active, QIcon::Off);       // F
    icon.addPixmap(image(QColor(190, 200, 214), Qt::black, true), QIcon::Normal, QIcon::On);         // D
    icon.addPixmap(image(QColor(200, 214, 236), QColor(40, 60, 120), false), QIcon::Disabled, QIcon::Off);  // X
    return icon;
}

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

CClientConfigView::CClientConfigView(workspace::CTreeController& tree, QWidget* parent)
    : QWidget(parent), tree_(tree), caption_(new QLabel(this)), list_(new QListWidget(this)),
      new_(new QPushButton(QStringLiteral("&New"), this)), delete_(new QPushButton(QStringLiteral("&Delete"), this)),
      edit_(new QPushButton(QStringLiteral("&Edit"), this)) {
    setObjectName(QStringLiteral("configView"));
    setAutoFillBackground(true);
    set_control_id(caption_, 1001);
    set_control_id(list_, 1000);
    caption_->setBuddy(list_);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // F6 lands on the list.
    setFocusProxy(list_);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    set_control_id(new_, 1007);
    set_control_id(delete_, 1008);
    set_control_id(edit_, 1009);

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
        const QIcon images = mode_images(caption, small);
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

QSize CClientConfigView::sizeHint() const { return {200, 200}; }

QSize CClientConfigView::minimumSizeHint() const { return {100, 100}; }

void CClientConfigView::set_mode(ViewMode mode) {
    model_.set_mode(mode);
    refill();
}

void CClientConfigView::refill() {
    caption_->setText(QString::fromLatin1(model_.caption().c_str()));
    list_->clear();
    const QColor red(0xFF, 0, 0);
    for (const workspace::ViewLine& line : model_.lines()) {
        auto* item = new QListWidgetItem(from_host(line.text), list_);
        if (line.update_allowed) item->setForeground(red);
        if (line.glyph != workspace::LineGlyph::none) item->setIcon(table_glyph(line.glyph == workspace::LineGlyph::join));
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
