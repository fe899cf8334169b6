#include "link/modem.h"

#include "comport/comport.h"
#include "frontend/frontend.h"
#include "link/link.h"

#include <QCoreApplication>
#include <QScopeGuard>

namespace {
constexpr int kDtrDropMs = 300;

// Reports a modem task for its lifetime, also when a port error ends it.
class TaskScope {
public:
    TaskScope(Frontend &ui, ModemTask task) : m_ui(ui), m_task(task) { ui.modemTask(task, true); }
    ~TaskScope() { m_ui.modemTask(m_task, false); }
    TaskScope(const TaskScope &) = delete;
    TaskScope &operator=(const TaskScope &) = delete;

private:
    Frontend &m_ui;
    ModemTask m_task;
};
}

Modem::Modem(Link &link, Frontend &ui, TCustomComPort &port, QObject *parent)
    : QObject(parent), m_link(link), m_ui(ui), m_port(port)
{
    Timer1.setSingleShot(true);
    Timer1.setTimerType(Qt::PreciseTimer);  // a coarse timer may fire 5 % early
    connect(&Timer1, &QTimer::timeout, this, [this] { m_link.setFailed(true); });
    // Puts the carrier into the port's event mask.
    m_port.OnRLSDChange = [this](QObject *) { Comm1RLSDChange(); };
}

Modem::~Modem() { m_port.OnRLSDChange = nullptr; }

QString Modem::numberRefusal(const QString &number)
{
    if (number.isEmpty())
        return QStringLiteral("Keine Rufnummer angegeben.");
    if (number.startsWith(QLatin1Char('N'), Qt::CaseInsensitive))
        return QStringLiteral("Eine Rufnummer, die mit \"N\" beginnt, wird nicht gewählt.");
    if (number.size() > MaxTextLength)
        return QStringLiteral("Die Rufnummer ist zu lang (höchstens %1 Zeichen).").arg(MaxTextLength);
    return {};
}

QString Modem::initRefusal(const QString &text)
{
    if (text.size() > MaxTextLength)
        return QStringLiteral("Die Modem-Initialisierung ist zu lang (höchstens %1 Zeichen).").arg(MaxTextLength);
    return {};
}

void Modem::edRufChange(const QString &text) { PhoneNumber = text.toLatin1(); }

void Modem::btInitClick(const QString &initText)
{
    // Longer text is refused whole: a cut command could do something else.
    if (const QString why = initRefusal(initText); !why.isEmpty()) {
        m_ui.showMessage(why);
        return;
    }
    if (Dialling)
        m_link.cancel();  // the dial ends once this handler has returned
    m_port.SetParity(paNone);
    const TaskScope initialising(m_ui, ModemTask::Initialise);
    const auto restore = qScopeGuard([this] { m_port.SetParity(paEven); });
    ModemInit(initText.toLatin1());
}

void Modem::btRufClick()
{
    if (!m_link.ModemConnected) {
        if (const QString why = numberRefusal(QString::fromLatin1(PhoneNumber)); !why.isEmpty()) {
            m_ui.showMessage(why);
            return;
        }
    }
    m_link.clearCancel();
    if (m_link.ModemConnected) {
        const TaskScope hangingUp(m_ui, ModemTask::HangUp);
        HangUp();
        m_link.cancel();  // ends any wait still running
        m_link.setFailed(false);
        return;
    }
    m_link.CarrierLost = false;
    m_port.StoredOptions().include(opOutputCTSFlow);
    const TaskScope dialling(m_ui, ModemTask::Dial);
    for (Control label : DeviceLabels)
        m_ui.setCaption(label, QString());
    Dialling = true;
    const auto dialEnded = qScopeGuard([this] { Dialling = false; });
    if (DialDevice() == 1) {
        m_ui.setCaption(Control::btRuf, QStringLiteral("Trennen"));
        m_link.ModemConnected = true;
    }
}

void Modem::Comm1RLSDChange()
{
    if (carrierPresent()) {
        m_link.ModemConnected = true;
        m_ui.setHighlighted(Control::lbMoMeld, true);
    } else if (m_link.ModemConnected) {
        m_link.CarrierLost = true;
        HangUp();
        m_link.cancel();  // every running wait ends
    }
}

