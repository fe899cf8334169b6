#pragma once

class TCustomComPort;

// The flow control the interface dialog offers, by its list index.
enum FlowControlChoices { fcNone = 0, fcRtsCts = 1, fcXonXoff = 2 };

// Sets the port's DTR, RTS, XON/XOFF control and options for the dialog's
// choice (0 "ohne", 1 "RTS/CTS", 2 "Xon/Xoff"; any other value is "ohne").
// On an open port each setting reaches the line at once.
void ApplyFlowControl(TCustomComPort &port, int FlowControlChoice);
