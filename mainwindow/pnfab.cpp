#include "mainwindow/pnfab.h"

#include "mainwindow/controls.h"
#include "mainwindow/helpviewer.h"
#include "options/optionsmodel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPushButton>

#include <initializer_list>

namespace {
using Widgets = std::initializer_list<QWidget *>;
constexpr int kWidth = 470;
constexpr int kHeight = 201;
constexpr int kColumns[OptionGridColumns] = {12, 136, 260, 384};
constexpr int kRows[OptionGridRows] = {55, 79, 103, 127};
constexpr int kBoxWidth = 122;  // the columns are 124 apart
constexpr int kBoxHeight = 20;
// The help page of the factory data belongs to these controls.
constexpr int kFactoryDataHelp = 5;

void showLabel(QLabel *widget, const LabelModel &model)
{
    widget->setText(model.caption);
    widget->setVisible(model.visible);
    widget->setEnabled(model.enabled);
}

void showEdit(QLineEdit *widget, const EditModel &model)
{
    if (widget->text() != model.text)
        widget->setText(model.text);
    widget->setEnabled(model.enabled);
}
}  // namespace

FabPanel::FabPanel(OptionsModel &model, QWidget *parent) : QFrame(parent), m_model(model)
{
    setObjectName(controlName(Control::pnFab));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setFixedSize(kWidth, kHeight);
    // The fixed grid below was laid out for an 8-point font.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    QFont fixedPitch = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixedPitch.setPointSize(small.pointSize());

    placeLabel(this, Control::lbFabNr, QStringLiteral("Fabriknummer"), 12, 7, 113);
    edFabNr = place<QLineEdit>(this, "edFabNr", 12, 24, 113, 21);
    edFabNr->setMaxLength(m_model.edFabNr.maxLength);
    edFabNr->setFont(fixedPitch);
    setHint(edFabNr, QStringLiteral("Fabriknummer eingeben"));

    placeLabel(this, Control::lbBaujahr, QStringLiteral("Baujahr"), 136, 7, 60);
    edBaujahr = place<QLineEdit>(this, "edBaujahr", 136, 24, 49, 21);
    edBaujahr->setMaxLength(m_model.edBaujahr.maxLength);
    edBaujahr->setFont(fixedPitch);
    setHint(edBaujahr, QStringLiteral("Baujahr eingeben"));

    // The F4 list takes the rest of the row so that its longest item shows
    // whole; the EXDEV marks sit above its right end.
    lbF4 = placeLabel(this, "lbF4", QString(), 192, 7, 200);
    cbF4 = place<QComboBox>(this, "cbF4", 192, 24, kWidth - 6 - 192, 21);
    lbExdev = placeLabel(this, "lbExdev", QString(), 404, 7, 20);
    setHint(lbExdev, QStringLiteral("EXDEV: FW-Variante für externen Datenspeicher"));
    lbGExdev = placeLabel(this, "lbGExdev", QString(), 428, 7, 30);
    setHint(lbGExdev, QStringLiteral("EXDEV-Art im KRV"));

    cbF4->addItems(OptionsModel::F4Items);
    cbF4->setEditable(false);
    cbF4->setMaxVisibleItems(5);
    setHint(cbF4, QStringLiteral("Funktion der F4-Taste auswählen"));

    for (QWidget *w : Widgets{edFabNr, edBaujahr, cbF4})
        setHelpContext(w, kFactoryDataHelp);

    for (const OptionBoxEntry &entry : optionBoxes()) {
        const int x = kColumns[entry.column];
        QCheckBox *widget = place<QCheckBox>(this, entry.name, x, kRows[entry.row], qMin(kBoxWidth, kWidth - 4 - x), kBoxHeight);
        if (*entry.hint)
            setHint(widget, QString::fromUtf8(entry.hint));
        if (entry.has(FactoryHelp))
            setHelpContext(widget, kFactoryDataHelp);
        bind(&m_model.box(entry.box), widget);
    }

    pnFunc = place<QFrame>(this, Control::pnFunc, 2, kHeight - 43, kWidth - 4, 41);
    pnFunc->setFrameStyle(QFrame::Panel | QFrame::Raised);
    btSetTime = place<QPushButton>(pnFunc, Control::btSetTime, 10, 8, 100, 25);
    btSetTime->setText(QStringLiteral("Uhr stellen"));
    setHint(btSetTime, QStringLiteral("Interne Uhr auf PC-Zeit setzen"));
    btTime = place<QPushButton>(pnFunc, Control::btTime, 134, 8, 100, 25);
    btTime->setText(QStringLiteral("Systemzeit"));
    setHint(btTime, QStringLiteral("Zeit&Datum auslesen"));
    for (QPushButton *b : {btSetTime, btTime})
        b->setCursor(Qt::PointingHandCursor);
    lbTime = placeLabel(pnFunc, Control::lbTime, QStringLiteral("..."), 258, 13, 198);

    QList<QWidget *> keyboardOrder{edFabNr, edBaujahr, cbF4};
    for (const auto &[box, widget] : m_boxes)
        keyboardOrder.append(widget);
    keyboardOrder << btSetTime << btTime;
    for (qsizetype i = 1; i < keyboardOrder.size(); ++i)
        setTabOrder(keyboardOrder[i - 1], keyboardOrder[i]);

    connect(edFabNr, &QLineEdit::textEdited, &m_model, &OptionsModel::setFabNr);
    connect(edBaujahr, &QLineEdit::textEdited, &m_model, &OptionsModel::setBaujahr);
    connect(cbF4, &QComboBox::activated, &m_model, &OptionsModel::setF4Index);
    connect(&m_model, &OptionsModel::changed, this, &FabPanel::showModel);
    showModel();
}

void FabPanel::bind(CheckBoxModel *box, QCheckBox *widget)
{
    widget->setCursor(Qt::PointingHandCursor);
    connect(widget, &QCheckBox::clicked, this, [box](bool checked) { box->setChecked(checked); });
    m_boxes.emplace_back(box, widget);
}

QCheckBox *FabPanel::placeOnlyFabdata(QWidget *parent, int x, int y, int width, int height)
{
    auto *widget = place<QCheckBox>(parent, m_model.cbOnlyFabdata.name(), x, y, width, height);
    setHint(widget, QStringLiteral("Nur Fabrikationsdaten ans KRV senden"));
    bind(&m_model.cbOnlyFabdata, widget);
    showModel();
    return widget;
}

QCheckBox *FabPanel::checkBox(const QString &name) const
{
    for (const auto &[box, widget] : m_boxes) {
        if (widget->objectName() == name)
            return widget;
    }
    return nullptr;
}

void FabPanel::showModel()
{
    showEdit(edFabNr, m_model.edFabNr);
    showEdit(edBaujahr, m_model.edBaujahr);
    cbF4->setCurrentIndex(m_model.cbF4);
    cbF4->setEnabled(m_model.cbF4Enabled);
    showLabel(lbF4, m_model.lbF4);
    showLabel(lbExdev, m_model.lbExdev);
    showLabel(lbGExdev, m_model.lbGExdev);
    for (const auto &[box, widget] : m_boxes) {
        widget->setText(box->caption());
        widget->setChecked(box->checked());
        widget->setEnabled(box->enabled());
    }
}
