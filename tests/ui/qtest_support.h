#pragma once

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QString>
#include <QtTest>
#include <deque>
#include <functional>
#include <vector>

#include "ui/ui_seams.h"

namespace kestra::model {
class CServerNode;
}
namespace kestra::ui {
class CAdminFrame;
class CMainFrame;
}

namespace kestra::testing {

// Makes every run draw alike: no display scaling, the Fusion style, DejaVu Sans at 9 points, offscreen unless the
// caller chose a platform (xvfb-run with QT_QPA_PLATFORM=xcb).
void prepare_qt_environment();
void fix_look();

// The answers a test gives in place of the user. Installed for the life of the object.
class TestSeams : public ui::UiSeams {
  public:
    TestSeams();
    ~TestSeams() override;
    TestSeams(const TestSeams&) = delete;
    TestSeams& operator=(const TestSeams&) = delete;

    // Each modal dialog takes the next handler: it gets the dialog shown (not modal) and returns its result,
    // typically after clicking OK or Cancel. A dialog with no handler waiting is rejected and counted.
    using DialogHandler = std::function<int(QDialog&)>;
    void next_dialog(DialogHandler handler) { dialogs_.push_back(std::move(handler)); }
    int pending_dialogs() const { return static_cast<int>(dialogs_.size()); }
    // Drops the handlers no dialog took, so a dialog that failed to open does not answer the next test's.
    void clear_dialogs() { dialogs_.clear(); }

    void beep() override { ++beeps; }
    Qt::KeyboardModifiers keyboard_modifiers() override { return modifiers; }
    int exec_dialog(QDialog& dialog) override;
    QString file_dialog(QWidget* parent, const ui::FileRequest& request) override;
    bool print_dialog(QWidget*, QPrinter&) override { return next_print_answer; }
    bool print_setup_dialog(QWidget*, QPrinter&) override { return next_print_answer; }

    int beeps = 0;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    // File dialogs answer these in turn, then Cancel (an empty name); each request is kept.
    std::deque<QString> file_answers;
    std::vector<ui::FileRequest> file_requests;
    bool next_print_answer = false;
    // Dialogs that arrived with no handler waiting, by object name.
    QStringList unexpected_dialogs;
    // Every dialog run, by object name.
    QStringList dialogs_run;

  private:
    std::deque<DialogHandler> dialogs_;
};

// Answers the Connect dialog as the sample host's administrator over Tavlink and presses OK; the dialog's result
// (-1 when it is not the Connect dialog).
int log_in_as_admin(QDialog& dialog);

// Shows `frame` at the size the window tests use and opens one connection window, logged in as the administrator
// and maximized; nullptr when no window came.
ui::CAdminFrame* open_connection(ui::CMainFrame& frame, TestSeams& seams);

// Clicks the tree's node of that name in the connection window; the node once it is the selection, else nullptr.
model::CServerNode* click_node(ui::CAdminFrame& window, const char* name);

// Saves the widget as PNG under the build's screenshot folder and compares it loosely with the reference in
// tests/data/screenshots (within a few pixels of its size, at most `tolerance` of the pixels differing by more than
// a little). With no
// reference yet, the shot is written for a person to look at and the comparison passes. On a mismatch a diff image
// is written beside the shot. Returns an empty text when it matches, else what differs.
QString compare_screenshot(QWidget* widget, const QString& name, double tolerance = 0.02);

// The comparison itself, for a shot taken elsewhere: saves `shot` to `shot_path` and compares it with the image at
// `reference_path` as compare_screenshot does (a missing reference passes; a diff image is written on a mismatch).
QString compare_image(const QImage& shot, const QString& shot_path, const QString& reference_path,
                      double tolerance = 0.02);

}  // namespace kestra::testing

// A QTest main with the fixed look.
#define KESTRA_QTEST_MAIN(TestClass)               \
    int main(int argc, char** argv) {              \
        kestra::testing::prepare_qt_environment(); \
        QApplication app(argc, argv);              \
        kestra::testing::fix_look();               \
        TestClass tc;                              \
        QTEST_SET_MAIN_SOURCE_PATH                 \
        return QTest::qExec(&tc, argc, argv);      \
    }
