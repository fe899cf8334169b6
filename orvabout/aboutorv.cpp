#include "orvabout/aboutorv.h"

#include "orvabout/makerlinks.h"
#include "orvabout/orvpicture.h"
#include "widgets/urllabel.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

TAboutOrvBox::TAboutOrvBox(QWidget *owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("More about Orv"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);

    auto *picture = new QLabel(this);
    picture->setPixmap(orvPicture(96, 96));
    auto *text = new QLabel(QStringLiteral("Orv Software makes tools for the people who service gas meters.\n"
                                           "Firmware updates, readouts and settings:\n"
                                           "small, quick and without frills.\n"
                                           "Ask us for the tool your workshop is missing."),
                            this);
    auto *home = new TURLLabel(QStringLiteral("Visit our homepage"), this);
    home->setObjectName(QStringLiteral("URLLabel1"));
    home->setUrl(QString::fromLatin1(OrvHomePage));
    auto *mail = new TURLLabel(QStringLiteral("Send us an e-mail"), this);
    mail->setObjectName(QStringLiteral("URLLabel2"));
    mail->setUrl(QString::fromLatin1(OrvMailAddress));
    auto *ok = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(ok, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *column = new QVBoxLayout;
    column->addWidget(text);
    column->addWidget(home);
    column->addWidget(mail);
    auto *row = new QHBoxLayout;
    row->addWidget(picture, 0, Qt::AlignTop);
    row->addLayout(column);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(ok);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
