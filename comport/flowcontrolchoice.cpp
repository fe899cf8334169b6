#include "comport/flowcontrolchoice.h"
#include "comport/comport.h"

void ApplyFlowControl(TCustomComPort &port, int FlowControlChoice)
{
    TFlowControl &flow = port.FlowControl();
    flow.SetDTR(dcEnable);
    port.SetOptions({});
    switch (FlowControlChoice) {
    case fcRtsCts:
        flow.SetRTS(rcHandshake);
        port.SetOptions({opOutputCTSFlow});
        flow.SetXOnXOff(xcDisable);
        break;
    case fcXonXoff:
        flow.SetRTS(rcEnable);
        flow.SetXOnXOff(xcInputOutput);
        break;
    default:
        flow.SetRTS(rcEnable);
        flow.SetXOnXOff(xcDisable);
        break;
    }
}
