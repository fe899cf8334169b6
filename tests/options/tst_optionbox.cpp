// The table of the option boxes: what one box claims, no other box may claim.
#include "options/optionbox.h"

#include <QMap>
#include <QTest>

namespace {
enum Claim { ControlName, GridPlace, FactoryPlace, InfoName, InfoRank };

// The claim of a box as text; empty when the box claims nothing of the kind.
QString claimOf(const OptionBoxEntry &entry, Claim claim)
{
    switch (claim) {
    case ControlName: return QString::fromLatin1(entry.name);
    case GridPlace: return QStringLiteral("row %1, column %2").arg(entry.row).arg(entry.column);
    case FactoryPlace:
        switch (entry.factory.kind) {
        case FactoryField::Flag: return QStringLiteral("byte %1").arg(entry.factory.byte);
        case FactoryField::ClearedWhenTicked:
        case FactoryField::ClearedWhenClear: return QStringLiteral("byte %1, bit %2").arg(entry.factory.byte).arg(entry.factory.bit);
        case FactoryField::None:
        case FactoryField::Coded: return {};  // shared by the rule of the byte
        }
        return {};
    case InfoName: return QString::fromLatin1(entry.jsonName);
    case InfoRank: return entry.jsonRank ? QString::number(entry.jsonRank) : QString();
    }
    return {};
}
}  // namespace

class TestOptionBox : public QObject {
    Q_OBJECT
private slots:
    void noTwoBoxesClaimTheSame_data();
    void noTwoBoxesClaimTheSame();
    void placesLieWhereTheyAreRead();
};

void TestOptionBox::noTwoBoxesClaimTheSame_data()
{
    QTest::addColumn<int>("claim");
    QTest::addColumn<int>("claimedBy");  // how many boxes claim one
    QTest::newRow("control name") << int(ControlName) << OptionBoxCount;
    QTest::newRow("grid place") << int(GridPlace) << OptionBoxCount;
    QTest::newRow("factory data byte or bit") << int(FactoryPlace) << 9;
    QTest::newRow("info name") << int(InfoName) << 10;
    QTest::newRow("info rank") << int(InfoRank) << 10;
}

void TestOptionBox::noTwoBoxesClaimTheSame()
{
    QFETCH(int, claim);
    QFETCH(int, claimedBy);
    QMap<QString, QString> owner;
    for (const OptionBoxEntry &entry : optionBoxes()) {
        const QString what = claimOf(entry, Claim(claim));
        if (what.isEmpty())
            continue;
        QVERIFY2(!owner.contains(what), qPrintable(QStringLiteral("%1 and %2 both claim %3").arg(owner.value(what), entry.name, what)));
        owner.insert(what, QString::fromLatin1(entry.name));
    }
    QCOMPARE(owner.size(), claimedBy);
}

// The panel's grid is four by four; the option byte keeps its bit 6; the
// flags take bytes the factory data give no other field; a box in the info
// output has its place there.
void TestOptionBox::placesLieWhereTheyAreRead()
{
    for (const OptionBoxEntry &entry : optionBoxes()) {
        QVERIFY2(entry.row < OptionGridRows && entry.column < OptionGridColumns, entry.name);
        switch (entry.factory.kind) {
        case FactoryField::Flag:
            QVERIFY2(entry.factory.byte == 20 || entry.factory.byte == 24, entry.name);
            break;
        case FactoryField::ClearedWhenTicked:
        case FactoryField::ClearedWhenClear:
            QVERIFY2(entry.factory.byte == 21 && entry.factory.bit < 8 && entry.factory.bit != 6, entry.name);
            break;
        case FactoryField::Coded:
            QVERIFY2(entry.factory.byte == 18 || entry.factory.byte == 22, entry.name);
            break;
        case FactoryField::None:
            break;
        }
        if (entry.imageMask)
            QVERIFY2(entry.imageByte < 32, entry.name);
        QVERIFY2((entry.jsonName != nullptr) == (entry.jsonRank != 0), entry.name);
    }
}

QTEST_APPLESS_MAIN(TestOptionBox)
#include "tst_optionbox.moc"
