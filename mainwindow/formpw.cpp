#include "mainwindow/formpw.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {
constexpr int kMaxLength = 8;
constexpr int kMinLength = 4;

QLabel *label(QWidget *parent, const char *name, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

QPushButton *button(QWidget *parent, const char *name, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setCursor(Qt::PointingHandCursor);
    return b;
}
}  // namespace

TPwForm::TPwForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PwForm"));
    setWindowTitle(QStringLiteral("Lesepasswort"));
    setModal(true);

    Label2 = label(this, "Label2", QStringLiteral("Das KRV scheint ein Passwort zu benötigen!"));
    QFont bold = Label2->font();
    bold.setBold(true);
    Label2->setFont(bold);
    QPalette red = Label2->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Label2->setPalette(red);
    Label3 = label(this, "Label3", QStringLiteral("Deaktivieren Sie diese Funktion im KRV"));
    Label4 = label(this, "Label4", QStringLiteral("oder geben Sie hier ein Passwort ein"));
    Label1 = label(this, "Label1", QStringLiteral("Passwort (4-8 Zeichen)"));

    edPw = new QLineEdit(this);
    edPw->setObjectName(QStringLiteral("edPw"));
    edPw->setMaxLength(kMaxLength);
    // The password travels as one byte per character inside the command
    // frame: only printable Latin-1 fits without turning into something else.
    edPw->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[\\x{20}-\\x{7E}\\x{A0}-\\x{FF}]*")), edPw));
    Label1->setBuddy(edPw);

    Button1 = button(this, "Button1", QStringLiteral("weiter mit diesem Passwort"));
    Button1->setDefault(true);
    Button2 = button(this, "Button2", QStringLiteral("Passwort wird deaktiviert"));
    Button2->setAutoDefault(false);

    auto *passwordRow = new QHBoxLayout;
    passwordRow->addWidget(Label1);
    passwordRow->addWidget(edPw);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto *layout = new QVBoxLayout(this);
    for (QLabel *l : {Label2, Label3, Label4})
        layout->addWidget(l);
    layout->addLayout(passwordRow);
    layout->addLayout(buttons);

    connect(edPw, &QLineEdit::textChanged, this, &TPwForm::edPwChange);
    connect(Button1, &QPushButton::clicked, this, [this] { done(Confirmed); });
    connect(Button2, &QPushButton::clicked, this, [this] { done(GivenUp); });
    edPwChange();
}

void TPwForm::edPwChange()
{
    Button1->setEnabled(edPw->text().size() >= kMinLength);
}

void TPwForm::askReadPassword(QByteArray &readPassword)
{
    edPw->setText(QString::fromLatin1(readPassword));
    edPw->setFocus();
    switch (exec()) {
    case Confirmed:
        readPassword = edPw->text().toLatin1();
        break;
    case GivenUp:
        readPassword.clear();
        break;
    default:
        break;
    }
}
