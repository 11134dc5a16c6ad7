#include "ui/archive_commands.h"

#include <QWidget>

#include "ui/get_files_dialog.h"
#include "ui/host_text.h"
#include "ui/put_files_dialog.h"
#include "ui/ui_seams.h"
#include "workspace/archive_flows.h"

namespace kestra::ui {

namespace {

// The archive commands' file dialogs, beep and windows, through the seams tests answer.
class WindowArchiveSeams : public workspace::ArchiveFlowSeams {
  public:
    explicit WindowArchiveSeams(QWidget* parent) : parent_(parent) {}

    std::string choose_file(const workspace::ArchiveFileRequest& request) override {
        FileRequest file;
        file.caption = QString::fromStdString(request.caption);
        file.filter = QString::fromStdString(request.filter);
        file.default_suffix = QString::fromStdString(request.default_suffix);
        file.save = request.save;
        file.must_exist = !request.save;
        const QString chosen = seams().file_dialog(parent_, file);
        return chosen.toLocal8Bit().toStdString();
    }
    void beep() override { seams().beep(); }
    bool run_get_files(workspace::GetFilesController& controller) override {
        CGetFilesDlg dialog(controller, parent_);
        return seams().exec_dialog(dialog) == QDialog::Accepted;
    }
    void run_put_files(workspace::PutFilesController& controller) override {
        CPutFilesDlg dialog(controller, parent_);
        seams().exec_dialog(dialog);
    }

  private:
    QWidget* parent_;
};

}  // namespace

void get_files_from_host(hostlink::CHostSession& session, QWidget* parent) {
    WindowArchiveSeams windows(parent);
    workspace::save_archive(session, windows);
}

void put_files_onto_host(hostlink::CHostSession& session, QWidget* parent) {
    WindowArchiveSeams windows(parent);
    workspace::open_archive(session, windows);
}

}  // namespace kestra::ui
