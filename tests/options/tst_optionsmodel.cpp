#include "options/optionsmodel.h"

#include <QSignalSpy>
#include <QTest>

namespace {
QStringList names(const QList<CheckBoxModel *> &boxes, bool (CheckBoxModel::*state)() const)
{
    QStringList result;
    for (const CheckBoxModel *box : boxes) {
        if ((box->*state)())
            result.append(QString::fromLatin1(box->name()));
    }
    return result;
}
}  // namespace

class TestOptionsModel : public QObject {
    Q_OBJECT
private slots:
    void startsAsTheWindowIsCreated();
    void rackVariantRule_data();
    void rackVariantRule();
    void analogCaptionByStep_data();
    void analogCaptionByStep();
    void supplyVoltageRule();
};

void TestOptionsModel::startsAsTheWindowIsCreated()
{
    const quint8 fileAnalogInputs = 0;
    OptionsModel m(fileAnalogInputs);
    QCOMPARE(m.boxes().size(), 16);
    QCOMPARE(names(m.boxes(), &CheckBoxModel::checked), QStringList());
    QCOMPARE(names(m.boxes(), &CheckBoxModel::enabled), QStringList{"cbDSfG"});
    QVERIFY(!m.edFabNr.enabled && !m.edBaujahr.enabled && m.cbF4Enabled);
    QVERIFY(!m.lbExdev.visible && !m.lbGExdev.visible);
}

void TestOptionsModel::rackVariantRule_data()
{
    QTest::addColumn<int>("fileAnalogInputs");
    QTest::addColumn<bool>("rack");
    QTest::addColumn<QString>("analogCaption");

    QTest::newRow("no inputs, rack") << 0 << true << "Analogeingänge";
    QTest::newRow("2 inputs, rack") << 2 << true << "2 Analogeingänge";
    QTest::newRow("3 inputs, rack") << 3 << true << "4 Analogeingänge";
    QTest::newRow("4 inputs, wall") << 4 << false << "2 Analogeingänge";
    QTest::newRow("no inputs, wall") << 0 << false << "Analogeingänge";
}

void TestOptionsModel::rackVariantRule()
{
    QFETCH(int, fileAnalogInputs);
    QFETCH(bool, rack);
    QFETCH(QString, analogCaption);

    quint8 inputs = 0;
    OptionsModel m(inputs);
    // The rule reads the file's byte when it runs, not when the model was made.
    inputs = quint8(fileAnalogInputs);
    QSignalSpy changed(&m, &OptionsModel::changed);
    // The rule runs on a change only: for the wall case tick first.
    m.cb470Z.setChecked(!rack);
    m.cbBatt.setChecked(true);
    m.cb470Z.setChecked(rack);

    QCOMPARE(m.cbAnalog.caption(), analogCaption);
    QCOMPARE(m.cbKlemm.checked(), rack);
    QCOMPARE(m.cbKlemm.enabled(), !rack);
    QVERIFY(!m.cbBatt.checked());
    QCOMPARE(m.cbBatt.enabled(), !rack);
    QVERIFY(!changed.isEmpty());

    changed.clear();
    m.cb470Z.setChecked(rack);  // no change, no rule, no redraw
    QVERIFY(changed.isEmpty());
}

void TestOptionsModel::analogCaptionByStep_data()
{
    QTest::addColumn<int>("inputs");
    QTest::addColumn<bool>("rack");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("rackVariant");

    QTest::newRow("none") << 0 << true << "Analogeingänge" << "Analogeingänge" << "Analogeingänge";
    QTest::newRow("4, rack") << 4 << true << "4 Analogeingänge" << "4 Analogeingänge" << "4 Analogeingänge";
    QTest::newRow("4, wall") << 4 << false << "2 Analogeingänge" << "2 Analogeingänge" << "2 Analogeingänge";
    QTest::newRow("3, rack") << 3 << true << "2 Analogeingänge" << "X Analogeingänge" << "4 Analogeingänge";
    QTest::newRow("1, rack") << 1 << true << "2 Analogeingänge" << "X Analogeingänge" << "2 Analogeingänge";
}

// The three steps that caption cbAnalog keep their own rules.
void TestOptionsModel::analogCaptionByStep()
{
    QFETCH(int, inputs);
    QFETCH(bool, rack);

    const quint8 fileInputs = quint8(inputs);
    OptionsModel m(fileInputs);
    m.cb470Z.setChecked(rack);
    QTEST(m.deviceAnalogCaption(inputs), "device");
    QTEST(m.fileAnalogCaption(fileInputs), "file");
    QTEST(m.rackVariantAnalogCaption(), "rackVariant");
}

void TestOptionsModel::supplyVoltageRule()
{
    const quint8 inputs = 0;
    OptionsModel m(inputs);
    const QList<CheckBoxModel *> supply{&m.cbU230, &m.cbU24};

    m.cbU24.setChecked(true);
    m.cbU230.setChecked(true);
    QCOMPARE(names(supply, &CheckBoxModel::checked), QStringList{"cbU230"});
    m.cbU24.setChecked(true);
    QCOMPARE(names(supply, &CheckBoxModel::checked), QStringList{"cbU24"});
    // Unticking one leaves the other alone: both may be off.
    m.cbU230.setChecked(false);
    QCOMPARE(names(supply, &CheckBoxModel::checked), QStringList{"cbU24"});
    m.cbU24.setChecked(false);
    QCOMPARE(names(m.boxes(), &CheckBoxModel::checked), QStringList());
    QCOMPARE(names(m.boxes(), &CheckBoxModel::enabled), QStringList{"cbDSfG"});
}

QTEST_GUILESS_MAIN(TestOptionsModel)
#include "tst_optionsmodel.moc"