void Modem::ModemInit(const QByteArray &text)
{
    m_link.PurgeInput();
    // Bounded by the modem's limit alone: a click on btInit during a dial
    // sets the cancel that ends the dial, not this.
    if (!m_link.SendBytes("at" + text + '\r', m_link.limits.modemInitTimeoutMs, [] { return false; })) {
        m_link.setFailed(true);
        m_ui.setCaption(Control::lbMoMeld, QStringLiteral("Timeout!"));
        return;
    }
    WaitModemReply(m_link.limits.modemInitTimeoutMs);
}

int Modem::WaitModemReply(int timeoutMs)
{
    m_ui.setCaption(Control::lbMoMeld, QString());
    m_link.setFailed(false);
    Timer1.start(timeoutMs);
    m_reply.clear();
    // Not ended by a cancel: the modem answers within its time.
    while (!m_link.LinkFailed && m_reply.lineFeeds() < 2) {
        quint8 byte;
        if (m_link.PollByte(byte)) {
            m_reply.takeInitByte(byte);
            QCoreApplication::processEvents();
        } else {
            m_link.waitForEvents(QDeadlineTimer::Forever);
        }
    }
    Timer1.stop();
    if (m_reply.lineFeeds() >= 2) {
        m_ui.setCaption(Control::lbMoMeld, QString::fromLatin1(m_reply.text()));
        return 1;
    }
    m_ui.setCaption(Control::lbMoMeld, QStringLiteral("Timeout!"));
    return 0;
}

int Modem::DialDevice()
{
    m_ui.setCaption(Control::lbMoMeld, QString());
    m_port.SetParity(paNone);  // also applies the CTS flow control added before
    m_reply.clear();
    m_link.PurgeInput();
    m_link.setFailed(false);
    m_link.ModemConnected = false;
    // The limit runs from before the write: a line held by CTS must not keep
    // it from starting, and a cancel ends the write as it ends the wait.
    Timer1.start(m_link.limits.modemDialTimeoutMs);
    m_link.SendBytes("atd" + PhoneNumber + '\r', m_link.limits.modemDialTimeoutMs,
                     [this] { return m_link.CancelRequested || m_link.LinkFailed; });
    while (!m_link.CancelRequested && !m_link.LinkFailed) {
        quint8 byte;
        if (m_link.PollByte(byte)) {
            if (m_reply.takeDialByte(byte))
                Timer1.start(m_link.limits.modemAfterReplyMs);  // collect whatever else the modem says
            QCoreApplication::processEvents();
        } else {
            m_link.waitForEvents(QDeadlineTimer::Forever);
        }
    }
    Timer1.stop();
    if (m_reply.lineFeeds() >= 2) {
        const QByteArray text = m_reply.text();
        m_ui.setCaption(Control::lbMoMeld, QString::fromLatin1(text));
        return text.startsWith("CONNECT") || carrierPresent() ? 1 : 0;
    }
    if (m_link.ModemConnected) {  // the carrier came meanwhile
        m_ui.setCaption(Control::lbMoMeld, QStringLiteral("Verbunden"));
        return 1;
    }
    return 0;
}

void Modem::HangUp()
{
    // Both changes reach the line with the parity change.
    m_port.StoredOptions() = TOptions();
    m_link.ModemConnected = false;
    m_port.SetParity(paEven);
    // The modem ends the call on the DTR drop. A closed port has no line to drop.
    if (m_port.Active()) {
        m_port.ClearDTR();
        m_link.PumpWait(kDtrDropMs);
        m_port.SetDTR();
    }
    m_ui.setCaption(Control::btRuf, QStringLiteral("Verbinden"));
    m_ui.setCaption(Control::lbMoMeld, QString());
    m_ui.setHighlighted(Control::lbMoMeld, false);
    m_port.SetBaudRate(m_link.SavedBaudRate);
}

bool Modem::carrierPresent() { return m_port.Active() && m_port.ModemStatus().contains(msRLSD); }
