#include "widgets/advedit.h"

TAdvEdit::TAdvEdit(Qt::Alignment alignment, QWidget *parent) : QLineEdit(parent)
{
    setAlignment(alignment | Qt::AlignVCenter);
}
