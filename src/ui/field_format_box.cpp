#include "ui/field_format_box.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QRadioButton>

#include "model/date_formats.h"
#include "ui/host_text.h"
#include "ui/object_names.h"
#include "ui/radio_tab_stop.h"

namespace kestra::ui {

CFieldFormatBox::CFieldFormatBox(const std::array<int, 6>& ids, workspace::FieldFormatChoice& choice, QWidget* parent)
    : QGroupBox(QStringLiteral("Format Type"), parent), choice_(choice) {
    static const char* const kCaptions[] = {"Standard", "Currency", "Date", "Time", "Timestamp"};
    kinds_ = new QButtonGroup(this);
    auto* layout = new QGridLayout(this);
    for (int kind = 0; kind < 5; ++kind) {
        auto* button = new QRadioButton(QString::fromLatin1(kCaptions[kind]), this);
        set_control_id(button, ids[static_cast<std::size_t>(kind)]);
        kinds_->addButton(button, kind);
        layout->addWidget(button, kind, 0);
    }
    list_ = new QComboBox(this);
    set_control_id(list_, ids[5]);
    list_->setAccessibleName(QStringLiteral("Format"));
    list_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    layout->addWidget(list_, 2, 1, 3, 1, Qt::AlignTop);
    layout->setColumnStretch(1, 1);
    connect(kinds_, &QButtonGroup::idClicked, this, &CFieldFormatBox::kind_chosen);
    connect(list_, &QComboBox::activated, this, &CFieldFormatBox::row_chosen);
    refresh();
    tab_stop_on_checked(kinds_);
}

void CFieldFormatBox::refresh() {
    const QSignalBlocker block(list_);
    // A kind this program does not know leaves every button off.
    if (QAbstractButton* button = kinds_->button(choice_.kind())) {
        button->setChecked(true);
    } else {
        kinds_->setExclusive(false);
        for (QAbstractButton* b : kinds_->buttons()) b->setChecked(false);
        kinds_->setExclusive(true);
    }
    list_->clear();
    for (const std::string_view text : model::date_formats(choice_.kind())) list_->addItem(from_host(text));
    list_->setCurrentIndex(choice_.list_row());
    list_->setVisible(choice_.list_shown());
}

void CFieldFormatBox::kind_chosen(int kind) {
    choice_.choose_kind(kind);
    refresh();
}

void CFieldFormatBox::row_chosen(int row) {
    choice_.choose_format(row);
}

}  // namespace kestra::ui
