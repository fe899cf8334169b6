#include "orvabout/about.h"

#include "orvabout/aboutorv.h"
#include "orvabout/getnewversion.h"
#include "orvabout/makerlinks.h"
#include "orvabout/orvpicture.h"
#include "orvabout/versinfo.h"
#include "widgets/urlbutton.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

TOrvAboutBox::TOrvAboutBox(QWidget *owner) : QDialog(owner), VersInfo1(new TVersInfo(this))
{
    setWindowTitle(QStringLiteral("About this marvelous program"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);

    Label1 = new QLabel(this);
    QFont name = Label1->font();
    name.setBold(true);
    name.setItalic(true);
    name.setPointSizeF(name.pointSizeF() * 1.5);
    Label1->setFont(name);
    Label1->setCursor(Qt::PointingHandCursor);
    Label1->setToolTip(QStringLiteral("Auf Update prüfen"));
    Label1->installEventFilter(this);
    Label6 = new QLabel(this);
    Label5 = new QLabel(this);
    Label2 = new QLabel(this);
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    Image1 = new QLabel(this);
    Image1->setPixmap(orvPicture(96, 96));
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setToolTip(QStringLiteral("Click on me to see more about Orv"));
    Image1->installEventFilter(this);

    auto *writtenBy = new QLabel(QStringLiteral("written by"), this);
    auto *author = new QLabel(QStringLiteral("Henrik Maasland"), this);
    URLButton1 = new TURLButton(QStringLiteral("Send me a mail"), this);
    URLButton1->setUrl(QString::fromLatin1(OrvMailAddress));
    URLButton1->setAutoDefault(false);
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QGridLayout(this);
    layout->addWidget(Image1, 0, 0, 4, 1, Qt::AlignTop);
    layout->addWidget(Label1, 0, 1, 1, 2);
    layout->addWidget(Label6, 1, 1, 1, 2);
    layout->addWidget(Label5, 2, 1, 1, 2);
    layout->addWidget(Label2, 3, 1, 1, 2);
    layout->addWidget(writtenBy, 4, 1);
    layout->addWidget(author, 4, 2);
    layout->addWidget(URLButton1, 5, 1);
    layout->addWidget(BitBtn1, 5, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // Named as in the form data, so the host program and tests can find them.
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2->setObjectName(QStringLiteral("Label2"));
    Label5->setObjectName(QStringLiteral("Label5"));
    Label6->setObjectName(QStringLiteral("Label6"));
    Image1->setObjectName(QStringLiteral("Image1"));
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    URLButton1->setObjectName(QStringLiteral("URLButton1"));

    Label1->setText(VersInfo1->InternalName());
    Label5->setText(VersInfo1->LegalCopyright());
    Label6->setText(VersInfo1->ProductVersion() + QStringLiteral("  ") + VersInfo1->FileVersion());
    Label2->setText(VersInfo1->Comments());
}

bool TOrvAboutBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Label1 && event->type() == QEvent::MouseButtonPress) {
        Label1MouseDown();
        return true;
    }
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Image1Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TOrvAboutBox::Label1MouseDown()
{
    TGetNewVers update;
    update.CanInstall = true;
    if (update.exec() == TGetNewVers::ResultOK) {
        accept();
        // The installer runs: the host program ends at once, without asking
        // its windows (the host's main window refuses a plain close).
        QCoreApplication::exit(0);
    }
}

void TOrvAboutBox::Image1Click()
{
    TAboutOrvBox more(this);
    more.exec();
}
