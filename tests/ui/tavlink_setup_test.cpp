// The Tavlink setup dialog: as its own window with the machine's answers scripted (adding on leaving the name,
// the path limit, Delete, Browse, typing limits, OK and Cancel), and as the provider opens it from the Connect
// dialog's Configure, where a path added reaches kestra.ini and the Connect list.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <memory>

#include "hostlink/host_session.h"
#include "platform/profile_file.h"
#include "qtest_support.h"
#include "support/inprocess_host.h"
#include "support/recording_ui_hooks.h"
#include "support/temp_dir.h"
#include "tavlink/path_settings.h"
#include "ui/connect_dialog.h"
#include "ui/tavlink_setup/tavlink_setup_dialog.h"

using namespace kestra;

namespace {

template <class T>
T* control(QWidget* dialog, const char* role) {
    return dialog->findChild<T*>(QStringLiteral("ctl_TavlinkSetup_") + role);
}

QPushButton* ok_button(QWidget* d) {
    return d->findChild<QPushButton*>("ctl_1");
}
QPushButton* cancel_button(QWidget* d) {
    return d->findChild<QPushButton*>("ctl_2");
}

// Types a name into the combo box and leaves it for the host field.
void type_name(QWidget* d, const QString& name) {
    auto* combo = control<QComboBox>(d, "Name");
    combo->lineEdit()->setFocus();
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), name);
    control<QLineEdit>(d, "Host")->setFocus();
}

// Runs `act` on the modal dialog of that name once it shows, from the event loop of its exec().
void when_modal(const QString& name, std::function<void(QWidget*)> act, int tries = 200) {
    QTimer::singleShot(20, [name, act, tries] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal->objectName() == name) {
            QApplication::setActiveWindow(modal);
            act(modal);
        } else if (tries > 0) {
            when_modal(name, act, tries - 1);
        }
    });
}

}  // namespace

class TavlinkSetupTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::TempDir> dir;
    std::string ini;
    int beeps = 0;
    QStringList browse_answers;

    std::unique_ptr<ui::CTavlinkSetupDlg> open_dialog() {
        ui::TavlinkSetupHooks hooks;
        hooks.beep = [this] { ++beeps; };
        hooks.choose_translate_file = [this](QWidget*) {
            return browse_answers.isEmpty() ? QString() : browse_answers.takeFirst();
        };
        auto d = std::make_unique<ui::CTavlinkSetupDlg>(ini, 2048, nullptr, hooks);
        d->show();
        // Leaving the name box is a focus change, which only an active window sees.
        QApplication::setActiveWindow(d.get());
        if (!QTest::qWaitForWindowActive(d.get())) qWarning("setup dialog not active");
        return d;
    }

  private slots:
    void init() {
        dir = std::make_unique<testing::TempDir>();
        ini = dir->write("kestra.ini", "[tcpip]\npaths=1\npath0=First\nhost0=first.test\nportno0=2100\n");
        beeps = 0;
        browse_answers.clear();
    }

    void aNameLeftIsAddedAndOkWritesItsFields() {
        auto d = open_dialog();
        QCOMPARE(d->windowTitle(), QString("TCP/IP Winsock Transport Setup"));
        type_name(d.get(), "Second");
        QCOMPARE(control<QComboBox>(d.get(), "Name")->count(), 2);
        QCOMPARE(control<QLineEdit>(d.get(), "Port")->text(), QString("2048"));
        QCOMPARE(control<QLineEdit>(d.get(), "BufferSize")->text(), QString("1920"));
        QTest::keyClicks(control<QLineEdit>(d.get(), "Host"), "second.test");
        control<QLineEdit>(d.get(), "BufferSize")->setText("100");
        browse_answers << "/tables/second.xlt";
        QTest::mouseClick(control<QPushButton>(d.get(), "Browse"), Qt::LeftButton);
        QCOMPARE(control<QLineEdit>(d.get(), "TranslateFile")->text(), QString("/tables/second.xlt"));
        const QString problem = testing::compare_screenshot(d.get(), "tavlink-setup", 0.05);
        QTest::mouseClick(ok_button(d.get()), Qt::LeftButton);
        QCOMPARE(d->result(), int(QDialog::Accepted));
        const auto paths = tavlink::read_paths(ini, 2048);
        QCOMPARE(paths.size(), std::size_t{2});
        QCOMPARE(paths[1].name, std::string("Second"));
        QCOMPARE(paths[1].host, std::string("second.test"));
        QCOMPARE(paths[1].buffer_size, 1920u);
        QCOMPARE(paths[1].translate_file, std::string("/tables/second.xlt"));
        QCOMPARE(paths[0].host, std::string("first.test"));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void choosingAPathShowsItAndTypingIsLimited() {
        auto d = open_dialog();
        auto* combo = control<QComboBox>(d.get(), "Name");
        combo->lineEdit()->setFocus();
        QTest::keyClicks(combo->lineEdit(), "fIRST");  // letter case ignored
        QCOMPARE(control<QLineEdit>(d.get(), "Host")->text(), QString("first.test"));
        QCOMPARE(control<QLineEdit>(d.get(), "Port")->text(), QString("2100"));
        auto* port = control<QLineEdit>(d.get(), "Port");
        port->clear();
        QTest::keyClicks(port, "12a34567");
        QCOMPARE(port->text(), QString("12345"));
        combo->lineEdit()->clear();
        QTest::keyClicks(combo->lineEdit(), QString(40, QLatin1Char('n')));
        QCOMPARE(combo->currentText().size(), 31);
        QTest::mouseClick(cancel_button(d.get()), Qt::LeftButton);
        QCOMPARE(tavlink::read_paths(ini, 2048).size(), std::size_t{1});
        QCOMPARE(tavlink::read_paths(ini, 2048)[0].port, 2100);
    }

    void deleteOfAnUnknownNameAndASeventeenthPathBeep() {
        auto d = open_dialog();
        auto* combo = control<QComboBox>(d.get(), "Name");
        combo->lineEdit()->setFocus();
        QTest::keyClicks(combo->lineEdit(), "Firs");
        QTest::mouseClick(control<QPushButton>(d.get(), "Delete"), Qt::LeftButton);
        // Leaving the box for Delete added "Firs", which Delete then removed: nothing is left of it.
        QCOMPARE(combo->count(), 1);
        QCOMPARE(beeps, 0);
        for (int i = 1; i < 16; ++i) type_name(d.get(), QStringLiteral("P%1").arg(i));
        QCOMPARE(combo->count(), 16);
        // A 17th name beeps on leaving the box, and Delete of that unknown name beeps again.
        combo->lineEdit()->setFocus();
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo->lineEdit(), "Seventeen");
        QTest::mouseClick(control<QPushButton>(d.get(), "Delete"), Qt::LeftButton);
        QCOMPARE(beeps, 2);
        QCOMPARE(combo->count(), 16);
        combo->lineEdit()->setFocus();
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo->lineEdit(), "p3");
        QCOMPARE(control<QLineEdit>(d.get(), "Port")->text(), QString("2048"));
        QTest::mouseClick(control<QPushButton>(d.get(), "Delete"), Qt::LeftButton);
        QCOMPARE(combo->count(), 15);
        QCOMPARE(combo->findText("P3"), -1);
        QVERIFY(control<QLineEdit>(d.get(), "Port")->text().isEmpty());
        QCOMPARE(beeps, 2);
        QTest::mouseClick(cancel_button(d.get()), Qt::LeftButton);
        QCOMPARE(tavlink::read_paths(ini, 2048).size(), std::size_t{1});
    }

    // Through the provider: Configure in the Connect dialog opens the setup library's dialog over it.
    void aPathAddedThroughConfigureReachesTheIniAndTheConnectList() {
        testing::InProcessHost host;
        QVERIFY(host.started());
        testing::RecordingUiHooks hooks;
        testing::TestSeams seams;
        hostlink::CHostSession session;
        ui::CConnectDlg connect(session, host.ini());
        connect.show();
        QVERIFY(QTest::qWaitForWindowExposed(&connect));
        auto* providers = connect.findChild<QComboBox*>("ctl_Connect_Provider");
        providers->setCurrentIndex(providers->findText("Tavlink"));
        auto* configure = connect.findChild<QPushButton*>("ctl_Connect_Configure");
        QVERIFY(configure->isEnabled());
        bool shown = false;
        when_modal("dlg_TavlinkSetup", [&](QWidget* d) {
            shown = d->parentWidget() == &connect;
            type_name(d, "HOST9");
            QTest::keyClicks(control<QLineEdit>(d, "Host"), "127.0.0.9");
            QTest::mouseClick(ok_button(d), Qt::LeftButton);
        });
        QTest::mouseClick(configure, Qt::LeftButton);
        QVERIFY(shown);
        auto* connections = connect.findChild<QComboBox*>("ctl_Connect_Connection");
        QVERIFY(connections->findText("HOST9") >= 0);
        QCOMPARE(platform::get_private_profile_string("tcpip", "path1", "", host.ini()), std::string("HOST9"));
        QCOMPARE(platform::get_private_profile_string("tcpip", "host1", "", host.ini()), std::string("127.0.0.9"));

        // Cancel changes nothing.
        when_modal("dlg_TavlinkSetup", [&](QWidget* d) {
            type_name(d, "HOST10");
            QTest::mouseClick(cancel_button(d), Qt::LeftButton);
        });
        QTest::mouseClick(configure, Qt::LeftButton);
        QCOMPARE(connections->findText("HOST10"), -1);
        QCOMPARE(platform::get_private_profile_int("tcpip", "paths", 0, host.ini()), 2);
        connect.reject();
    }
};

KESTRA_QTEST_MAIN(TavlinkSetupTest)
#include "tavlink_setup_test.moc"
