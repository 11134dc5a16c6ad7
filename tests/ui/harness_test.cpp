// The test harness itself and the helpers every window uses: offscreen focus, the clipboard, font matching, the
// naming of controls, host-text validators and the dialog seam.
#include <QClipboard>
#include <QDialog>
#include <QFontInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>

#include "qtest_support.h"
#include "ui/host_text.h"
#include "ui/object_names.h"

using namespace kestra;

class HarnessTest : public QObject {
    Q_OBJECT

  private slots:
    void runsOffscreenWithFocus() {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* first = new QLineEdit(&window);
        auto* second = new QLineEdit(&window);
        layout->addWidget(first);
        layout->addWidget(second);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        second->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), second);
        QTest::keyClicks(second, QStringLiteral("abc"));
        QCOMPARE(second->text(), QStringLiteral("abc"));
        QVERIFY(first->text().isEmpty());
    }

    void clipboardRoundTrip() {
        auto* mime = new QMimeData;
        mime->setText(QStringLiteral("SALES"));
        mime->setData(QStringLiteral("application/x-kestra-admin"), QByteArray("0003"));
        QGuiApplication::clipboard()->setMimeData(mime);
        const QMimeData* back = QGuiApplication::clipboard()->mimeData();
        QVERIFY(back != nullptr);
        QCOMPARE(back->text(), QStringLiteral("SALES"));
        QCOMPARE(back->data(QStringLiteral("application/x-kestra-admin")), QByteArray("0003"));
        QGuiApplication::clipboard()->clear();
    }

    // The tree's default face is "Arial": it must come out as a metric-compatible face, not whatever is first.
    void arialMatchesLiberationSans() {
        const QFontInfo info(QFont(QStringLiteral("Arial"), 8));
        QVERIFY2(info.family().contains(QStringLiteral("Liberation")), qPrintable(info.family()));
    }

    // Ids repeat across dialogs: the helper finds the control of the dialog asked, not of one opened from it.
    void controlsAreFoundByIdWithinOneDialog() {
        QDialog outer;
        auto* outer_edit = new QLineEdit(&outer);
        ui::set_control_id(outer_edit, 1017);
        auto* inner = new QDialog(&outer);
        auto* inner_edit = new QLineEdit(inner);
        ui::set_control_id(inner_edit, 1017);
        auto* ok = new QPushButton(inner);
        ui::set_control_id(ok, ui::kOkId);

        QCOMPARE(ui::find_control(&outer, 1017), outer_edit);
        QCOMPARE(ui::find_control<QLineEdit>(inner, 1017), inner_edit);
        QCOMPARE(ui::find_control(inner, ui::kOkId), ok);
        QVERIFY(ui::find_control(&outer, ui::kOkId) == nullptr);
        QVERIFY(ui::find_control<QPushButton>(&outer, 1017) == nullptr);
        QCOMPARE(outer_edit->objectName(), QStringLiteral("ctl_1017"));
    }

    void hostTextIsLatin1BothWays() {
        const std::string bytes("CAF\xC9 \xFF", 6);
        const QString text = ui::from_host(bytes);
        QCOMPARE(text, QStringLiteral("CAF\u00C9 \u00FF"));
        QCOMPARE(ui::to_host(text), bytes);
    }

    void validatorLimitsTypingToLatin1AndUpperCasesAsciiOnly() {
        QLineEdit edit;
        ui::limit_host_text(&edit, 5, true);
        edit.show();
        // QTest types only ASCII; the others come as the key events a keyboard layout would send.
        auto type = [&](const QString& text) {
            for (const QChar c : text) {
                QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
                QApplication::sendEvent(&edit, &press);
            }
        };
        type(QStringLiteral("ab\u00e9\u4e2dcdef"));
        // é is Latin-1 and not ASCII: kept as typed; the CJK character is refused; the sixth character too.
        QCOMPARE(edit.text(), QStringLiteral("AB\u00e9CD"));
    }

    void validatorKeepsALongerLoadedValueAndLetsItShrink() {
        QLineEdit edit;
        ui::limit_host_text(&edit, 4);
        edit.setText(QStringLiteral("LONGERNAME"));
        edit.show();
        edit.setFocus();
        QCOMPARE(edit.text(), QStringLiteral("LONGERNAME"));
        edit.end(false);
        QTest::keyClick(&edit, Qt::Key_X);
        QCOMPARE(edit.text(), QStringLiteral("LONGERNAME"));
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.text(), QStringLiteral("LONGERNAM"));
    }

    void refusalBeepsFocusesAndSelects() {
        testing::TestSeams seams;
        QDialog dialog;
        auto* layout = new QVBoxLayout(&dialog);
        auto* edit = new QLineEdit(QStringLiteral("BAD"), &dialog);
        auto* other = new QLineEdit(&dialog);
        auto* message = new QLabel(&dialog);
        layout->addWidget(edit);
        layout->addWidget(other);
        layout->addWidget(message);
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        other->setFocus();
        ui::refuse_field(edit, message, QStringLiteral("**You must enter a field name**"));
        QCOMPARE(seams.beeps, 1);
        QTRY_COMPARE(QApplication::focusWidget(), edit);
        QCOMPARE(edit->selectedText(), QStringLiteral("BAD"));
        QCOMPARE(message->text(), QStringLiteral("**You must enter a field name**"));
    }

    void dialogSeamRunsTheHandlerAndCountsStrays() {
        testing::TestSeams seams;
        QDialog first;
        ui::set_dialog_name(&first, 100);
        seams.next_dialog([](QDialog& d) {
            d.accept();
            return d.result();
        });
        QCOMPARE(ui::seams().exec_dialog(first), int(QDialog::Accepted));
        QDialog second;
        ui::set_dialog_name(&second, QStringLiteral("Connect"));
        QCOMPARE(ui::seams().exec_dialog(second), int(QDialog::Rejected));
        QCOMPARE(seams.unexpected_dialogs, QStringList{QStringLiteral("dlg_Connect")});
    }
};

KESTRA_QTEST_MAIN(HarnessTest)
#include "harness_test.moc"
