#include "qtest_support.h"

#include <QComboBox>
#include <QDir>
#include <QFont>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <algorithm>
#include <cstdlib>

#include "model/server_node.h"
#include "ui/admin_frame.h"
#include "ui/admin_view.h"
#include "ui/main_frame.h"
#include "ui/object_names.h"
#include "workspace/admin_doc.h"

namespace kestra::testing {

void prepare_qt_environment() {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", "1");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
    qunsetenv("QT_FONT_DPI");
}

void fix_look() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(QApplication::style()->standardPalette());
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(9);
    QApplication::setFont(font);
    QApplication::setEffectEnabled(Qt::UI_AnimateMenu, false);
    QApplication::setEffectEnabled(Qt::UI_AnimateCombo, false);
}

TestSeams::TestSeams() {
    ui::set_seams(this);
}

TestSeams::~TestSeams() {
    ui::set_seams(nullptr);
}

int TestSeams::exec_dialog(QDialog& dialog) {
    dialogs_run.push_back(dialog.objectName());
    if (dialogs_.empty()) {
        unexpected_dialogs.push_back(dialog.objectName());
        return QDialog::Rejected;
    }
    DialogHandler handler = std::move(dialogs_.front());
    dialogs_.pop_front();
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog)) qWarning("dialog %s not exposed", qPrintable(dialog.objectName()));
    const int result = handler(dialog);
    dialog.hide();
    return result;
}

QString TestSeams::file_dialog(QWidget*, const ui::FileRequest& request) {
    file_requests.push_back(request);
    if (file_answers.empty()) return {};
    QString answer = file_answers.front();
    file_answers.pop_front();
    return answer;
}

int log_in_as_admin(QDialog& dialog) {
    auto* user = dialog.findChild<QLineEdit*>(QStringLiteral("ctl_Connect_UserId"));
    auto* password = dialog.findChild<QLineEdit*>(QStringLiteral("ctl_Connect_Password"));
    auto* providers = dialog.findChild<QComboBox*>(QStringLiteral("ctl_Connect_Provider"));
    auto* ok = ui::find_control<QPushButton>(&dialog, ui::kOkId);
    if (user == nullptr || password == nullptr || providers == nullptr || ok == nullptr) return -1;
    user->setText(QStringLiteral("ADMIN"));
    password->setText(QStringLiteral("SECRET"));
    providers->setCurrentIndex(providers->findText(QStringLiteral("Tavlink")));
    QTest::mouseClick(ok, Qt::LeftButton);
    return dialog.result();
}

ui::CAdminFrame* open_connection(ui::CMainFrame& frame, TestSeams& seams) {
    frame.resize(760, 480);
    frame.show();
    if (!QTest::qWaitForWindowExposed(&frame)) return nullptr;
    seams.next_dialog(log_in_as_admin);
    ui::CAdminFrame* window = frame.new_connection();
    if (window != nullptr) window->showMaximized();
    return window;
}

model::CServerNode* click_node(ui::CAdminFrame& window, const char* name) {
    model::CServerNode* node = window.doc().root().find_by_name(name);
    if (node == nullptr) return nullptr;
    ui::CAdminView* tree = window.tree_view();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, tree->node_rect(node).center());
    return window.doc().selected() == node ? node : nullptr;
}

QString compare_screenshot(QWidget* widget, const QString& name, double tolerance) {
    const QString out_dir = QStringLiteral(KESTRA_BIN_DIR "/../screenshots");
    QDir().mkpath(out_dir);
    return compare_image(widget->grab().toImage(), out_dir + QLatin1Char('/') + name + QStringLiteral(".png"),
                         QStringLiteral(KESTRA_TEST_DATA "/screenshots/") + name + QStringLiteral(".png"), tolerance);
}

QString compare_image(const QImage& image, const QString& shot_path, const QString& ref_path, double tolerance) {
    const QImage shot = image.convertToFormat(QImage::Format_RGB32);
    shot.save(shot_path);
    QImage reference(ref_path);
    if (reference.isNull()) {
        qInfo("no reference %s; shot written to %s", qPrintable(ref_path), qPrintable(shot_path));
        return {};
    }
    reference = reference.convertToFormat(QImage::Format_RGB32);
    // Platforms differ by a pixel or two in a control's height; more than that is a changed layout.
    constexpr int kSizeSlack = 4;
    if (std::abs(reference.width() - shot.width()) > kSizeSlack ||
        std::abs(reference.height() - shot.height()) > kSizeSlack)
        return QStringLiteral("size %1x%2, reference %3x%4 (%5)")
            .arg(shot.width())
            .arg(shot.height())
            .arg(reference.width())
            .arg(reference.height())
            .arg(shot_path);
    const int width = std::max(shot.width(), reference.width());
    const int height = std::max(shot.height(), reference.height());
    QImage diff(width, height, QImage::Format_RGB32);
    diff.fill(Qt::white);
    qint64 differing = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool in_both =
                x < shot.width() && y < shot.height() && x < reference.width() && y < reference.height();
            int d = 255 * 3;
            if (in_both) {
                const QRgb a = shot.pixel(x, y);
                const QRgb b = reference.pixel(x, y);
                d = std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
            }
            if (d > 48) {
                ++differing;
                diff.setPixel(x, y, qRgb(255, 0, 0));
            }
        }
    }
    const double share = static_cast<double>(differing) / static_cast<double>(qint64{width} * height);
    if (share <= tolerance) return {};
    QString diff_path = shot_path;
    if (diff_path.endsWith(QStringLiteral(".png"))) diff_path.chop(4);
    diff_path += QStringLiteral("-diff.png");
    diff.save(diff_path);
    return QStringLiteral("%1% of the pixels differ; see %2 and %3")
        .arg(share * 100, 0, 'f', 1)
        .arg(shot_path, diff_path);
}

}  // namespace kestra::testing
