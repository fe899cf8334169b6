#include "mainwindow/portlistdelegate.h"

void PortListDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const QString adapter = index.data(Qt::ToolTipRole).toString();
    if (!adapter.isEmpty())
        option->text += QStringLiteral("   ") + adapter;
}
