#include "options/optionsmodel.h"

const QStringList OptionsModel::F4Items = {
    QStringLiteral("Messperiodenarchiv, wie ODAS S"),
    QStringLiteral("Eingangszähler der Tagessätze, wie ODAS E"),
    QStringLiteral("Kontrollzähler der Tagessätze, wie ODAS K"),
    QStringLiteral("Eingangszähler & MP-Maxima, Vormonat"),
    QStringLiteral("Eingangszähler & TagesMaxima, Vormonat"),
    QStringLiteral("TagesMaxima, Vormonat"),
    QStringLiteral("Keine Funktion"),
};

CheckBoxModel::CheckBoxModel(OptionsModel &panel, const char *name, const QString &caption, bool enabled)
    : m_panel(panel), m_name(name), m_caption(caption), m_enabled(enabled)
{
}

void CheckBoxModel::setChecked(bool checked)
{
    if (checked == m_checked)
        return;
    m_checked = checked;
    m_panel.boxToggled(*this);
    m_panel.notify();
}

void CheckBoxModel::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    m_panel.notify();
}

void CheckBoxModel::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    m_panel.notify();
}

namespace {
std::vector<CheckBoxModel> boxesOf(OptionsModel &panel)
{
    std::vector<CheckBoxModel> boxes;
    boxes.reserve(OptionBoxCount);
    for (const OptionBoxEntry &entry : optionBoxes())
        boxes.emplace_back(panel, entry.name, QString::fromUtf8(entry.caption), entry.has(EnabledAtStart));
    return boxes;
}
}  // namespace

OptionsModel::OptionsModel(const quint8 &fileAnalogInputs, QObject *parent)
    : QObject(parent), m_boxes(boxesOf(*this)), m_fileAnalogInputs(fileAnalogInputs)
{
}

void OptionsModel::setFabNr(const QString &text)
{
    edFabNr.text = text.left(edFabNr.maxLength);
    emit changed();
}

void OptionsModel::setBaujahr(const QString &text)
{
    edBaujahr.text = text.left(edBaujahr.maxLength);
    emit changed();
}

bool OptionsModel::setF4Index(int index)
{
    if (index < 0 || index >= F4Items.size())
        return false;
    cbF4 = index;
    emit changed();
    return true;
}

void OptionsModel::setLabel(LabelModel &label, const QString &caption, bool visible)
{
    label.caption = caption;
    label.visible = visible;
    emit changed();
}

QList<CheckBoxModel *> OptionsModel::boxes()
{
    QList<CheckBoxModel *> all;
    for (CheckBoxModel &box : m_boxes)
        all.append(&box);
    return all;
}

QString OptionsModel::deviceAnalogCaption(int count) const
{
    if (count == 0)
        return QStringLiteral("Analogeingänge");
    return count == 4 && cb470Z.checked() ? QStringLiteral("4 Analogeingänge") : QStringLiteral("2 Analogeingänge");
}

QString OptionsModel::fileAnalogCaption(quint8 inputs) const
{
    if (inputs == 0)
        return QStringLiteral("Analogeingänge");
    if (inputs == 2 || !cb470Z.checked())
        return QStringLiteral("2 Analogeingänge");
    return inputs == 4 ? QStringLiteral("4 Analogeingänge") : QStringLiteral("X Analogeingänge");
}

QString OptionsModel::rackVariantAnalogCaption() const
{
    if (m_fileAnalogInputs == 0)
        return QStringLiteral("Analogeingänge");
    return m_fileAnalogInputs > 2 && cb470Z.checked() ? QStringLiteral("4 Analogeingänge") : QStringLiteral("2 Analogeingänge");
}

void OptionsModel::boxToggled(CheckBoxModel &box)
{
    if (&box == &cb470Z) {
        cb470ZClick();
    } else if (&box == &cbU24 && box.checked()) {
        cbU230.setChecked(false);
    } else if (&box == &cbU230 && box.checked()) {
        cbU24.setChecked(false);
    }
}

void OptionsModel::cb470ZClick()
{
    cbAnalog.setCaption(rackVariantAnalogCaption());

    if (cb470Z.checked()) {
        cbKlemm.setChecked(true);
        cbKlemm.setEnabled(false);
        cbBatt.setChecked(false);
        cbBatt.setEnabled(false);
    } else {
        cbKlemm.setChecked(false);
        cbKlemm.setEnabled(true);
        cbBatt.setChecked(false);
        cbBatt.setEnabled(true);
    }
}
