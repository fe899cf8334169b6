#include "mainwindow/formpw.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {
// Runs the user's part once the dialog is up, while the dialog is asked the
// way the wake-up asks it. A dialog the user's part left open is closed after
// a few seconds and reported, so a fault cannot hang the test.
bool ask(TPwForm &form, QByteArray &password, const std::function<void(TPwForm &)> &user)
{
    bool acted = false;
    QTimer::singleShot(0, &form, [&] {
        if (auto *shown = qobject_cast<TPwForm *>(QApplication::activeModalWidget())) {
            acted = true;
            user(*shown);
        }
    });
    bool leftOpen = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, &form, [&] {
        leftOpen = form.isVisible();
        form.reject();
    });
    watchdog.start(5000);
    form.askReadPassword(password);
    return acted && !leftOpen;
}
}  // namespace

class TestFormPw : public QObject {
    Q_OBJECT
private slots:
    void button1NeedsFourCharacters();
    void confirmTakesTheTypedText();
    void waysOut_data();
    void waysOut();
    void onlyBytesTheFrameCanCarry();
};

void TestFormPw::button1NeedsFourCharacters()
{
    TPwForm form;
    QByteArray password = "abc";  // the last one typed, three characters
    QList<bool> enabled;
    bool openAfterEnter = false;
    QVERIFY(ask(form, password, [&](TPwForm &f) {
        QCOMPARE(f.edPw->text(), QStringLiteral("abc"));
        enabled << f.Button1->isEnabled();
        QTest::keyClick(f.edPw, Qt::Key_End);  // the offered text comes selected
        QTest::keyClicks(f.edPw, QStringLiteral("d"));
        enabled << f.Button1->isEnabled();
        QTest::keyClick(f.edPw, Qt::Key_Backspace);
        enabled << f.Button1->isEnabled();
        QTest::mouseClick(f.Button1, Qt::LeftButton);
        QTest::keyClick(f.edPw, Qt::Key_Return);
        openAfterEnter = f.isVisible();
        f.close();
    }));
    QCOMPARE(enabled, (QList<bool>{false, true, false}));
    QVERIFY(openAfterEnter);
    QCOMPARE(password, QByteArray("abc"));

    // Filled with four characters, it can be confirmed at once.
    password = "abcd";
    QVERIFY(ask(form, password, [](TPwForm &f) { QTest::mouseClick(f.Button1, Qt::LeftButton); }));
    QCOMPARE(password, QByteArray("abcd"));
}

void TestFormPw::confirmTakesTheTypedText()
{
    TPwForm form;
    QByteArray password;
    QVERIFY(ask(form, password, [](TPwForm &f) {
        QVERIFY(f.edPw->text().isEmpty());
        QTest::keyClicks(f.edPw, QStringLiteral("Geheim 123"));  // 8 fit
        QTest::mouseClick(f.Button1, Qt::LeftButton);
    }));
    QCOMPARE(password, QByteArray("Geheim 1"));

    // Asked again, the dialog offers the password typed last.
    QVERIFY(ask(form, password, [](TPwForm &f) {
        QCOMPARE(f.edPw->text(), QStringLiteral("Geheim 1"));
        f.edPw->selectAll();
        QTest::keyClicks(f.edPw, QStringLiteral("4711"));
        QTest::keyClick(f.edPw, Qt::Key_Return);
    }));
    QCOMPARE(password, QByteArray("4711"));
}

void TestFormPw::waysOut_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("way");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("Button2 gives up") << QByteArray("4711") << "Button2" << QByteArray();
    QTest::newRow("close box, first time") << QByteArray() << "close" << QByteArray();
    QTest::newRow("close box, asked again") << QByteArray("4711") << "close" << QByteArray("4711");
    QTest::newRow("Escape, asked again") << QByteArray("4711") << "Escape" << QByteArray("4711");
}

void TestFormPw::waysOut()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, way);
    QFETCH(QByteArray, after);
    TPwForm form;
    QByteArray password = before;
    QVERIFY(ask(form, password, [way](TPwForm &f) {
        QTest::keyClicks(f.edPw, QStringLiteral("neu12345"));
        if (way == QLatin1String("Button2"))
            QTest::mouseClick(f.Button2, Qt::LeftButton);
        else if (way == QLatin1String("Escape"))
            QTest::keyClick(f.edPw, Qt::Key_Escape);
        else
            f.close();
    }));
    QCOMPARE(password, after);
}

void TestFormPw::onlyBytesTheFrameCanCarry()
{
    // Each character becomes one byte of the command frame: characters
    // without a Latin-1 byte, and control characters, are not taken.
    TPwForm form;
    QByteArray password;
    QVERIFY(ask(form, password, [](TPwForm &f) {
        for (QChar c : QStringLiteral("a€b\x03" "c\u00e4d")) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(f.edPw, &press);
        }
        QTest::mouseClick(f.Button1, Qt::LeftButton);
    }));
    QCOMPARE(password, QByteArray("abc\xe4" "d"));
}

QTEST_MAIN(TestFormPw)
#include "tst_formpw.moc"
