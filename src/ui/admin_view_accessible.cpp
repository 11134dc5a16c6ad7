#include "ui/admin_view_accessible.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <map>

#include "ui/admin_view.h"
#include "ui/host_text.h"
#include "workspace/admin_doc.h"

namespace kestra::ui {

namespace {

// One visible node, by its row; it reads the view each time, so it follows the layout as it changes.
class TreeItemAccessible : public QAccessibleInterface {
public:
    TreeItemAccessible(CAdminView* view, int row) : view_(view), row_(row) {}

    bool isValid() const override { return node() != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(view_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        const model::CServerNode* n = node();
        if (n == nullptr || (t != QAccessible::Name && t != QAccessible::Value)) return {};
        return from_host(n->name);
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!view_ || node() == nullptr) return {};
        const QRect r = view_->node_rect(node());
        return QRect(view_->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::TreeItem; }
    QAccessible::State state() const override {
        QAccessible::State s;
        const model::CServerNode* n = node();
        if (n == nullptr) {
            s.invalid = true;
            return s;
        }
        s.selectable = true;
        s.focusable = true;
        s.selected = n == view_->tree().doc().selected();
        s.focused = s.selected && view_->hasFocus();
        s.expandable = !n->children().empty();
        s.expanded = s.expandable && !n->collapsed;
        s.collapsed = s.expandable && n->collapsed;
        return s;
    }

private:
    model::CServerNode* node() const {
        if (!view_ || row_ < 0 || row_ >= static_cast<int>(view_->layout().rows.size())) return nullptr;
        return view_->layout().rows[static_cast<std::size_t>(row_)].node;
    }

    QPointer<CAdminView> view_;
    int row_;
};

class AdminViewAccessible : public QAccessibleWidget {
public:
    explicit AdminViewAccessible(CAdminView* view) : QAccessibleWidget(view, QAccessible::Tree) {}
    ~AdminViewAccessible() override {
        for (const auto& [row, id] : items_) QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return static_cast<int>(view()->layout().rows.size()); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        auto it = items_.find(index);
        if (it == items_.end()) {
            auto* item = new TreeItemAccessible(view(), index);
            it = items_.emplace(index, QAccessible::registerAccessibleInterface(item)).first;
        }
        return QAccessible::accessibleInterface(it->second);
    }
    int indexOfChild(const QAccessibleInterface* child_iface) const override {
        for (const auto& [row, id] : items_)
            if (QAccessible::accessibleInterface(id) == child_iface) return row;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint at = view()->viewport()->mapFromGlobal(QPoint(x, y));
        for (int i = 0; i < childCount(); ++i)
            if (view()->node_rect(view()->layout().rows[static_cast<std::size_t>(i)].node).contains(at)) return child(i);
        return nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        const int row = view()->layout().row_of(view()->tree().doc().selected());
        return row >= 0 ? child(row) : nullptr;
    }

private:
    CAdminView* view() const { return static_cast<CAdminView*>(widget()); }
    mutable std::map<int, QAccessible::Id> items_;
};

QAccessibleInterface* admin_view_factory(const QString& class_name, QObject* object) {
    if (object == nullptr || !object->isWidgetType()) return nullptr;
    if (class_name != QLatin1String(CAdminView::staticMetaObject.className())) return nullptr;
    return new AdminViewAccessible(static_cast<CAdminView*>(object));
}

}  // namespace

void install_admin_view_accessibility() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(admin_view_factory);
}

}  // namespace kestra::ui
