// The expression edit, Calculation Builder and Table Where Condition windows by their widgets: what they show,
// which buttons each press leaves offered, when a syntax error is shown, and what OK hands back or refuses.
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <memory>

#include "expr/calc_checker.h"
#include "expr/expression_parser.h"
#include "qtest_support.h"
#include "support/recording_ui_hooks.h"
#include "ui/calc_builder_dialog.h"
#include "ui/expression_edit_dialog.h"
#include "ui/host_plain_text_edit.h"
#include "ui/object_names.h"
#include "ui/where_condition_dialog.h"

using namespace kestra;

namespace {

// The builder's operator buttons in dialog order, by id and caption.
const std::vector<std::pair<int, QString>> kBuilderButtons = {
    {1036, "("}, {1037, ")"},   {1038, "+"}, {1039, "-"}, {1040, "*"},
    {1041, "/"}, {1042, "NOT"}, {1162, ","}, {1163, "&"},
};

// The captions of the operator buttons that are enabled, in dialog order, blank-separated.
QString offered(const QDialog& d) {
    QStringList out;
    for (const auto& [id, caption] : kBuilderButtons)
        if (ui::find_control<QPushButton>(&d, id)->isEnabled()) out << caption;
    return out.join(' ');
}

QStringList entries(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

void click(const QDialog& d, int id) {
    auto* b = ui::find_control<QPushButton>(&d, id);
    QVERIFY(b != nullptr);
    QTest::mouseClick(b, Qt::LeftButton);
}

void pick(QListWidget* list, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(text));
    const QRect r = list->visualItemRect(found.front());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

void double_click(QListWidget* list, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(text));
    const QRect r = list->visualItemRect(found.front());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

std::vector<expr::CalcField> fields() {
    return {{"A", expr::kCalcNumeric}, {"B", expr::kCalcNumeric}, {"NAME", expr::kCalcString}};
}

void show_active(QDialog& d) {
    d.show();
    d.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d));
}

}  // namespace

class ExpressionDialogsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::RecordingUiHooks> hooks;
    std::unique_ptr<testing::TestSeams> seams;

  private slots:
    void init() {
        hooks = std::make_unique<testing::RecordingUiHooks>();
        seams = std::make_unique<testing::TestSeams>();
    }
    void cleanup() {
        seams.reset();
        hooks.reset();
    }

    // --- Edit Expression / Edit Search Condition ---

    void expressionWindowIsTitledAndLabelledByTheRequiredType() {
        const struct {
            int type;
            const char* title;
            const char* label;
        } cases[] = {
            {expr::kTypeBoolean, "Edit Search Condition", "&Search Condition"},
            {expr::kTypeNumeric, "Edit Expression", "Numeric &Expression"},
            {expr::kTypeString, "Edit Expression", "String &Expression"},
            {expr::kTypeDate, "Edit Expression", "Date &Expression"},
            {expr::kTypeTime, "Edit Expression", "Time &Expression"},
            {expr::kTypeTimestamp, "Edit Expression", "Timestamp &Expression"},
            {expr::kTypeNone, "Edit Expression", "&Expression"},
        };
        for (const auto& c : cases) {
            expr::CExpressionParser parser("A + 1", c.type);
            ui::CExpressionEditDlg d(parser);
            QCOMPARE(d.objectName(), QStringLiteral("dlg_157"));
            QCOMPARE(d.windowTitle(), QString(c.title));
            auto* label = ui::find_control<QLabel>(&d, 1192);
            QCOMPARE(label->text(), QString(c.label));
            QCOMPARE(label->buddy(), ui::find_control<QPlainTextEdit>(&d, 1000));
            QCOMPARE(ui::find_control<QPlainTextEdit>(&d, 1000)->toPlainText(), QStringLiteral("A + 1"));
        }
    }

    void anErrorAtTheFirstColumnSelectsTheWholeTextAndKeepsTheWindow() {
        expr::CExpressionParser parser("", expr::kTypeBoolean);
        parser.AddField("A", expr::kTypeNumeric);
        ui::CExpressionEditDlg d(parser);
        show_active(d);
        auto* edit = ui::find_control<QPlainTextEdit>(&d, 1000);
        edit->setPlainText("x = 1");
        ui::find_control<QPushButton>(&d, 2)->setFocus();
        click(d, ui::kOkId);
        QCOMPARE(hooks->boxes, (std::vector<std::string>{"Error at col 1: Undefined field"}));
        QVERIFY(d.isVisible());
        QCOMPARE(d.result(), 0);
        QVERIFY(edit->hasFocus());
        QCOMPARE(edit->textCursor().selectionStart(), 0);
        QCOMPARE(edit->textCursor().selectionEnd(), 5);
        QCOMPARE(edit->textCursor().selectedText(), QStringLiteral("x = 1"));

        // A later error selects from its column to the end.
        edit->setPlainText("A = 'X'");
        click(d, ui::kOkId);
        QCOMPARE(hooks->boxes.back(), std::string("Error at col 5: Expected numeric"));
        QCOMPARE(edit->textCursor().selectedText(), QStringLiteral("'X'"));
        QVERIFY(d.isVisible());
    }

    void okHandsBackTheUpperCasedTextAndAnEmptyOneUnchecked() {
        expr::CExpressionParser parser("", expr::kTypeBoolean);
        parser.AddField("A", expr::kTypeNumeric);
        {
            ui::CExpressionEditDlg d(parser);
            d.show();
            ui::find_control<QPlainTextEdit>(&d, 1000)->setPlainText("a > 1");
            click(d, ui::kOkId);
            QCOMPARE(d.result(), int(QDialog::Accepted));
            QCOMPARE(d.text(), QStringLiteral("A > 1"));
        }
        ui::CExpressionEditDlg empty(parser);
        empty.show();
        ui::find_control<QPlainTextEdit>(&empty, 1000)->clear();
        click(empty, ui::kOkId);
        QCOMPARE(empty.result(), int(QDialog::Accepted));
        QVERIFY(hooks->boxes.empty());
    }

    // Typing stops at the limit with a beep; a paste that would pass it is refused whole, never cut.
    void theExpressionBoxHoldsTypingAndPastesToItsLimit() {
        expr::CExpressionParser parser(std::string(995, 'A'), expr::kTypeNumeric);
        ui::CExpressionEditDlg d(parser);
        show_active(d);
        auto* edit = ui::find_control<ui::HostPlainTextEdit>(&d, 1000);
        edit->setFocus();
        edit->moveCursor(QTextCursor::End);
        QTest::keyClicks(edit, "+123456");
        QCOMPARE(edit->toPlainText().size(), 999);
        QVERIFY(edit->toPlainText().endsWith("+123"));
        QCOMPARE(seams->beeps, 3);
        QApplication::clipboard()->setText("+1");
        edit->paste();
        QCOMPARE(edit->toPlainText().size(), 999);
        QCOMPARE(seams->beeps, 4);
        // Replacing a selection with a paste of the same size is fine.
        edit->select_range(995, 999, 999);
        QApplication::clipboard()->setText("-9\r\n9");
        edit->paste();
        QVERIFY(edit->toPlainText().endsWith("-9 9"));
        // Characters the host cannot take are refused as they are typed.
        edit->setPlainText("A");
        edit->moveCursor(QTextCursor::End);
        QKeyEvent euro(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8("\xe2\x82\xac"));
        QApplication::sendEvent(edit, &euro);
        QCOMPARE(edit->toPlainText(), QStringLiteral("A"));
        QInputMethodEvent composed;
        composed.setCommitString(QString::fromUtf8("\xc5\x91"));
        QApplication::sendEvent(edit, &composed);
        QCOMPARE(edit->toPlainText(), QStringLiteral("A"));
        composed.setCommitString(QString::fromUtf8("\xc3\xa9"));
        QApplication::sendEvent(edit, &composed);
        QCOMPARE(edit->toPlainText(), QString::fromUtf8("A\xc3\xa9"));
    }

    // --- Calculation Builder ---

    void eachPressLeavesTheCheckersOffer() {
        ui::CCalcBuilderDlg d(fields(), expr::kCalcEither, "");
        d.show();
        QCOMPARE(d.objectName(), QStringLiteral("dlg_127"));
        QCOMPARE(d.windowTitle(), QStringLiteral("Calculation Builder"));
        auto* insert = ui::find_control<QListWidget>(&d, 1152);
        auto* list = ui::find_control<QListWidget>(&d, 1153);
        auto* text = ui::find_control<QLineEdit>(&d, 1020);
        auto* ok = ui::find_control<QPushButton>(&d, ui::kOkId);
        QCOMPARE(entries(insert), (QStringList{"Field", "Function", "String", "Number"}));
        QVERIFY(!list->isEnabled());
        QVERIFY(!ui::find_control<QLineEdit>(&d, 1154)->isEnabled());
        QCOMPARE(offered(d), QStringLiteral("("));
        QVERIFY(!ok->isEnabled());

        click(d, 1036);
        QCOMPARE(text->text(), QStringLiteral("("));
        QCOMPARE(offered(d), QStringLiteral("("));
        pick(insert, "Field");
        QVERIFY(list->isEnabled());
        QCOMPARE(ui::find_control<QLabel>(&d, 1158)->text(), QStringLiteral("Field"));
        QCOMPARE(entries(list), (QStringList{"A", "B", "NAME"}));
        double_click(list, "A");
        QCOMPARE(text->text(), QStringLiteral("(A"));
        QCOMPARE(offered(d), QStringLiteral("( )"));
        click(d, 1037);
        QCOMPARE(text->text(), QStringLiteral("(A)"));
        QCOMPARE(offered(d), QStringLiteral("+ - * /"));
        QVERIFY(ok->isEnabled());
        QCOMPARE(entries(insert), QStringList{});
        click(d, 1040);
        QCOMPARE(text->text(), QStringLiteral("(A)*"));
        QCOMPARE(offered(d), QStringLiteral("("));
        QVERIFY(!ok->isEnabled());
        // Numeric now: no strings offered, and only numeric fields.
        QCOMPARE(entries(insert), (QStringList{"Field", "Function", "Number"}));
        pick(insert, "Field");
        QCOMPARE(entries(list), (QStringList{"A", "B"}));
        pick(list, "B");
        click(d, 1157);
        QCOMPARE(text->text(), QStringLiteral("(A)*B"));
        QCOMPARE(offered(d), QStringLiteral("+ - * /"));
        QVERIFY(ok->isEnabled());
        QVERIFY(hooks->boxes.empty());
        click(d, ui::kOkId);
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(d.definition(), std::string("(A)*B"));
    }

    void stringsConcatenateAndFunctionsOpenTheirArguments() {
        ui::CCalcBuilderDlg d(fields(), expr::kCalcString, "");
        d.show();
        auto* insert = ui::find_control<QListWidget>(&d, 1152);
        auto* list = ui::find_control<QListWidget>(&d, 1153);
        auto* text = ui::find_control<QLineEdit>(&d, 1020);
        QCOMPARE(entries(insert), (QStringList{"Field", "Function", "String"}));
        pick(insert, "String");
        QVERIFY(ui::find_control<QLineEdit>(&d, 1154)->isEnabled());
        QVERIFY(ui::find_control<QLabel>(&d, 1018)->isEnabled());
        QVERIFY(!list->isEnabled());
        ui::find_control<QLineEdit>(&d, 1154)->setText("abc");
        click(d, 1157);
        QCOMPARE(text->text(), QStringLiteral("'abc'"));
        QCOMPARE(offered(d), QStringLiteral("&"));
        click(d, 1163);
        pick(insert, "Function");
        pick(list, "LEFT");
        QVERIFY(!ui::find_control<QLabel>(&d, 1155)->text().isEmpty());
        click(d, 1157);
        QCOMPARE(text->text(), QStringLiteral("'abc'&LEFT("));
        pick(insert, "Field");
        double_click(list, "NAME");
        // LEFT's string argument is complete: a "," may follow, and the count that follows is numeric.
        QCOMPARE(offered(d), QStringLiteral("+ - * / ,"));
        click(d, 1162);
        QCOMPARE(entries(insert), (QStringList{"Field", "Function", "Number"}));
        QCOMPARE(offered(d), QStringLiteral("("));
    }

    void aSyntaxErrorIsShownOnceWhileTheFocusComesAndGoes() {
        ui::CCalcBuilderDlg d(fields(), expr::kCalcEither, "");
        show_active(d);
        auto* text = ui::find_control<QLineEdit>(&d, 1020);
        auto* elsewhere = ui::find_control<QListWidget>(&d, 1152);
        text->setFocus();
        QTest::keyClicks(text, "'abc");
        for (int i = 0; i < 3; ++i) {
            elsewhere->setFocus();
            QVERIFY(!text->hasFocus());
            QTest::qWait(0);
            QCoreApplication::processEvents();
            text->setFocus();
            QCoreApplication::processEvents();
        }
        QCOMPARE(hooks->boxes, (std::vector<std::string>{"Expression Syntax Error"}));
        QVERIFY(!ui::find_control<QPushButton>(&d, ui::kOkId)->isEnabled());
        // A changed text with the same fault is reported again.
        QTest::keyClicks(text, "d");
        elsewhere->setFocus();
        QCoreApplication::processEvents();
        QCOMPARE(hooks->boxes.size(), std::size_t{2});
        // OK refuses while the text is not complete, without a further box for the same text.
        QMetaObject::invokeMethod(&d, "accept");
        QCoreApplication::processEvents();
        QVERIFY(d.isVisible());
        QCOMPARE(hooks->boxes.size(), std::size_t{2});
        QVERIFY(d.definition().empty());
    }

    void openingChecksTheDefinitionWithoutABox() {
        {
            ui::CCalcBuilderDlg d(fields(), expr::kCalcNumeric, "A * B");
            d.show();
            QVERIFY(ui::find_control<QPushButton>(&d, ui::kOkId)->isEnabled());
            QCOMPARE(offered(d), QStringLiteral("+ - * /"));
        }
        ui::CCalcBuilderDlg bad(fields(), expr::kCalcEither, "'abc");
        show_active(bad);
        QCOMPARE(ui::find_control<QLineEdit>(&bad, 1020)->text(), QStringLiteral("'abc"));
        QVERIFY(!ui::find_control<QPushButton>(&bad, ui::kOkId)->isEnabled());
        // Passing through the box without changing the definition reports nothing either.
        ui::find_control<QLineEdit>(&bad, 1020)->setFocus();
        ui::find_control<QListWidget>(&bad, 1152)->setFocus();
        QCoreApplication::processEvents();
        QVERIFY(hooks->boxes.empty());
    }

    void aValueWithAQuoteInsideIsRefusedWithABeep() {
        ui::CCalcBuilderDlg d(fields(), expr::kCalcString, "");
        d.show();
        pick(ui::find_control<QListWidget>(&d, 1152), "String");
        ui::find_control<QLineEdit>(&d, 1154)->setText("it's");
        click(d, 1157);
        QCOMPARE(seams->beeps, 1);
        QCOMPARE(ui::find_control<QLineEdit>(&d, 1020)->text(), QString());
        // Return in the value box adds it, and leaves the dialog open.
        ui::find_control<QLineEdit>(&d, 1154)->setText("'its'");
        QTest::keyClick(ui::find_control<QLineEdit>(&d, 1154), Qt::Key_Return);
        QCOMPARE(ui::find_control<QLineEdit>(&d, 1020)->text(), QStringLiteral("'its'"));
        QCOMPARE(seams->beeps, 1);
        QVERIFY(ui::find_control<QPushButton>(&d, ui::kOkId)->isEnabled());
        QTest::keyClick(ui::find_control<QLineEdit>(&d, 1154), Qt::Key_Return);
        QCOMPARE(ui::find_control<QLineEdit>(&d, 1020)->text(), QStringLiteral("'its''its'"));
        QVERIFY(d.isVisible());
        QCOMPARE(d.result(), 0);
    }

    void builderInTheArgumentState() {
        ui::CCalcBuilderDlg d(fields(), expr::kCalcEither, "LEFT(NAME");
        // Active on every platform, so the focused box is drawn alike.
        show_active(d);
        QCOMPARE(d.logic().check_state().state, int(expr::kCalcStateArgComplete));
        QCOMPARE(offered(d), QStringLiteral("+ - * / ,"));
        QCOMPARE(entries(ui::find_control<QListWidget>(&d, 1152)), QStringList{});
        const QString look = testing::compare_screenshot(&d, "calc-builder-state4");
        QVERIFY2(look.isEmpty(), qPrintable(look));
    }

    // --- Table Where Condition ---

    void whereButtonsAppendTheirTextAndLeaveCloseOff() {
        const std::vector<std::pair<int, QString>> buttons = {
            {1036, "("}, {1038, " AND "}, {1039, " OR "}, {1040, "+"}, {1041, "-"},  {1042, " NOT "},
            {1044, "="}, {1045, "<>"},    {1046, ">"},    {1047, "<"}, {1048, ">="}, {1049, "<="},
            {1050, "*"}, {1051, "/"},     {1160, ","},    {1161, "&"},
        };
        ui::CWhereConditionDlg d("A");
        d.show();
        QCOMPARE(d.objectName(), QStringLiteral("dlg_116"));
        QCOMPARE(d.windowTitle(), QStringLiteral("Table Where Condition"));
        auto* edit = ui::find_control<QPlainTextEdit>(&d, 1112);
        auto* close = ui::find_control<QPushButton>(&d, 1037);
        QCOMPARE(close->text(), QStringLiteral(")"));
        QVERIFY(!close->isEnabled());
        QString expected = "A";
        for (const auto& [id, appended] : buttons) {
            click(d, id);
            expected += appended;
            QCOMPARE(edit->toPlainText(), expected);
            QVERIFY2(!close->isEnabled(), qPrintable(appended));
        }
        // Typing a ")" by hand is the way to close.
        edit->moveCursor(QTextCursor::End);
        QTest::keyClicks(edit, ")");
        QVERIFY(!close->isEnabled());
        click(d, ui::kOkId);
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(QString::fromStdString(d.where()), expected + ")");
    }

    void theGuidedControlsStayDisabled() {
        ui::CWhereConditionDlg d("");
        d.show();
        for (int id : {1159, 1008, 1025, 1034, 1026, 1043, 1017}) {
            QWidget* w = ui::find_control(&d, id);
            QVERIFY2(w != nullptr, qPrintable(QString::number(id)));
            QVERIFY2(!w->isEnabled(), qPrintable(QString::number(id)));
        }
        click(d, 1038);
        ui::find_control<QPlainTextEdit>(&d, 1112)->clear();
        for (int id : {1159, 1008, 1025, 1034, 1026, 1043, 1017}) QVERIFY(!ui::find_control(&d, id)->isEnabled());
    }

    // A condition the table cannot hold is refused with the window open and nothing cut; a paste is never cut.
    void aConditionOverTheLimitIsRefusedWithTheWindowOpen() {
        ui::CWhereConditionDlg d("");
        show_active(d);
        auto* edit = ui::find_control<ui::HostPlainTextEdit>(&d, 1112);
        edit->setFocus();
        QApplication::clipboard()->setText(QString(256, 'X'));
        edit->paste();
        QCOMPARE(edit->toPlainText().size(), 256);
        click(d, ui::kOkId);
        QVERIFY(d.isVisible());
        QCOMPARE(d.result(), 0);
        QCOMPARE(d.findChild<QLabel*>("ctl_WhereCondition_Message")->text(),
                 QStringLiteral("**The where condition may not be longer than 255 characters**"));
        QCOMPARE(edit->toPlainText().size(), 256);
        QCOMPARE(edit->textCursor().position(), 255);
        QVERIFY(edit->hasFocus());
        QCOMPARE(seams->beeps, 1);
        QTest::keyClick(edit, Qt::Key_Delete);
        click(d, ui::kOkId);
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(d.where(), std::string(255, 'X'));
    }
};

KESTRA_QTEST_MAIN(ExpressionDialogsTest)
#include "expression_dialogs_test.moc"
