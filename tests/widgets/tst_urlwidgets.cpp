#include "widgets/urlbutton.h"
#include "widgets/urllabel.h"

#include <QDesktopServices>
#include <QTest>
#include <QUrl>

// Stands in for the desktop: records what it was asked to open.
class TestUrlWidgets : public QObject {
    Q_OBJECT
public slots:
    void open(const QUrl &url) { m_opened << url; }
private slots:
    void init();
    void clickOpensTheCompletedAddress_data();
    void clickOpensTheCompletedAddress();

private:
    QList<QUrl> m_opened;
};

void TestUrlWidgets::init()
{
    m_opened.clear();
    for (const char *scheme : {"http", "https", "mailto"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "open");
}

void TestUrlWidgets::clickOpensTheCompletedAddress_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QUrl>("opened");
    QTest::newRow("bare host") << "www.example.org" << QUrl("http://www.example.org");
    QTest::newRow("host, port, path") << "www.example.org:8080/sw" << QUrl("http://www.example.org:8080/sw");
    QTest::newRow("blanks around") << "  www.example.org " << QUrl("http://www.example.org");
    QTest::newRow("bare mail") << "service@example.org" << QUrl("mailto:service@example.org");
    QTest::newRow("@ in a path") << "example.org/@team" << QUrl("http://example.org/@team");
    QTest::newRow("scheme in the query") << "example.org/go?to=https://x.org" << QUrl("http://example.org/go?to=https://x.org");
    QTest::newRow("with scheme") << "https://example.org/a?b=c" << QUrl("https://example.org/a?b=c");
    QTest::newRow("mailto kept") << "mailto:service@example.org" << QUrl("mailto:service@example.org");
    QTest::newRow("empty") << "" << QUrl();
    QTest::newRow("blanks only") << "   " << QUrl();
}

void TestUrlWidgets::clickOpensTheCompletedAddress()
{
    QFETCH(QString, address);
    QFETCH(QUrl, opened);
    TURLButton button(QStringLiteral("Send me a mail"));
    TURLLabel label(QStringLiteral("Visit our homepage"));
    button.setUrl(address);
    label.setUrl(address);
    label.resize(label.sizeHint());
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&label, Qt::LeftButton);
    QCOMPARE(m_opened, (opened.isEmpty() ? QList<QUrl>{} : QList<QUrl>{opened, opened}));
}

QTEST_MAIN(TestUrlWidgets)
#include "tst_urlwidgets.moc"
