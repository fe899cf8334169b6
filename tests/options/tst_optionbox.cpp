// The table of the option boxes: what one box claims, no other box may claim.
#include "options/optionbox.h"

#include <QMap>
#include <QTest>

namespace {
enum Claim { ControlName, GridPlace, FactoryPlace, InfoName, InfoRank };

// The claim of a box as text; empty when the box claims nothing of the kind.
QString claimOf(const OptionBoxSpec &spec, Claim claim)
{
    switch (claim) {
    case ControlName: return QString::fromLatin1(spec.name);
    case GridPlace: return QStringLiteral("row %1, column %2").arg(spec.row).arg(spec.column);
    case FactoryPlace:
        switch (spec.factory.kind) {
        case FactoryField::Flag: return QStringLiteral("byte %1").arg(spec.factory.byte);
        case FactoryField::ClearedWhenTicked:
        case FactoryField::ClearedWhenClear: return QStringLiteral("byte %1, bit %2").arg(spec.factory.byte).arg(spec.factory.bit);
        case FactoryField::None:
        case FactoryField::Coded: return {};  // shared by the rule of the byte
        }
        return {};
    case InfoName: return QString::fromLatin1(spec.jsonName);
    case InfoRank: return spec.jsonRank ? QString::number(spec.jsonRank) : QString();
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
    for (const OptionBoxSpec &spec : optionBoxes()) {
        const QString what = claimOf(spec, Claim(claim));
        if (what.isEmpty())
            continue;
        QVERIFY2(!owner.contains(what), qPrintable(QStringLiteral("%1 and %2 both claim %3").arg(owner.value(what), spec.name, what)));
        owner.insert(what, QString::fromLatin1(spec.name));
    }
    QCOMPARE(owner.size(), claimedBy);
}

// The panel's grid is four by four; the option byte keeps its bit 6; the
// flags take bytes the factory data give no other field; a box in the info
// output has its place there.
void TestOptionBox::placesLieWhereTheyAreRead()
{
    for (const OptionBoxSpec &spec : optionBoxes()) {
        QVERIFY2(spec.row < OptionGridRows && spec.column < OptionGridColumns, spec.name);
        switch (spec.factory.kind) {
        case FactoryField::Flag:
            QVERIFY2(spec.factory.byte == 20 || spec.factory.byte == 24, spec.name);
            break;
        case FactoryField::ClearedWhenTicked:
        case FactoryField::ClearedWhenClear:
            QVERIFY2(spec.factory.byte == 21 && spec.factory.bit < 8 && spec.factory.bit != 6, spec.name);
            break;
        case FactoryField::Coded:
            QVERIFY2(spec.factory.byte == 18 || spec.factory.byte == 22, spec.name);
            break;
        case FactoryField::None:
            break;
        }
        if (spec.imageMask)
            QVERIFY2(spec.imageByte < 32, spec.name);
        QVERIFY2((spec.jsonName != nullptr) == (spec.jsonRank != 0), spec.name);
    }
}

QTEST_APPLESS_MAIN(TestOptionBox)
#include "tst_optionbox.moc"
