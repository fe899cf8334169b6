#pragma once
#include <QString>
#include <array>

// The main window's controls, by the names the window gives them. The
// operations change a control through its name here; the window creates its
// widgets, menus and actions under these names and mirrors them by name. The
// options panel's boxes, edits and labels belong to the options model and go
// by its names.
#define QUILLON_WINDOW_CONTROLS(X) \
    X(ClientArea)                  \
    X(SpeedBar)                    \
    X(sbOpen)                      \
    X(sbUpdate)                    \
    X(sbAbbruch)                   \
    X(sbComm)                      \
    X(sbHilfe)                     \
    X(sbEnde)                      \
    X(mmDatei)                     \
    X(smOpen)                      \
    X(line)                        \
    X(smClose)                     \
    X(mmUpdate)                    \
    X(smUpdate)                    \
    X(smAbbruch)                   \
    X(mmEinstellungen)             \
    X(smComm)                      \
    X(mmHilfe)                     \
    X(smHilfe)                     \
    X(N2)                          \
    X(smOrvhome)                   \
    X(smNewVers)                   \
    X(N1)                          \
    X(smAbout)                     \
    X(pnFile)                      \
    X(btOpen)                      \
    X(lbFileName)                  \
    X(lbFileInfo)                  \
    X(lbConv)                      \
    X(lbDSfGFile)                  \
    X(pnFab)                       \
    X(lbFabNr)                     \
    X(lbBaujahr)                   \
    X(pnFunc)                      \
    X(btSetTime)                   \
    X(btTime)                      \
    X(lbTime)                      \
    X(pnKRV)                       \
    X(btKRV)                       \
    X(btUpdate)                    \
    X(btAbbruch)                   \
    X(lbVersion)                   \
    X(lbIntVersion)                \
    X(lbDSfG)                      \
    X(pnModem)                     \
    X(lbMoNr)                      \
    X(edRuf)                       \
    X(btRuf)                       \
    X(lbMoIni)                     \
    X(edInit)                      \
    X(btInit)                      \
    X(lbMoMeld)                    \
    X(StatusBar)                   \
    X(StatusPanel0)                \
    X(StatusPanel1)                \
    X(pbUpload)

enum class Control {
#define QUILLON_CONTROL_ENUMERATOR(name) name,
    QUILLON_WINDOW_CONTROLS(QUILLON_CONTROL_ENUMERATOR)
#undef QUILLON_CONTROL_ENUMERATOR
};

#define QUILLON_CONTROL_COUNT(name) +1
inline constexpr int ControlCount = 0 QUILLON_WINDOW_CONTROLS(QUILLON_CONTROL_COUNT);
#undef QUILLON_CONTROL_COUNT

inline constexpr std::array<Control, ControlCount> AllControls = {
#define QUILLON_CONTROL_ENTRY(name) Control::name,
    QUILLON_WINDOW_CONTROLS(QUILLON_CONTROL_ENTRY)
#undef QUILLON_CONTROL_ENTRY
};

// The control's objectName: the enumerator's own spelling.
QString controlName(Control control);

// The three controls that cancel an upload.
inline constexpr Control CancelControls[] = {Control::btAbbruch, Control::sbAbbruch, Control::smAbbruch};
// The controls that start an upload; available once an image is loaded.
inline constexpr Control UploadCommands[] = {Control::btUpdate, Control::sbUpdate, Control::mmUpdate};
// The labels that show what the readout found, which a call's end or an upload makes stale.
inline constexpr Control DeviceLabels[] = {Control::lbVersion, Control::lbIntVersion, Control::lbDSfG};
