#pragma once

#include <QDialog>

#include "report/print_options.h"

class QCheckBox;

namespace kestra::ui {

// "Print Options" (dialog 142): which sections the report holds. It opens with the window's current options;
// OK confirms them (details or fields of a table turn its name on) and options() hands them back.
class CPrintOptionsDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kTemplateId = 142;
    static constexpr int kGlobalOptionsId = 1180;
    static constexpr int kLimitsId = 1181;
    static constexpr int kNameId = 1182;
    static constexpr int kApplicationsId = 1183;
    static constexpr int kDetailId = 1184;
    static constexpr int kFieldsId = 1185;

    explicit CPrintOptionsDlg(const report::PrintOptions& options, QWidget* parent = nullptr);

    const report::PrintOptions& options() const { return options_; }

    void accept() override;

private:
    QCheckBox* add_check(int id, const QString& text, bool checked);

    report::PrintOptions options_;
    QCheckBox* global_options_;
    QCheckBox* limits_;
    QCheckBox* applications_;
    QCheckBox* name_;
    QCheckBox* detail_;
    QCheckBox* fields_;
};

}  // namespace kestra::ui
