#pragma once
#include <QLineEdit>

// A single-line edit whose text alignment is set once, by its owner; the
// interface dialog shows its buffer sizes right-aligned like numbers.
class TAdvEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TAdvEdit(Qt::Alignment alignment = Qt::AlignRight, QWidget *parent = nullptr);
};
