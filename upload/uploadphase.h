#pragma once
#include <QString>

// How far an upload got. The number is what the user reads as "PS: N" and
// scripts as "phase": N (the upload record: "UploadPhase"); the phases only
// rise within a run, so the values compare in run order. A failed pre-check holds its own negative code.
enum class Phase : int {
    SameFirmware = -5,        // "Die FW-Versionen sind gleich!"
    DeviceFirmwareNewer = -4, // "Im KRV ist eine aktueller FW!"
    FeatureUnsupported = -3,  // "Die FW unterstützt dieses Feature nicht!"
    WrongDevice = -2,         // "Datei passt nicht zum KRV!"
    FlashTooSmall = -1,       // "FLASH im KRV ist zu klein!"
    Refused = 0,              // a pre-check failed and the user ended the run
    Checking = 1,             // device information and pre-checks
    FactoryData = 2,          // factory data and calibration switch
    EnterFlashMode = 3,
    Transfer = 4,
    Programming = 5,          // the device burns its flash
};

// The printed number of a phase ("PS: 4").
constexpr int phaseNumber(Phase phase) { return static_cast<int>(phase); }

// What a phase means, in words; every failed pre-check reads the same.
QString phaseName(Phase phase);
