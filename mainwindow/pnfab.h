#pragma once
#include <QFrame>
#include <utility>
#include <vector>

class CheckBoxModel;
class OptionsModel;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The options panel pnFab: the widgets of the options model. It mirrors the
// model both ways: a model change redraws the widgets, and a click or an edit
// goes to the model, so its rules run and reach every other widget.
// The clock buttons only report their clicks; the main window wires them.
class FabPanel : public QFrame {
    Q_OBJECT
public:
    explicit FabPanel(OptionsModel &model, QWidget *parent = nullptr);

    QLineEdit *edFabNr;
    QLineEdit *edBaujahr;
    QComboBox *cbF4;
    QLabel *lbF4;
    QLabel *lbExdev;
    QLabel *lbGExdev;
    QFrame *pnFunc;
    QPushButton *btSetTime;
    QPushButton *btTime;
    QLabel *lbTime;

    // cbOnlyFabdata sits beside the upload button, outside the panel, but
    // mirrors its model box like the panel's own.
    QCheckBox *placeOnlyFabdata(QWidget *parent, int x, int y, int width, int height);

    // The check box widget of a box by its control name, or nullptr.
    QCheckBox *checkBox(const QString &name) const;

private:
    void bind(CheckBoxModel *box, QCheckBox *widget);
    void showModel();

    OptionsModel &m_model;
    std::vector<std::pair<CheckBoxModel *, QCheckBox *>> m_boxes;
};
