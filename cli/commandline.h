#pragma once
#include "cli/clisession.h"
#include "link/tcptarget.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// The program's own options, which stand before or after the command.
struct GlobalOptions {
    QString tcpHost;  // empty: no --tcp
    quint16 tcpPort = 0;
    QString port;
    std::optional<int> baud;
    QByteArray password;
    bool json = false;
    bool trace = false;
    bool quiet = false;
    std::optional<QString> dial;  // the number to dial through a modem on --port
    std::optional<QString> modemInit;

    QString tcpTarget() const { return TcpEndpoint{tcpHost, tcpPort}.text(); }
};

// The command line taken apart. Options may be written "--name value" or
// "--name=value"; the command's arguments keep their order, each option as
// "--name" followed by its value.
struct CommandLine {
    enum class Want { Run, Help, Version, Error };
    Want want = Want::Run;
    GlobalOptions options;
    const CliCommand *command = nullptr;  // with Help: the command to explain, or none
    QStringList args;
    QString error;  // with Error: what is wrong, naming the nearest valid word
};

// words[0] is the program.
CommandLine parseCommandLine(const QStringList &words);

const QList<CliOption> &globalOptions();
// The options' names, as typed.
QStringList optionNames(const QList<CliOption> &options);
