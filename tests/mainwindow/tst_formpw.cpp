#include "mainwindow/formpw.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {
// Runs the user's part once the dialog is up, then asks the dialog the way
// the wake-up does. A dialog the user's part left open is closed after a few
// seconds and reported, so a fault cannot hang the test.
bool ask(TPwForm &form, QByteArray &password, const std::function<void(TPwForm &)> &user)
{
    bool acted = false;
    QTimer::singleShot(0, &form, [&] {
        auto *shown = qobject_cast<TPwForm *>(QApplication::activeModalWidget());
        if (!shown)
            return;
        acted = true;
        user(*shown);
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
    void texts();
    void button1NeedsFourCharacters();
    void confirmTakesTheTypedText();
    void giveUpEmptiesThePassword();
    void closeBoxKeepsThePassword_data();
    void closeBoxKeepsThePassword();
    void enterDoesNotConfirmAShortPassword();
    void onlyBytesTheFrameCanCarry();
};

void TestFormPw::texts()
{
    TPwForm form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Lesepasswort"));
    QCOMPARE(form.Label2->text(), QStringLiteral("Das KRV scheint ein Passwort zu benötigen!"));
    QVERIFY(form.Label2->font().bold());
    QCOMPARE(form.Label2->palette().color(QPalette::WindowText), QColor(Qt::red));
    QCOMPARE(form.Label3->text(), QStringLiteral("Deaktivieren Sie diese Funktion im KRV"));
    QCOMPARE(form.Label4->text(), QStringLiteral("oder geben Sie hier ein Passwort ein"));
    QCOMPARE(form.Label1->text(), QStringLiteral("Passwort (4-8 Zeichen)"));
    QCOMPARE(form.Button1->text(), QStringLiteral("weiter mit diesem Passwort"));
    QCOMPARE(form.Button2->text(), QStringLiteral("Passwort wird deaktiviert"));
    QCOMPARE(form.edPw->maxLength(), 8);
}

void TestFormPw::button1NeedsFourCharacters()
{
    TPwForm form;
    QByteArray password = "abc";  // the last one typed, three characters
    QList<bool> enabled;
    QVERIFY(ask(form, password, [&](TPwForm &f) {
        QCOMPARE(f.edPw->text(), QStringLiteral("abc"));
        enabled << f.Button1->isEnabled();
        QTest::keyClick(f.edPw, Qt::Key_End);  // the offered text comes selected
        QTest::keyClicks(f.edPw, QStringLiteral("d"));
        enabled << f.Button1->isEnabled();
        QTest::keyClick(f.edPw, Qt::Key_Backspace);
        enabled << f.Button1->isEnabled();
        QTest::mouseClick(f.Button1, Qt::LeftButton);  // disabled: no effect
        f.close();
    }));
    QCOMPARE(enabled, (QList<bool>{false, true, false}));
    QCOMPARE(password, QByteArray("abc"));

    // Filled with four characters, it can be confirmed at once.
    password = "abcd";
    QVERIFY(ask(form, password, [&](TPwForm &f) {
        QVERIFY(f.Button1->isEnabled());
        QTest::mouseClick(f.Button1, Qt::LeftButton);
    }));
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

    // Shown again, the dialog offers the password typed last.
    QVERIFY(ask(form, password, [](TPwForm &f) {
        QCOMPARE(f.edPw->text(), QStringLiteral("Geheim 1"));
        f.edPw->selectAll();
        QTest::keyClicks(f.edPw, QStringLiteral("4711"));
        QTest::keyClick(f.edPw, Qt::Key_Return);
    }));
    QCOMPARE(password, QByteArray("4711"));
}

void TestFormPw::giveUpEmptiesThePassword()
{
    TPwForm form;
    QByteArray password = "4711";
    QVERIFY(ask(form, password, [](TPwForm &f) { QTest::mouseClick(f.Button2, Qt::LeftButton); }));
    QVERIFY(password.isEmpty());
}

void TestFormPw::closeBoxKeepsThePassword_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<bool>("escape");
    QTest::newRow("close box, first time") << QByteArray() << false;
    QTest::newRow("close box, asked again") << QByteArray("4711") << false;
    QTest::newRow("Escape, asked again") << QByteArray("4711") << true;
}

void TestFormPw::closeBoxKeepsThePassword()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, escape);
    TPwForm form;
    QByteArray password = before;
    QVERIFY(ask(form, password, [escape](TPwForm &f) {
        f.edPw->selectAll();
        QTest::keyClicks(f.edPw, QStringLiteral("neu12345"));
        if (escape)
            QTest::keyClick(f.edPw, Qt::Key_Escape);
        else
            f.close();
    }));
    QCOMPARE(password, before);
}

void TestFormPw::enterDoesNotConfirmAShortPassword()
{
    TPwForm form;
    QByteArray password = "4711";
    bool stillOpen = false;
    QVERIFY(ask(form, password, [&](TPwForm &f) {
        f.edPw->selectAll();
        QTest::keyClicks(f.edPw, QStringLiteral("123"));
        QTest::keyClick(f.edPw, Qt::Key_Return);
        stillOpen = f.isVisible();
        f.close();
    }));
    QVERIFY(stillOpen);
    QCOMPARE(password, QByteArray("4711"));
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
