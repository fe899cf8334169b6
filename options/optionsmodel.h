#pragma once
#include "options/optionbox.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

class OptionsModel;

// One check box of the options panel: what a widget would show.
class CheckBoxModel {
public:
    CheckBoxModel(OptionsModel &panel, const char *name, const QString &caption, bool enabled);

    const char *name() const { return m_name; }
    bool checked() const { return m_checked; }
    bool enabled() const { return m_enabled; }
    QString caption() const { return m_caption; }

    // Changing the checked state runs the panel's rules, as a click would.
    void setChecked(bool checked);
    void setEnabled(bool enabled);
    void setCaption(const QString &caption);

private:
    OptionsModel &m_panel;
    const char *m_name;
    QString m_caption;
    bool m_checked = false;
    bool m_enabled;
};

struct EditModel {
    QString text;
    bool enabled = false;
    int maxLength;
};

struct LabelModel {
    QString caption;
    bool visible = true;
    bool enabled = true;
};

// The device options panel pnFab as a model: the factory data, the F4 function
// and the option boxes with their two interlocks. The readout, the file load
// and the upload read and write it; the widget panel only mirrors it.
class OptionsModel : public QObject {
    Q_OBJECT
    // First: the members below refer to the boxes.
    std::vector<CheckBoxModel> m_boxes;

public:
    // fileAnalogInputs: the loaded image's analog-input byte, which the
    // rack-variant rule reads.
    explicit OptionsModel(const quint8 &fileAnalogInputs, QObject *parent = nullptr);

    static const QStringList F4Items;

    EditModel edFabNr{QString(), false, 12};
    EditModel edBaujahr{QString(), false, 4};
    void setFabNr(const QString &text);
    void setBaujahr(const QString &text);

    // Selected item of cbF4; change it through setF4Index.
    int cbF4 = 0;
    bool cbF4Enabled = true;
    // Selects an item of F4Items. An index outside the list keeps the current
    // selection and returns false: the factory data must never carry it.
    bool setF4Index(int index);

    LabelModel lbF4{QStringLiteral("Funktion der F4-Taste")};
    LabelModel lbExdev{QStringLiteral("ex"), false, false};
    LabelModel lbGExdev{QStringLiteral("0"), false, false};
    void setLabel(LabelModel &label, const QString &caption, bool visible);

    CheckBoxModel &box(OptionBox box) { return m_boxes[boxIndex(box)]; }
    const CheckBoxModel &box(OptionBox box) const { return m_boxes[boxIndex(box)]; }

    // Each box under its control name, as the panel's own rules speak of it.
    CheckBoxModel &cbPTB = box(OptionBox::PTB);
    CheckBoxModel &cbRTC = box(OptionBox::RTC);
    CheckBoxModel &cbNetz = box(OptionBox::Netz);
    CheckBoxModel &cbMaster = box(OptionBox::Master);
    CheckBoxModel &cb470Z = box(OptionBox::Rack470Z);
    CheckBoxModel &cbKlemm = box(OptionBox::Klemm);
    CheckBoxModel &cbAnalog = box(OptionBox::Analog);
    CheckBoxModel &cbDSfG = box(OptionBox::DSfG);
    CheckBoxModel &cbU230 = box(OptionBox::U230);
    CheckBoxModel &cbU24 = box(OptionBox::U24);
    CheckBoxModel &cbBatt = box(OptionBox::Batt);
    CheckBoxModel &cbRes3 = box(OptionBox::Res3);
    CheckBoxModel &cb20 = box(OptionBox::Flash20);
    CheckBoxModel &cb40 = box(OptionBox::Flash40);
    CheckBoxModel &cb512 = box(OptionBox::Image512);
    CheckBoxModel &cb465 = box(OptionBox::KRV465);
    // Not on pnFab (it sits beside the upload button) but a box the same way.
    CheckBoxModel cbOnlyFabdata{*this, "cbOnlyFabdata", QStringLiteral("Nur Fabrikationsdaten"), false};

    // The check boxes of pnFab in keyboard order, the order of OptionBox.
    QList<CheckBoxModel *> boxes();

    // The caption of cbAnalog. Three steps set it, each by a rule of its own;
    // they agree on 0, 2 and 4 inputs only. Each reads cb470Z as it is now.
    // The readout, from the device's count: 4 only with the rack variant,
    // any other count but 0 as 2.
    QString deviceAnalogCaption(int count) const;
    // The file load, from the image's byte: a count other than 2 or 4 on the
    // rack variant shows as "X".
    QString fileAnalogCaption(quint8 inputs) const;
    // The rack-variant rule, from the loaded image's byte: more than 2 on the
    // rack variant shows as 4.
    QString rackVariantAnalogCaption() const;

signals:
    void changed();

private:
    friend class CheckBoxModel;
    void boxToggled(CheckBoxModel &box);
    void cb470ZClick();
    void notify() { emit changed(); }

    const quint8 &m_fileAnalogInputs;
};
