#include "mainwindow/speedbuttonicon.h"

#include <QDir>
#include <QPixmap>
#include <QTest>

namespace {
const QString IconFolder = qEnvironmentVariable("SRCDIR") + QStringLiteral("/mainwindow/icons");

// What a picture holds: any pixel at all, any pixel that is not grey.
struct Ink {
    bool drawn = false;
    bool coloured = false;
};

Ink inkOf(const QPixmap &pixmap)
{
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    Ink ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            ink.drawn |= qAlpha(p) > 0;
            ink.coloured |= qAlpha(p) > 0 && (qRed(p) != qGreen(p) || qGreen(p) != qBlue(p));
        }
    return ink;
}
}  // namespace

class TestPictures : public QObject {
    Q_OBJECT
private slots:
    void everyPictureDraws();
    void speedButtonsHaveTwoStates();
    void windowIconSizes();
};

void TestPictures::everyPictureDraws()
{
    const QStringList listed = QDir(IconFolder).entryList({QStringLiteral("*.svg")}, QDir::Files, QDir::Name);
    QVERIFY(listed.size() >= 7);
    for (const QString &file : listed)
        QVERIFY2(inkOf(speedButtonIcon(file.chopped(4)).pixmap(SpeedButtonIconSize)).drawn, qPrintable(file));
    QVERIFY(speedButtonIcon(QStringLiteral("gibtsnicht")).isNull());
}

void TestPictures::speedButtonsHaveTwoStates()
{
    const QSize size(SpeedButtonIconSize, SpeedButtonIconSize);
    for (const char *name : {"open", "update", "abbruch", "comm", "hilfe", "ende"}) {
        const QIcon icon = speedButtonIcon(QString::fromLatin1(name));
        for (const qreal ratio : {1.0, 2.0}) {
            const QPixmap normal = icon.pixmap(size, ratio, QIcon::Normal);
            const QPixmap disabled = icon.pixmap(size, ratio, QIcon::Disabled);
            QCOMPARE(normal.size(), size * ratio);
            QCOMPARE(disabled.size(), size * ratio);
            QVERIFY2(inkOf(normal).coloured, name);
            QVERIFY2(inkOf(disabled).drawn && !inkOf(disabled).coloured, name);
        }
    }
}

void TestPictures::windowIconSizes()
{
    const QList<QSize> sizes = windowIcon().availableSizes();
    for (const int side : {16, 32, 48, 64, 256})
        QVERIFY2(sizes.contains(QSize(side, side)), qPrintable(QString::number(side)));
}

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
