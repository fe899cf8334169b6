#pragma once
#include <QStyledItemDelegate>

// Rows of the interface dialog's port list: the device path, and beside it
// the USB adapter's maker and product (the item's tooltip). The item's text
// stays the path, which is what the dialog tests and stores.
class PortListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};
